// Arithmetic of the service terminal and the input calibration: rounding, the scale and constant
// of the resistance calibrations, the terminal sensor offset, the millivolt gain, the input
// converter's configuration word and the ranges of the cells these land in. No widgets, no port.
#pragma once

#include <QChar>
#include <QString>
#include <array>
#include <cstdint>
#include <optional>

namespace vl48 {

// Configuration words of the input converter (command 246) that the calibration measures with.
constexpr uint16_t AdcWordPT100A = 0x1391;   // U/^B, G1, G0, REFSEL, BUF, CH0: AIN2
constexpr uint16_t AdcWordPT1000A = 0x1091;  // U/^B, REFSEL, BUF, CH0: AIN2
constexpr uint16_t AdcWordB = 0x1092;        // U/^B, REFSEL, BUF, CH1: AIN3, both procedures
constexpr uint16_t AdcWordGain16 = 0x0491;   // G2, REFSEL, BUF, CH0: "AIN2 @ GAIN16"
constexpr uint16_t AdcWordGain32 = 0x0591;   // G2, G0, REFSEL, BUF, CH0: "AIN2 @ GAIN32"
// Bits 6, 5 and 3 have no function in the converter; the word never carries them.
constexpr uint16_t AdcUnusedBits = 0x0068;

// Nominal scales the resistance constants are deviations from, and the millivolt gain's nominal.
constexpr double PT100Nominal = 600.0;
constexpr double PT1000Nominal = 5050.0;
constexpr double MilliVoltGainNominal = 11700.0;

// To the nearest whole number, halves to the even neighbour: 2.5 -> 2, 3.5 -> 4, -2.5 -> -2.
double roundHalfEven(double x);

// The configuration word from its sixteen bits, bit 15 first; the unused bits stay clear.
uint16_t adcWord(const std::array<bool, 16>& bitsFrom15);
// "0x" + four upper-case hexadecimal digits + "h": 1 -> "0x0001h".
QString adcWordText(uint16_t word);

// A decimal number with the given separator: optional minus, digits, optionally the separator and
// more digits. Nothing else (no spaces, no exponent, no group separators).
std::optional<double> parseDecimal(const QString& text, QChar separator);
// A masked decimal field whose blanks have become "0" ("023,500"): the separator is always the
// comma. Such a text is always a number; anything else reads as 0.
double maskedDecimal(const QString& maskedText);
// A whole number as typed into a plain edit ("-12", " 40 "): surrounding spaces are allowed.
std::optional<int64_t> parseWhole(const QString& text);

// Floating-point faults, reported as the run-time reports them.
enum class ArithmeticFault { None, InvalidOperation, DivisionByZero };
QString arithmeticFaultText(ArithmeticFault fault);
QString notAFloatText(const QString& text);  // "'abc' is not a valid floating point value"

// A two-point resistance calibration: the readings of AIN2 (a) and AIN3 (b) at the reference
// resistances Rmin and Rmax give the scale K in ohms per unit of the ratio a / b, and the stored
// constant C, the deviation of K from the nominal scale in thousandths.
struct AdcPair {
    uint16_t a = 0;
    uint16_t b = 0;
};
struct ResistanceCalibration {
    ArithmeticFault fault = ArithmeticFault::None;
    double scale = 0;     // K
    double constant = 0;  // C, whole
};
ResistanceCalibration resistanceCalibration(AdcPair start, AdcPair end, double rMin, double rMax,
                                            double nominal);

// The terminal sensor offset in 0.1 degC: the true temperature in tenths, rounded, less the
// sensor's reading.
int64_t terminalOffset(double trueTemp, int reading);

// The thermocouple millivolt gain: the nominal gain scaled by true / measured millivolts.
struct MilliVoltGain {
    ArithmeticFault fault = ArithmeticFault::None;
    double constant = 0;  // whole
};
MilliVoltGain milliVoltGain(double measuredMV, double trueMV);

// A number in general format: up to 15 significant digits, trailing zeros dropped, the given
// decimal separator; exponent form only for very large or very small magnitudes.
QString generalNumberText(double value, QChar separator);
// A whole number held in a double, as decimal digits.
QString wholeText(double value);

// What a 16-bit cell (or a one-byte address) can take.
struct CellRange {
    int64_t low;
    int64_t high;
    bool holds(int64_t value) const { return value >= low && value <= high; }
    bool holds(double value) const { return value >= double(low) && value <= double(high); }
};
constexpr CellRange SignedCell{-32768, 32767};
constexpr CellRange UnsignedCell{0, 65535};
constexpr CellRange AnyCellWord{-32768, 65535};  // either reading of the 16 bits
constexpr CellRange CellAddress{0, 254};         // the last cell starts at byte 254

}  // namespace vl48
