// Line errors and automatic reconnection: a pulled cable either ends the connection with a
// message, or (with automatic reconnection ticked) waits in a dialog for the next transmitter and
// connects to it by itself.
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

#include "window/FrmMain.h"
#include "window/OKBottomDlg.h"

namespace vl48 {

void TFrmMain::ComPortLineError(TLineErrors) {
    if (OKBottomDlg->Tag != 0) return;  // already waiting for a transmitter
    if (m_handlerDepth > 0) {
        // A handler is still in the middle of its work; it sees its exchange fail now, and the
        // line error is dealt with once it has returned.
        m_lineErrorPending = true;
        return;
    }
    if (ChckBxAutoCon->isChecked()) {
        PanelSettings->hide();
        PanelConnect->show();
        OKBottomDlg->exec();
        return;
    }
    showMessage(MsgKind::Error, MsgCable);
    ComPort->setActive(false);
    ShowConnect();
}

void TFrmMain::OKBottomDlgFormActivate() {
    OKBottomDlg->Tag = 1;
    TmrReConn->start();
}

void TFrmMain::OKBottomDlgCancelBtnClick() {
    TmrReConn->stop();
    OKBottomDlg->Tag = 0;
    ShowConnect();
}

void TFrmMain::TmrReConnTimer() {
    ComPort->setActive(false);
    try {
        ComPort->setActive(true);
    } catch (const EComError&) {
        return;  // nothing plugged in yet; try again at the next tick
    }
    link->drawFrameTag();
    // The last tick's query may still be answered late, but an answer to a presence query can
    // only be taken for this one's, which asks the same: no need to wait for it, and every tick
    // asks.
    link->forgetMissedReply();
    if (!Send(CmdIdentify, 0)) return;  // the port stays open until the next tick closes it

    TmrReConn->stop();
    // The pending flag stays up until the dialog has closed, so line errors met while
    // connecting cannot open a second dialog; the dialog closes however Connect ends.
    const auto closeDialog = [this] {
        OKBottomDlg->accept();
        OKBottomDlg->Tag = 0;
    };
    try {
        Connect();
    } catch (...) {
        closeDialog();
        throw;
    }
    closeDialog();
}

}  // namespace vl48
