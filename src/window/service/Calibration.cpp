// Calibration of the inputs against reference sources: the two-point PT100 and PT1000
// procedures, the thermocouple offset and the thermocouple millivolt correction. The program
// measures, computes and stores; the transmitter applies the constants.
#include "core/session/Calibration.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QRadioButton>
#include <QScopeGuard>
#include <optional>

#include "core/device/CalibrationMath.h"
#include "core/records/ConfigFile.h"
#include "core/session/ServiceTerminal.h"
#include "window/FrmMain.h"
#include "window/Widgets.h"

namespace vl48 {

// One start pair and one end pair, shared by both resistance procedures: a PT100 start may be
// finished by a PT1000 end. A pair changes only when both of its readings succeeded, so a
// half-failed measurement never mixes a new reading with an old one.
struct TFrmMain::CalibrationState {
    AdcPair start;
    AdcPair end;
};

namespace {

// The controls and constants of one resistance procedure.
struct Procedure {
    QPushButton* begin;
    QPushButton* end;
    QLabel* startReadings;
    QLabel* endReadings;
    QLabel* result;
    TMaskEdit* min;
    TMaskEdit* max;
    QLineEdit* constant;
    uint16_t wordA;
    double nominal;
};

Procedure pt100(const TFrmMain& w) {
    return {w.BtnCalPT100Begin, w.BtnCalPT100End, w.LblAINA100,    w.LblAINB100,  w.LblCalInfo100,
            w.MskEdtPT100Min,   w.MskEdtPT100Max, w.EdtPT100Const, AdcWordPT100A, PT100Nominal};
}

Procedure pt1000(const TFrmMain& w) {
    return {w.BtnCalPT1k0Begin, w.BtnCalPT1k0End, w.LblAINA1k0,   w.LblAINB1k0,   w.LblCalInfo1k0,
            w.MskEdtPT1k0Min,   w.MskEdtPT1k0Max, w.EdtPT1KConst, AdcWordPT1000A, PT1000Nominal};
}

QChar decimalSeparator() { return QLocale().decimalPoint().at(0); }

// Reads AIN2 under the procedure's word, then AIN3, into `readings` ("A / B"). `point` names the
// point in the failure texts: "a" for the start, "b" for the end. The button stays disabled for
// the two readings, so the same procedure cannot be started twice.
std::optional<AdcPair> measurePair(TFrmMain& window, QPushButton* button, QLabel* readings,
                                   QLabel* result, uint16_t wordA, const QString& point) {
    button->setEnabled(false);
    const auto enable = qScopeGuard([button] { button->setEnabled(true); });
    const PointReading reading = measureCalibrationPoint(
        *window.link, wordA,
        [readings](uint16_t a) { readings->setText(QString::number(a) + QStringLiteral(" / ")); });
    if (!reading.a) {
        result->setText(QStringLiteral("AIN2%1 bez odezvy.").arg(point));
        return std::nullopt;
    }
    if (!reading.b) {
        result->setText(QStringLiteral("AIN3%1 bez odezvy.").arg(point));
        return std::nullopt;
    }
    readings->setText(readings->text() + QString::number(*reading.b));
    return reading.pair();
}

void beginCalibration(TFrmMain& window, const Procedure& p, AdcPair& start) {
    if (const auto pair =
            measurePair(window, p.begin, p.startReadings, p.result, p.wordA, QStringLiteral("a"))) {
        start = *pair;
        p.result->setText(QStringLiteral("Čekám..."));
    }
}

void endCalibration(TFrmMain& window, const Procedure& p, AdcPair start, AdcPair& end) {
    const auto pair =
        measurePair(window, p.end, p.endReadings, p.result, p.wordA, QStringLiteral("b"));
    if (!pair) return;
    end = *pair;
    const double rMin = maskedDecimal(p.min->maskedText());
    const double rMax = maskedDecimal(p.max->maskedText());
    const ResistanceCalibration cal = resistanceCalibration(start, end, rMin, rMax, p.nominal);
    if (cal.fault != ArithmeticFault::None) {
        window.showMessage(MsgKind::Error, arithmeticFaultText(cal.fault));
        return;
    }
    p.result->setText(generalNumberText(cal.scale, decimalSeparator()));
    const QString constant = wholeText(cal.constant);
    p.constant->setText(constant);
    p.result->setText(p.result->text() + QStringLiteral(" | ") + constant);
}

// Stores the whole number of a field the person may have edited. Text that is no number, or a
// number the cell cannot hold, is refused and nothing is written.
void storeField(TFrmMain& window, QLineEdit* field, Cell cell, CellRange range) {
    const QString text = field->text();
    const std::optional<int64_t> value = parseWhole(text);
    if (!value) {
        window.showMessage(MsgKind::Error, notAnIntegerText(text));
        return;
    }
    switch (storeCalibrationValue(*window.link, cell, *value, range)) {
        case StoreOutcome::OutOfRange:
            window.showMessage(MsgKind::Error, doesNotFitText(*value, range));
            break;
        case StoreOutcome::WriteFailed:
            window.ShowConnect();
            break;
        case StoreOutcome::NoReading:
        case StoreOutcome::Stored:
            break;
    }
}

}  // namespace

void TFrmMain::BtnCalPT100BeginClick() {
    guarded([&] { beginCalibration(*this, pt100(*this), m_calibration->start); });
}

void TFrmMain::BtnCalPT1k0BeginClick() {
    guarded([&] { beginCalibration(*this, pt1000(*this), m_calibration->start); });
}

void TFrmMain::BtnCalPT100EndClick() {
    guarded([&] { endCalibration(*this, pt100(*this), m_calibration->start, m_calibration->end); });
}

void TFrmMain::BtnCalPT1k0EndClick() {
    guarded(
        [&] { endCalibration(*this, pt1000(*this), m_calibration->start, m_calibration->end); });
}

void TFrmMain::BtnPT100SaveClick() {
    guarded([&] { storeField(*this, EdtPT100Const, EEPT100Const, SignedCell); });
}

void TFrmMain::BtnPT1KSaveClick() {
    guarded([&] { storeField(*this, EdtPT1KConst, EEPT1KConst, SignedCell); });
}

void TFrmMain::BtnOffsetClick() {
    guarded([&] {
        const uint16_t word = RdBtnGain32->isChecked() ? AdcWordGain32 : AdcWordGain16;
        if (const auto reading = readInputConverter(*link, word))
            EdtOffset->setText(QString::number(*reading));
        // Stored even when the reading failed: then the field's previous or typed number goes in.
        storeField(*this, EdtOffset, EEADCOffset, UnsignedCell);
    });
}

void TFrmMain::BtnCorrMVClick() {
    guarded([&] {
        const QString measuredText = LblMeasMV->text();
        const std::optional<double> measured = parseDecimal(measuredText, decimalSeparator());
        if (!measured) {
            showMessage(MsgKind::Error, notAFloatText(measuredText));
            return;
        }
        const double trueMV = maskedDecimal(MskEdtTrueMV->maskedText());
        const MilliVoltGain gain = milliVoltGain(*measured, trueMV);
        if (gain.fault != ArithmeticFault::None) {
            showMessage(MsgKind::Error, arithmeticFaultText(gain.fault));
            return;
        }
        const QString constant = wholeText(gain.constant);
        showMessage(MsgKind::Plain, constant);
        switch (storeCalibrationValue(*link, EEMVCorr, gain.constant, UnsignedCell)) {
            case StoreOutcome::OutOfRange:
                showMessage(MsgKind::Error, doesNotFitText(constant, UnsignedCell));
                break;
            case StoreOutcome::WriteFailed:
                ShowConnect();
                break;
            case StoreOutcome::NoReading:
            case StoreOutcome::Stored:
                break;
        }
    });
}

void TFrmMain::connectCalibrationHandlers() {
    m_calibration = std::make_shared<CalibrationState>();
    connect(BtnCalPT100Begin, &QPushButton::clicked, this, &TFrmMain::BtnCalPT100BeginClick);
    connect(BtnCalPT100End, &QPushButton::clicked, this, &TFrmMain::BtnCalPT100EndClick);
    connect(BtnCalPT1k0Begin, &QPushButton::clicked, this, &TFrmMain::BtnCalPT1k0BeginClick);
    connect(BtnCalPT1k0End, &QPushButton::clicked, this, &TFrmMain::BtnCalPT1k0EndClick);
    connect(BtnPT100Save, &QPushButton::clicked, this, &TFrmMain::BtnPT100SaveClick);
    connect(BtnPT1KSave, &QPushButton::clicked, this, &TFrmMain::BtnPT1KSaveClick);
    connect(BtnOffset, &QPushButton::clicked, this, &TFrmMain::BtnOffsetClick);
    connect(BtnCorrMV, &QPushButton::clicked, this, &TFrmMain::BtnCorrMVClick);
}

}  // namespace vl48
