// Measuring on request: the input value and the terminal temperature, once per click (and once
// per repetition of the trend, window/config/Trend.cpp).
#include <QLabel>
#include <QLocale>

#include "core/device/NumberTexts.h"
#include "core/session/Identification.h"
#include "window/FrmMain.h"

namespace vl48 {

void TFrmMain::BtnMeasTempClick() {
    guarded([&] { measureNow(); });
}

TrendSample TFrmMain::measureNow() {
    TrendSample read;
    Frame reply;
    if (Send(CmdMeasure, 0, reply)) {
        read.measured = replyLong(reply);
        const QString text =
            measuredText(*read.measured, LiveMeasureFaultFrom, QLocale().decimalPoint().at(0));
        if (!text.isEmpty()) LblMeasIN->setText(text);
    } else {
        writeFailed();
    }
    // After a failure above the port is closed and this exchange ends the handler with the
    // closed-port error.
    if (Send(CmdTemp, 0, reply)) {
        read.temperature = replySignedWord(reply);
        LblMeasTE->setText(scaledText(*read.temperature, 1));
    } else {
        writeFailed();
    }
    return read;
}

}  // namespace vl48
