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
};
const LangMessages& languageMessages(int index);

}  // namespace vl48
