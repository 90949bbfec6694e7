// The two service tabs: brought into the tab row by their menu items and opened by access codes.
// Opening the output correction first proves that the transmitter's memory takes writes (the J1
// jumper) and reads how far the user has corrected the output.
#include <QAction>
#include <QGroupBox>
#include <QPushButton>

#include "core/session/OutputCorrection.h"
#include "window/FrmMain.h"
#include "window/Widgets.h"

namespace vl48 {

namespace {

const QString ServiceCode = QStringLiteral("K527D4");
const QString DACorrCode = QStringLiteral("RT5063");

// The code as typed, unfilled positions as spaces: an incomplete entry never matches.
QString typedCode(const TMaskEdit* field) {
    return field->displayText().replace(QLatin1Char('*'), QLatin1Char(' '));
}

bool isEnter(int key) { return key == Qt::Key_Return || key == Qt::Key_Enter; }

}  // namespace

void TFrmMain::MskEdtPwdKeyPress(int key) {
    if (!isEnter(key) || typedCode(MskEdtPwd) != ServiceCode) return;
    // Hidden before the service panel appears, so the focus leaving the code field cannot land
    // on an output field and drive the output.
    PanelPwd->hide();
    PanelService->show();
}

void TFrmMain::MskEdtPwd1KeyPress(int key) {
    if (!isEnter(key) || typedCode(MskEdtPwd1) != DACorrCode) return;
    guarded([&] {
        const CorrectionUnlock unlock = unlockCorrection(*link, drawWriteTestWord());
        if (unlock.outcome == UnlockOutcome::NoReply) {
            ShowConnect();
            return;
        }
        if (unlock.outcome == UnlockOutcome::MemoryKept) {
            // Without the jumper the transmitter acknowledges writes but keeps its memory.
            showMessage(MsgKind::Information,
                        QStringLiteral("Prosím spájejte propojku J1 na desce převodníku VL 48."));
            return;
        }
        const uint16_t state = unlock.state;
        // As with the service code: hidden first, so the focus cannot wander into a correction
        // field.
        PanelPwd1->hide();
        PanelDACorr->show();
        switch (state) {
            case CorrectionEnabled:
            case CorrectionByUser:
                GrpBxDACorr->show();
                SpdBtnEnableDACorr->setEnabled(false);
                EEDACorr();
                // EEDACorr ends the connection when it fails; there is no transmitter left to warn
                // about then.
                if (state == CorrectionByUser && ComPort->Active())
                    showMessage(MsgKind::Warning, MsgDACorrWarning);
                break;
            case CorrectionNeverEnabled:
                GrpBxDACorr->hide();
                SpdBtnEnableDACorr->setEnabled(true);
                break;
            default:
                break;  // an unknown state changes nothing
        }
    });
}

// The access codes act on Enter only.
void TFrmMain::connectServiceAccessHandlers() {
    connect(MskEdtPwd, &TMaskEdit::enterPressed, this,
            [this] { MskEdtPwdKeyPress(Qt::Key_Return); });
    connect(MskEdtPwd1, &TMaskEdit::enterPressed, this,
            [this] { MskEdtPwd1KeyPress(Qt::Key_Return); });
}

}  // namespace vl48
