// The number texts read back: every value of a field's range comes back from its fixed-width
// text, a scaled text comes back exactly (as digits and as a decimal), and Windows-1250 text
// survives its bytes.
#include <fuzzer/FuzzedDataProvider.h>

#include <QByteArray>
#include <QString>
#include <cstddef>
#include <cstdint>
#include <optional>

#include "FuzzCheck.h"
#include "core/device/CalibrationMath.h"
#include "core/device/Cp1250.h"
#include "core/device/NumberTexts.h"

using namespace vl48;

namespace {

// A field's text as its mask holds it: blanks are the digit 0.
QString asMasked(QString text) { return text.replace(QLatin1Char(' '), QLatin1Char('0')); }

// n / 10^decimals read back from its text, digit for digit.
std::optional<int64_t> unscale(const QString& text, int decimals, QChar separator) {
    const qsizetype at = text.indexOf(separator);
    QString digits = at < 0 ? text : text.left(at);
    const QString fraction = at < 0 ? QString() : text.mid(at + 1);
    if (fraction.size() > decimals || (at >= 0 && fraction.isEmpty())) return std::nullopt;
    if (fraction.endsWith(QLatin1Char('0'))) return std::nullopt;  // trailing zeros are dropped
    digits += fraction.leftJustified(decimals, QLatin1Char('0'));
    bool ok = false;
    const qlonglong value = digits.toLongLong(&ok);
    if (!ok) return std::nullopt;
    return value;
}

void checkScaled(int64_t n, int decimals, QChar separator) {
    const QString text = scaledText(n, decimals, separator);
    FUZZ_CHECK_TEXT(unscale(text, decimals, separator) == n, text);
    FUZZ_CHECK_TEXT(!text.startsWith(QLatin1String("-0")) || text.size() > 2, text);
    // As a decimal: the text's nearest double is the quotient's nearest double, as long as both
    // n and the power of ten are exact doubles.
    if (n > -(int64_t(1) << 53) && n < (int64_t(1) << 53) && decimals <= 15) {
        double scale = 1;
        for (int i = 0; i < decimals; ++i) scale *= 10;
        FUZZ_CHECK_TEXT(parseDecimal(text, separator) == double(n) / scale, text);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider in(data, size);

    // The ranges the fixed-width fields hold.
    const int range = in.ConsumeIntegralInRange(-999, 9999);
    const QString rangeField = rangeText(range);
    FUZZ_CHECK_TEXT(rangeField.size() == (range == 0 ? 3 : 4), rangeField);
    FUZZ_CHECK_TEXT(maskedInteger(asMasked(rangeField)) == range, rangeField);

    const int comp = in.ConsumeIntegralInRange(-99, 999);
    const QString compField = compTempText(comp);
    FUZZ_CHECK_TEXT(compField.size() == (comp == 0 ? 2 : 3), compField);
    FUZZ_CHECK_TEXT(maskedInteger(asMasked(compField)) == comp, compField);

    const int lineRes = in.ConsumeIntegralInRange(-999, 9999);
    const QString lineResField = lineResText(lineRes);
    FUZZ_CHECK_TEXT(lineResField.size() == 5, lineResField);
    FUZZ_CHECK_TEXT(maskedHundredths(asMasked(lineResField)) == lineRes, lineResField);
    FUZZ_CHECK_TEXT(maskedDecimal(asMasked(lineResField)) == double(lineRes) / 100, lineResField);

    // Scaled texts over every 64-bit value and every scale a 64-bit power of ten allows.
    const int64_t n = in.ConsumeIntegral<int64_t>();
    const int decimals = in.ConsumeIntegralInRange(0, 18);
    checkScaled(n, decimals, QLatin1Char(','));
    checkScaled(n, decimals, QLatin1Char('.'));

    // Windows-1250: a text of encodable characters comes back from its bytes; any other
    // character becomes "?" and is reported.
    const std::string raw = in.ConsumeRandomLengthString(128);
    const QString text(reinterpret_cast<const QChar*>(raw.data()), qsizetype(raw.size() / 2));
    bool ok = false;
    const QByteArray bytes = toCp1250(text, &ok);
    FUZZ_CHECK(bytes.size() == text.size());
    bool all = true;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const bool encodable = cp1250CanEncode(text.at(i));
        all = all && encodable;
        if (!encodable) FUZZ_CHECK(bytes.at(i) == '?');
    }
    FUZZ_CHECK(ok == all);
    if (ok) FUZZ_CHECK_TEXT(fromCp1250(bytes) == text, text);
    // And bytes come back from their text unless they are one of the undefined five.
    const QByteArray rawBytes = QByteArray::fromStdString(in.ConsumeRemainingBytesAsString());
    const QString decoded = fromCp1250(rawBytes);
    bool definedBytes = true;
    const QByteArray encoded = toCp1250(decoded, &definedBytes);
    FUZZ_CHECK(definedBytes == !decoded.contains(QChar(0xFFFD)));
    if (definedBytes) FUZZ_CHECK(encoded == rawBytes);
    return 0;
}
