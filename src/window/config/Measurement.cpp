// Measuring on request: the input value and the terminal temperature, once per click.
#include <QLabel>
#include <QLocale>

#include "core/device/NumberTexts.h"
#include "core/session/Identification.h"
#include "window/FrmMain.h"

namespace vl48 {

void TFrmMain::BtnMeasTempClick() {
    guarded([&] {
        Frame reply;
        if (Send(CmdMeasure, 0, reply)) {
            const QString text = measuredText(replyLong(reply), LiveMeasureFaultFrom,
                                              QLocale().decimalPoint().at(0));
            if (!text.isEmpty()) LblMeasIN->setText(text);
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
