// Test fixture for the real window against the simulated transmitter: message boxes and file
// dialogs are recorded instead of shown.
#pragma once

#include <QString>
#include <memory>
#include <vector>

#include "SimFixture.h"
#include "ui/FrmMain.h"

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

    std::unique_ptr<vl48::TFrmMain> window;
    std::vector<Message> messages;
    QStringList fileDialogAnswers;  // paths handed to file dialogs in turn ("" cancels)
};

}  // namespace vl48test
