// The service terminal: the transmitter's raw readings, a single cell read or written by hand,
// the input converter measured under a word put together bit by bit, the output converter
// driven to a code, and the offset of the terminal temperature sensor.
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QScopeGuard>
#include <QSignalBlocker>
#include <algorithm>

#include "core/device/CalibrationMath.h"
#include "core/device/NumberTexts.h"
#include "core/records/ConfigFile.h"
#include "core/session/Identification.h"
#include "window/FrmMain.h"
#include "window/Widgets.h"

namespace vl48 {

namespace {

const QString NoSupport = QStringLiteral("no support");

// Which request the shown terminal temperature came from: red for the sensor (250), green for
// the second reading (245).
const QColor SensorColour(255, 0, 0);
const QColor SecondReadingColour(0, 128, 0);

// Items of CmbBxCommand.
constexpr int CommandRead = 0;
constexpr int CommandWrite = 1;
constexpr int CommandA75 = 2;

constexpr int ReleasePauseMs = 100;

void showTemperature(QLineEdit* field, int tenths, const QColor& background) {
    QPalette palette = field->palette();
    palette.setColor(QPalette::Base, background);
    field->setPalette(palette);
    field->setText(scaledText(tenths, 1) + QStringLiteral(" °C"));
}

int language(const TFrmMain& window) { return window.MSLanguageCZ->isChecked() ? 0 : 1; }

// The field may hold more than the converter takes (a person can type 20000 or -5): the code
// that goes out is limited, and the field shows it. Writing it back must not run the change
// handler again, which would drive the same code twice.
void driveToField(TFrmMain& window) {
    TSpinEdit* field = window.SpnEdtDA;
    const int code = std::clamp(field->value(), 0, OutputCodeMax);
    if (code != field->value()) {
        const QSignalBlocker quiet(field);
        field->setValue(code);
    }
    window.driveOutput(code);
}

}  // namespace

void TFrmMain::BtnRefreshClick() {
    guarded([&] {
        BtnRefresh->setEnabled(false);
        const auto enable = qScopeGuard([this] { BtnRefresh->setEnabled(true); });

        // Each request is made whatever became of the one before: an older unit without one of the
        // readings still shows the others.
        Frame reply;
        if (Send(CmdTemp, 0, reply))
            showTemperature(EdtTempSen, replySignedWord(reply), SensorColour);
        if (Send(CmdTempSecond, 0, reply))
            showTemperature(EdtTempSen, replySignedWord(reply), SecondReadingColour);

        if (Send(CmdAin1, 0, reply)) EdtAIN1->setText(QString::number(replyWord(reply)));
        if (Send(CmdAin2, 0, reply)) EdtAIN2->setText(QString::number(replyWord(reply)));
        EdtAIN3->setText(Send(CmdAin3, 0, reply) ? QString::number(replyWord(reply)) : NoSupport);

        if (Send(CmdMilliVolt, 0, reply)) {
            const int32_t value = replyLong(reply);
            EdtMV->setText(scaledText(value, 2));
            // Only a thermocouple's reading is millivolts; the millivolt correction reads it here.
            if (Config.EEInputType < FirstResistanceInputType)
                LblMeasMV->setText(scaledText(value, 3));
        } else {
            EdtMV->setText(NoSupport);
        }

        if (Send(CmdMeasure, 0, reply)) {
            const QString text =
                measuredText(replyLong(reply), LiveMeasureFaultFrom, QLocale().decimalPoint().at(0),
                             QStringLiteral(" °C"));
            if (!text.isEmpty()) EdtMeasTemp->setText(text);
        } else {
            EdtMeasTemp->setText(NoSupport);
        }
    });
}

void TFrmMain::BtnReadADClick() {
    guarded([&] {
        BtnReadAD->setEnabled(false);
        const auto enable = qScopeGuard([this] { BtnReadAD->setEnabled(true); });

        std::array<bool, 16> bits{};
        for (size_t i = 0; i < bits.size(); ++i) bits[i] = CheckBoxes[i]->isChecked();
        const uint16_t word = adcWord(bits);
        LblHEX->setText(adcWordText(word));

        Frame reply;
        EdtADData->setText(Send(CmdAdcRead, word, reply) ? QString::number(replyWord(reply))
                                                         : NoSupport);
    });
}

void TFrmMain::BtnCommandClick() {
    guarded([&] {
        Frame reply;
        switch (CmbBxCommand->currentIndex()) {
            case CommandRead:
                // The number goes out as the 24-bit data: 256 reaches the transmitter as 256.
                if (Send(CmdReadCell, uint32_t(SpnEdtCommand->value()), reply))
                    EdtCommand->setText(QString::number(replyWord(reply)));
                else
                    ShowConnect();
                break;
            case CommandWrite: {
                const QString text = EdtCommand->text();
                const std::optional<int64_t> value = parseWhole(text);
                if (!value) {
                    showMessage(MsgKind::Error, notAnIntegerText(text));
                    return;
                }
                if (!AnyCellWord.holds(*value)) {
                    showMessage(MsgKind::Error,
                                doesNotFitText(language(*this), *value, AnyCellWord));
                    return;
                }
                // The address travels in one byte: 256 would silently land in cell 0.
                const int64_t address = SpnEdtCommand->value();
                if (!CellAddress.holds(address)) {
                    showMessage(MsgKind::Error,
                                doesNotFitText(language(*this), address, CellAddress));
                    return;
                }
                if (!SendEE(CmdWriteCell, uint8_t(address), cellWord(int(*value)))) ShowConnect();
                break;
            }
            case CommandA75:
                if (Send(CmdReadCell, EETermOffset, reply))
                    EdtCommand->setText(QString::number(replySignedWord(reply)));
                else
                    ShowConnect();
                break;
            default:
                break;
        }
    });
}

void TFrmMain::SpnEdtDAChange() {
    guarded([&] { driveToField(*this); });
}

void TFrmMain::SpnEdtDAEnter() {
    guarded([&] { driveToField(*this); });
}

void TFrmMain::SpnEdtDAExit() {
    guarded([&] { releaseOutput(ReleasePauseMs); });
}

void TFrmMain::BtnADT75OffClick() {
    guarded([&] {
        Frame reply;
        if (!Send(CmdTemp, 0, reply)) {
            writeFailed();
            return;
        }
        const int reading = replySignedWord(reply);  // 0.1 degC
        LblADT75Real->setText(scaledText(reading, 1) + QStringLiteral(" °C"));

        const double trueTemp = maskedDecimal(MskEdtADT75->maskedText());
        const int64_t offset = terminalOffset(trueTemp, reading);
        LblADT75Off->setText(scaledText(offset, 1) + QStringLiteral(" °C"));

        if (!SignedCell.holds(offset)) {
            showMessage(MsgKind::Error, doesNotFitText(language(*this), offset, SignedCell));
            return;
        }
        if (!SendEE(CmdWriteCell, EETermOffset, cellWord(int(offset)))) writeFailed();
    });
}

void TFrmMain::connectServiceTerminalHandlers() {
    connect(BtnRefresh, &QPushButton::clicked, this, &TFrmMain::BtnRefreshClick);
    connect(BtnReadAD, &QPushButton::clicked, this, &TFrmMain::BtnReadADClick);
    connect(BtnCommand, &QPushButton::clicked, this, &TFrmMain::BtnCommandClick);
    connect(SpnEdtDA, &QSpinBox::valueChanged, this, &TFrmMain::SpnEdtDAChange);
    connect(SpnEdtDA, &TSpinEdit::focusEntered, this, &TFrmMain::SpnEdtDAEnter);
    connect(SpnEdtDA, &TSpinEdit::focusLeft, this, &TFrmMain::SpnEdtDAExit);
    connect(BtnADT75Off, &QPushButton::clicked, this, &TFrmMain::BtnADT75OffClick);
}

}  // namespace vl48
