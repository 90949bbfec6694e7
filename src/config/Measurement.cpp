// Measuring on request: the input value and the terminal temperature, once per click.
#include <QLabel>

#include "config/NumberTexts.h"
#include "link/Identification.h"
#include "ui/FrmMain.h"

namespace vl48 {

void TFrmMain::BtnMeasTempClick() {
    guarded([&] {
        Frame reply;
        if (Send(CmdMeasure, 0, reply)) {
            const int32_t value = replyLong(reply);
            switch (measuredKind(value, LiveMeasureFaultFrom)) {
                case Measured::Reading:
                    LblMeasIN->setText(scaledText(value, 2));
                    break;
                case Measured::FaultHigh:
                    LblMeasIN->setText(QStringLiteral("Err +T"));
                    break;
                case Measured::FaultLow:
                    LblMeasIN->setText(QStringLiteral("Err -T"));
                    break;
                case Measured::Unknown:
                    break;
            }
        } else {
            writeFailed();
        }
        // After a failure above the port is closed and this exchange ends the handler with the
        // closed-port error.
        if (Send(CmdTemp, 0, reply))
            LblMeasTE->setText(scaledText(replySignedWord(reply), 1));
        else
            writeFailed();
    });
}

}  // namespace vl48
