// The core's text readers on any text: no crash, no undefined behaviour (overflow above all),
// and what they accept reads back the same from the number's own text. Texts as short as the
// masked fields also go on into the arithmetic the windows feed them to.
#include <fuzzer/FuzzedDataProvider.h>

#include <QDate>
#include <QLocale>
#include <QString>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <optional>

#include "FuzzCheck.h"
#include "core/device/CalibrationMath.h"
#include "core/device/Configuration.h"
#include "core/device/NumberTexts.h"
#include "core/records/ConfigFile.h"

using namespace vl48;

namespace {

// The widest masked decimal field, "000,000".
constexpr qsizetype MaskedFieldWidth = 7;

QString textFrom(FuzzedDataProvider& in) {
    const std::string raw = in.ConsumeRandomLengthString(256);
    switch (in.ConsumeIntegralInRange(0, 2)) {
        case 0:
            return QString::fromLatin1(raw.data(), qsizetype(raw.size()));
        case 1:
            return QString::fromUtf8(raw.data(), qsizetype(raw.size()));
        default:  // any UTF-16 code units, lone surrogates and non-ASCII digits included
            return QString(reinterpret_cast<const QChar*>(raw.data()), qsizetype(raw.size() / 2));
    }
}

void checkDecimal(const QString& text, QChar separator) {
    const std::optional<double> value = parseDecimal(text, separator);
    if (!value || !std::isfinite(*value)) return;
    // A whole number read from its own digits reads the same.
    if (std::fabs(*value) < 9.0e15 && *value == std::trunc(*value)) {
        const QString digits = QString::number(int64_t(*value));
        FUZZ_CHECK_TEXT(parseDecimal(digits, separator) == *value, text);
    }
}

void checkWhole(const QString& text) {
    const std::optional<int64_t> value = parseWhole(text);
    if (!value) return;
    FUZZ_CHECK_TEXT(parseWhole(QString::number(*value)) == value, text);
    FUZZ_CHECK_TEXT(
        parseWhole(QLatin1Char(' ') + QString::number(*value) + QLatin1Char(' ')) == value, text);
    // Whatever the cell ranges say of it, they say without overflow.
    (void)SignedCell.holds(*value);
}

// A scale as the service view shows it: 15 significant digits read back within their rounding,
// with the comma the view asked for.
void checkGeneral(double value) {
    if (!std::isfinite(value)) return;
    const QString text = generalNumberText(value, QLatin1Char(','));
    FUZZ_CHECK_TEXT(!text.contains(QLatin1Char('.')), text);
    bool ok = false;
    const double back = QString(text).replace(QLatin1Char(','), QLatin1Char('.')).toDouble(&ok);
    FUZZ_CHECK_TEXT(ok && std::fabs(back - value) <= 1e-14 * std::fabs(value), text);
}

// A calibration constant is whole, and its digits read back as it.
void checkConstant(double constant) {
    if (!std::isfinite(constant) || std::fabs(constant) >= 9.0e15) return;
    FUZZ_CHECK(constant == std::trunc(constant));
    const QString text = wholeText(constant);
    FUZZ_CHECK_TEXT(parseWhole(text) == int64_t(constant), text);
}

// The arithmetic of the service view over values read from masked fields.
void checkCalibration(const QString& a, const QString& b, FuzzedDataProvider& in) {
    const double first = maskedDecimal(a);
    const double second = maskedDecimal(b);
    const int reading = in.ConsumeIntegral<int16_t>();
    const int64_t offset = terminalOffset(first, reading);
    (void)SignedCell.holds(offset);

    const AdcPair start{in.ConsumeIntegral<uint16_t>(), in.ConsumeIntegral<uint16_t>()};
    const AdcPair end{in.ConsumeIntegral<uint16_t>(), in.ConsumeIntegral<uint16_t>()};
    const ResistanceCalibration cal =
        resistanceCalibration(start, end, first, second, PT100Nominal);
    if (cal.fault == ArithmeticFault::None) {
        checkGeneral(cal.scale);
        checkConstant(cal.constant);
    }
    // The fault texts are fixed; calling them here is for the sanitizers only.
    (void)arithmeticFaultText(cal.fault);

    // The measured millivolts come from a label showing a 32-bit reading in thousandths.
    const QString measuredText = scaledText(in.ConsumeIntegral<int32_t>(), 3, QLatin1Char(','));
    const std::optional<double> measured = parseDecimal(measuredText, QLatin1Char(','));
    FUZZ_CHECK_TEXT(measured.has_value(), measuredText);
    const MilliVoltGain gain = milliVoltGain(*measured, second);
    if (gain.fault == ArithmeticFault::None) {
        (void)UnsignedCell.holds(gain.constant);
        checkConstant(gain.constant);
    }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    QLocale::setDefault(QLocale(QLocale::Czech, QLocale::Czechia));
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider in(data, size);
    const QString text = textFrom(in);
    const QString other = textFrom(in);

    (void)maskedInteger(text);
    (void)maskedHundredths(text);
    (void)maskedDecimal(text);
    checkDecimal(text, QLatin1Char(','));
    checkDecimal(text, QLatin1Char('.'));
    // Any separator at all, a digit or a sign included: only safety is asked of that.
    (void)parseDecimal(text, QChar(in.ConsumeIntegral<uint16_t>()));
    checkWhole(text);

    // The date line of a configuration file: a date it reads within the file's years is written
    // and read back as the same date.
    const QDate date = configDateFromText(text);
    if (date.isValid() && date.year() >= 100 && date.year() <= 9999)
        FUZZ_CHECK_TEXT(configDateFromText(configDateText(date)) == date, text);

    // A number line of a configuration file: read into the field's room, as a number the field
    // can hold, whose text reads back as that very number.
    for (const FieldDef& def : ConfigFields) {
        if (def.kind != FieldKind::Number) continue;
        const QString field = fieldReading(def, text);
        FUZZ_CHECK_TEXT(field.size() == qsizetype(qstrlen(def.mask)), field);
        const int number = fieldNumber(def, field);
        FUZZ_CHECK_TEXT(number >= def.minimum() && number <= def.maximum(), field);
        FUZZ_CHECK_TEXT(fieldNumber(def, fieldText(def, number)) == number, field);
        FUZZ_CHECK_TEXT(fieldReading(def, field) == field, field);
    }

    (void)notAnIntegerText(text);
    (void)notAFloatText(text);
    (void)notADateText(text);

    if (text.size() <= MaskedFieldWidth && other.size() <= MaskedFieldWidth)
        checkCalibration(text, other, in);
    return 0;
}
