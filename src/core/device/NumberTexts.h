// Texts of numbers as the window shows them: fixed-width masked-field texts of the cells, and
// scaled integers ("0.#", "0.##", "0.###") without rounding error.
#pragma once

#include <QChar>
#include <QString>
#include <cstdint>

namespace vl48 {

// n / 10^decimals with at most `decimals` places, trailing zeros dropped, at least one integer
// digit: 2345,2 -> "23,45"; -200,1 -> "-20"; -5,1 -> "-0,5".
QString scaledText(int64_t n, int decimals, QChar separator);
// The same with the regional decimal separator.
QString scaledText(int64_t n, int decimals);

// Masked-field texts of the cells: one digit less for non-positive values, so that with the
// minus sign the width is the same.
QString rangeText(int value);         // "%.3d" / "%.4d": -50 -> "-050", 0 -> "000", 450 -> "0450"
QString compTempText(int value);      // "%.2d" / "%.3d": -5 -> "-05", 0 -> "00", 25 -> "025"
QString lineResText(int hundredths);  // "%5.2f" of value/100 with a comma: 150 -> " 1,50"

// The texts of the firmware number (command 254), whose decimal digits are the version and the
// release date: 1310250312 -> "1.310", "25.03.2012" and "1.310/250312".
struct FirmwareTexts {
    QString version;  // first four digits, a point after the first
    QString date;     // digits 5..10 as day.month.20year
    QString full;     // every digit, a point after the first and a slash after the fourth
    bool operator==(const FirmwareTexts&) const = default;
};
FirmwareTexts firmwareTexts(int32_t firmware);

}  // namespace vl48

namespace vl48 {

// Readings of masked-field texts whose blanks have become "0": "-050" -> -50, "0005" -> 5.
int maskedInteger(const QString& text);
// Ohms with a decimal comma to hundredths: "01,50" -> 150, "-9,99" -> -999.
int maskedHundredths(const QString& text);

}  // namespace vl48
