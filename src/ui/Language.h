// The window's two-language texts: captions, tooltips, menu captions and the spoken names of
// fields no label names, by object name; and the window title with the eight message texts.
#pragma once

#include <vector>

namespace vl48 {

struct LangText {
    enum Kind { Caption, ToolTip, Tab, Menu, Accessible };
    const char* name;  // object name of the control
    Kind kind;
    const char* czech;
    const char* english;
};
const std::vector<LangText>& languageTable();

struct LangMessages {
    const char* title;
    const char* connectionLost;
    const char* invalidPort;
    const char* cable;
    const char* wrongDevice;
    const char* invalidDate;
    const char* drop2mARefused;
    const char* selectPort;
    const char* daCorrWarning;
    // Second lines of the invalid-port message: why the system refused the port (%1 the port,
    // %2 the group owning its device file).
    const char* portNoAccess;
    const char* portInUse;
};
const LangMessages& languageMessages(int index);

}  // namespace vl48
