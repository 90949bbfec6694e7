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
#include "core/session/Calibration.h"
#include "core/session/Identification.h"
#include "core/session/ServiceTerminal.h"
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

// A reading of the refresh, shown as soon as its exchange is over. An unanswered AIN3, millivolt
// or measured reading says "no support"; the other fields keep what they showed.
void showTerminalValue(TFrmMain& w, TerminalValue which, const TerminalReadings& r) {
    switch (which) {
        case TerminalValue::SensorTemp:
            if (r.sensorTemp) showTemperature(w.EdtTempSen, *r.sensorTemp, SensorColour);
            break;
        case TerminalValue::SecondTemp:
            if (r.secondTemp) showTemperature(w.EdtTempSen, *r.secondTemp, SecondReadingColour);
            break;
        case TerminalValue::Ain1:
            if (r.ain1) w.EdtAIN1->setText(QString::number(*r.ain1));
            break;
        case TerminalValue::Ain2:
            if (r.ain2) w.EdtAIN2->setText(QString::number(*r.ain2));
            break;
        case TerminalValue::Ain3:
            w.EdtAIN3->setText(r.ain3 ? QString::number(*r.ain3) : NoSupport);
            break;
        case TerminalValue::MilliVolt:
            w.EdtMV->setText(r.milliVolt ? scaledText(*r.milliVolt, 2) : NoSupport);
            // Only a thermocouple's reading is millivolts; the millivolt correction reads it here.
            if (r.milliVolt && w.Config.EEInputType < FirstResistanceInputType)
                w.LblMeasMV->setText(scaledText(*r.milliVolt, 3));
            break;
        case TerminalValue::Measured:
            if (!r.measured) {
                w.EdtMeasTemp->setText(NoSupport);
            } else if (const QString text =
                           measuredText(*r.measured, LiveMeasureFaultFrom,
                                        QLocale().decimalPoint().at(0), QStringLiteral(" °C"));
                       !text.isEmpty()) {
                w.EdtMeasTemp->setText(text);
            }
            break;
    }
}

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
        // Each reading is shown as it comes, so that what came before a port error stays shown.
        readTerminal(*link, [this](TerminalValue which, const TerminalReadings& r) {
            showTerminalValue(*this, which, r);
        });
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

        const std::optional<uint16_t> data = readInputConverter(*link, word);
        EdtADData->setText(data ? QString::number(*data) : NoSupport);
    });
}

void TFrmMain::BtnCommandClick() {
    guarded([&] {
        switch (CmbBxCommand->currentIndex()) {
            case CommandRead:
                if (const auto word = readAddress(*link, uint32_t(SpnEdtCommand->value())))
                    EdtCommand->setText(QString::number(*word));
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
                    showMessage(MsgKind::Error, doesNotFitText(*value, AnyCellWord));
                    return;
                }
                // The address travels in one byte: 256 would silently land in cell 0.
                const int64_t address = SpnEdtCommand->value();
                if (!CellAddress.holds(address)) {
                    showMessage(MsgKind::Error, doesNotFitText(address, CellAddress));
                    return;
                }
                if (!writeAddress(*link, uint8_t(address), cellWord(int(*value)))) ShowConnect();
                break;
            }
            case CommandA75:
                if (const auto offset = readTerminalOffset(*link))
                    EdtCommand->setText(QString::number(*offset));
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
        const double trueTemp = maskedDecimal(MskEdtADT75->maskedText());
        const auto show = [this](const TerminalOffsetStore& m) {
            LblADT75Real->setText(scaledText(m.reading, 1) + QStringLiteral(" °C"));
            LblADT75Off->setText(scaledText(m.offset, 1) + QStringLiteral(" °C"));
        };
        const TerminalOffsetStore store = calibrateTerminalOffset(*link, trueTemp, show);
        switch (store.outcome) {
            case StoreOutcome::NoReading:
            case StoreOutcome::WriteFailed:
                writeFailed();
                break;
            case StoreOutcome::OutOfRange:
                showMessage(MsgKind::Error, doesNotFitText(store.offset, SignedCell));
                break;
            case StoreOutcome::Stored:
                break;
        }
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
