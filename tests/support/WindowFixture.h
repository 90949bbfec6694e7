// Test fixture for the real window against the simulated transmitter: message boxes and file
// dialogs are recorded instead of shown.
#pragma once

#include <QString>
#include <memory>
#include <vector>

#include "SimFixture.h"
#include "core/device/MemoryMap.h"
#include "window/FrmMain.h"

class QAbstractButton;
namespace vl48 {
class TMaskEdit;
}

namespace vl48test {

struct Message {
    vl48::MsgKind kind;
    QString text;
};

class WindowTest : public SimTest {
protected:
    void SetUp() override;
    void TearDown() override;

    // Every text shown in a message box so far, in order.
    QStringList messageTexts() const;
    // The port of the simulator, typed into the port box.
    void choosePort();
    // Connects to the simulator and starts the test from a clean log and no messages.
    void connectToTransmitter();
    // The cell writes (command 52) the transmitter received so far, in order.
    std::vector<vl48::CellWrite> cellWrites() const;

    // A person's input. Clicks land where a person clicks: a radio button or check box on its
    // indicator (the middle of a wide one may be empty space), a push button in its middle.
    static void click(QAbstractButton* button);
    static void typeInto(vl48::TMaskEdit* field, const QString& text);
    // Any text, letters beyond ASCII included, key by key.
    static void typeText(QWidget* widget, const QString& text);

    std::unique_ptr<vl48::TFrmMain> window;
    std::vector<Message> messages;
    QStringList fileDialogAnswers;  // paths handed to file dialogs in turn ("" cancels)
};

}  // namespace vl48test
