// The arithmetic under the service terminal and the input calibration: rounding halves to even,
// the constants of the resistance calibrations, the terminal sensor offset, the millivolt gain,
// the converter's configuration word, the readings of typed numbers and the cell ranges.
#include <gtest/gtest.h>

#include <cmath>

#include "core/device/CalibrationMath.h"

using namespace vl48;

TEST(RoundHalfEven, HalvesGoToTheEvenNeighbour) {
    EXPECT_EQ(roundHalfEven(0.5), 0.0);
    EXPECT_EQ(roundHalfEven(1.5), 2.0);
    EXPECT_EQ(roundHalfEven(2.5), 2.0);
    EXPECT_EQ(roundHalfEven(3.5), 4.0);
    EXPECT_EQ(roundHalfEven(4.5), 4.0);
    EXPECT_EQ(roundHalfEven(-0.5), 0.0);
    EXPECT_EQ(roundHalfEven(-1.5), -2.0);
    EXPECT_EQ(roundHalfEven(-2.5), -2.0);
    EXPECT_EQ(roundHalfEven(-3.5), -4.0);
    EXPECT_EQ(roundHalfEven(32767.5), 32768.0);
    EXPECT_EQ(roundHalfEven(-32768.5), -32768.0);
}

TEST(RoundHalfEven, EverythingElseGoesToTheNearest) {
    EXPECT_EQ(roundHalfEven(2.4999), 2.0);
    EXPECT_EQ(roundHalfEven(2.5001), 3.0);
    EXPECT_EQ(roundHalfEven(-2.4999), -2.0);
    EXPECT_EQ(roundHalfEven(-2.5001), -3.0);
    EXPECT_EQ(roundHalfEven(212.99999999999997), 213.0);
    EXPECT_EQ(roundHalfEven(0.0), 0.0);
    EXPECT_EQ(roundHalfEven(7.0), 7.0);
    EXPECT_EQ(roundHalfEven(-7.0), -7.0);
    EXPECT_EQ(roundHalfEven(4503599627370497.0), 4503599627370497.0);  // 2^52 + 1
}

TEST(ResistanceCalibration, ScaleIsResistanceSpanOverRatioSpan) {
    // Ratios 0.25 and 0.3125 (exact in binary), spans of 37.625 and 315.75 ohms.
    const AdcPair start{10000, 40000};
    const AdcPair end{12500, 40000};
    const auto pt100 = resistanceCalibration(start, end, 100.0, 137.625, PT100Nominal);
    EXPECT_EQ(pt100.fault, ArithmeticFault::None);
    EXPECT_EQ(pt100.scale, 602.0);
    EXPECT_EQ(pt100.constant, 2000.0);

    const auto pt1000 = resistanceCalibration(start, end, 1000.0, 1315.75, PT1000Nominal);
    EXPECT_EQ(pt1000.scale, 5052.0);
    EXPECT_EQ(pt1000.constant, 2000.0);

    // Below the nominal the constant is negative.
    const auto low = resistanceCalibration(start, end, 100.0, 137.375, PT100Nominal);
    EXPECT_EQ(low.scale, 598.0);
    EXPECT_EQ(low.constant, -2000.0);
}

TEST(ResistanceCalibration, ReversedReferencesGiveANegativeScale) {
    const auto cal =
        resistanceCalibration({10000, 40000}, {12500, 40000}, 137.625, 100.0, PT100Nominal);
    EXPECT_EQ(cal.scale, -602.0);
    EXPECT_EQ(cal.constant, -1202000.0);
    // Untouched fields read 0 ohms on both sides: a scale of zero.
    const auto zero = resistanceCalibration({10000, 40000}, {12500, 40000}, 0, 0, PT100Nominal);
    EXPECT_EQ(zero.fault, ArithmeticFault::None);
    EXPECT_EQ(zero.scale, 0.0);
    EXPECT_EQ(zero.constant, -600000.0);
}

TEST(ResistanceCalibration, ConstantIsRoundedToTheNearestThousandth) {
    // 37.6 / 0.0625 = 601.6 (not exact in binary, but far from a half): 1600.
    const auto cal =
        resistanceCalibration({10000, 40000}, {12500, 40000}, 100.0, 137.6, PT100Nominal);
    EXPECT_NEAR(cal.scale, 601.6, 1e-9);
    EXPECT_EQ(cal.constant, 1600.0);
}

TEST(ResistanceCalibration, ArithmeticFaultsAreReportedNotComputed) {
    // No pair measured since start-up: 0 / 0.
    EXPECT_EQ(resistanceCalibration({}, {}, 100, 138.5, PT100Nominal).fault,
              ArithmeticFault::InvalidOperation);
    // A reading divided by a zero second reading.
    EXPECT_EQ(resistanceCalibration({5, 0}, {12500, 40000}, 100, 138.5, PT100Nominal).fault,
              ArithmeticFault::DivisionByZero);
    EXPECT_EQ(resistanceCalibration({10000, 40000}, {7, 0}, 100, 138.5, PT100Nominal).fault,
              ArithmeticFault::DivisionByZero);
    // Equal ratios: the span is divided by zero, or zero by zero.
    EXPECT_EQ(resistanceCalibration({1, 2}, {2, 4}, 100, 138.5, PT100Nominal).fault,
              ArithmeticFault::DivisionByZero);
    EXPECT_EQ(resistanceCalibration({1, 2}, {2, 4}, 100, 100, PT100Nominal).fault,
              ArithmeticFault::InvalidOperation);
    EXPECT_EQ(arithmeticFaultText(ArithmeticFault::InvalidOperation),
              "Invalid floating point operation");
    EXPECT_EQ(arithmeticFaultText(ArithmeticFault::DivisionByZero),
              "Floating point division by zero");
}

TEST(TerminalOffset, TrueTemperatureInTenthsLessTheReading) {
    EXPECT_EQ(terminalOffset(23.5, 210), 25);
    EXPECT_EQ(terminalOffset(10.0, 235), -135);
    EXPECT_EQ(terminalOffset(0.0, -50), 50);
    EXPECT_EQ(terminalOffset(21.3, 0), 213);  // 212.99999999999997 in binary
    EXPECT_EQ(terminalOffset(0.25, 0), 2);    // exactly 2.5 tenths: to the even 2
    EXPECT_EQ(terminalOffset(0.75, 0), 8);    // exactly 7.5 tenths: to the even 8
    EXPECT_EQ(terminalOffset(99.9, -32768), 33767);
}

TEST(MilliVoltGain, NominalGainScaledByTrueOverMeasured) {
    // 11700 * 1.25 / 1.234 = 11851.70...
    auto gain = milliVoltGain(1.234, 1.25);
    EXPECT_EQ(gain.fault, ArithmeticFault::None);
    EXPECT_EQ(gain.constant, 11852.0);
    EXPECT_EQ(milliVoltGain(2.0, 1.0).constant, 5850.0);
    EXPECT_EQ(milliVoltGain(10.0, 10.0).constant, 11700.0);
    EXPECT_EQ(milliVoltGain(-1.0, 1.0).constant, -11700.0);
    EXPECT_EQ(milliVoltGain(1.0, 0.0).constant, 0.0);
    // 11700 * 99.999 / 0.1 = 11699883: more than the cell holds, refused by the caller.
    EXPECT_EQ(milliVoltGain(0.1, 99.999).constant, 11699883.0);
    EXPECT_EQ(milliVoltGain(0.0, 1.0).fault, ArithmeticFault::DivisionByZero);
}

TEST(AdcWord, BitFifteenComesFirst) {
    std::array<bool, 16> bits{};
    EXPECT_EQ(adcWord(bits), 0x0000);
    bits[15] = true;  // CH0
    EXPECT_EQ(adcWord(bits), 0x0001);
    bits = {};
    bits[0] = true;  // BIAS0
    EXPECT_EQ(adcWord(bits), 0x8000);
    // U/^B, G1, G0, REFSEL, BUF, CH0: the PT100 start word.
    bits = {};
    for (size_t i : {3u, 6u, 7u, 8u, 11u, 15u}) bits[i] = true;
    EXPECT_EQ(adcWord(bits), AdcWordPT100A);
    EXPECT_EQ(AdcWordPT100A, 0x1391);
}

TEST(AdcWord, UnusedBitsNeverGoOut) {
    std::array<bool, 16> bits;
    bits.fill(true);
    EXPECT_EQ(adcWord(bits), 0xFF97);
    bits.fill(false);
    bits[9] = bits[10] = bits[12] = true;  // bits 6, 5 and 3
    EXPECT_EQ(adcWord(bits), 0x0000);
}

TEST(AdcWord, TextIsFourUpperCaseHexDigits) {
    EXPECT_EQ(adcWordText(0x0001), "0x0001h");
    EXPECT_EQ(adcWordText(0x0000), "0x0000h");
    EXPECT_EQ(adcWordText(0xABCD), "0xABCDh");
    EXPECT_EQ(adcWordText(0xFF97), "0xFF97h");
}

TEST(Readings, DecimalWithTheGivenSeparator) {
    EXPECT_EQ(parseDecimal("1,234", ','), 1.234);
    EXPECT_EQ(parseDecimal("-0,5", ','), -0.5);
    EXPECT_EQ(parseDecimal("12", ','), 12.0);
    EXPECT_EQ(parseDecimal("1.5", '.'), 1.5);
    EXPECT_FALSE(parseDecimal("", ','));
    EXPECT_FALSE(parseDecimal("1.5", ','));
    EXPECT_FALSE(parseDecimal("1,5", '.'));
    EXPECT_FALSE(parseDecimal("abc", ','));
    EXPECT_FALSE(parseDecimal("1,", ','));
    EXPECT_FALSE(parseDecimal("1e5", '.'));
    EXPECT_EQ(notAFloatText(""), "'' is not a valid floating point value");
}

TEST(Readings, MaskedDecimalsAlwaysUseTheComma) {
    EXPECT_EQ(maskedDecimal("023,500"), 23.5);
    EXPECT_EQ(maskedDecimal("137,625"), 137.625);
    EXPECT_EQ(maskedDecimal("000,000"), 0.0);
    EXPECT_EQ(maskedDecimal("23,5"), 23.5);
    EXPECT_EQ(maskedDecimal("01,250"), 1.25);
}

TEST(Readings, WholeNumbers) {
    EXPECT_EQ(parseWhole("-12"), -12);
    EXPECT_EQ(parseWhole(" 40 "), 40);
    EXPECT_EQ(parseWhole("+7"), 7);
    EXPECT_EQ(parseWhole("70000"), 70000);
    EXPECT_FALSE(parseWhole(""));
    EXPECT_FALSE(parseWhole("1,5"));
    EXPECT_FALSE(parseWhole("abc"));
    EXPECT_FALSE(parseWhole("12a"));
    EXPECT_FALSE(parseWhole("99999999999999999999"));
}

TEST(NumberTexts, GeneralFormatHasUpToFifteenSignificantDigits) {
    EXPECT_EQ(generalNumberText(602.0, ','), "602");
    EXPECT_EQ(generalNumberText(-602.5, ','), "-602,5");
    EXPECT_EQ(generalNumberText(602.5, '.'), "602.5");
    EXPECT_EQ(generalNumberText(1.0 / 3.0, ','), "0,333333333333333");
    EXPECT_EQ(generalNumberText(600.123456789012345, ','), "600,123456789012");
    EXPECT_EQ(generalNumberText(1e20, ','), "1E20");
    EXPECT_EQ(generalNumberText(1.5e-7, ','), "1,5E-7");
    EXPECT_EQ(wholeText(2000.0), "2000");
    EXPECT_EQ(wholeText(-1202000.0), "-1202000");
    EXPECT_EQ(wholeText(0.0), "0");
}

TEST(CellRanges, WhatA16BitCellHolds) {
    EXPECT_TRUE(SignedCell.holds(int64_t(-32768)));
    EXPECT_TRUE(SignedCell.holds(int64_t(32767)));
    EXPECT_FALSE(SignedCell.holds(int64_t(32768)));
    EXPECT_FALSE(SignedCell.holds(int64_t(-32769)));
    EXPECT_TRUE(UnsignedCell.holds(65535.0));
    EXPECT_FALSE(UnsignedCell.holds(65536.0));
    EXPECT_FALSE(UnsignedCell.holds(-1.0));
    EXPECT_TRUE(AnyCellWord.holds(int64_t(-32768)));
    EXPECT_TRUE(AnyCellWord.holds(int64_t(65535)));
    EXPECT_FALSE(AnyCellWord.holds(int64_t(70000)));
    EXPECT_FALSE(AnyCellWord.holds(int64_t(-40000)));
    EXPECT_TRUE(CellAddress.holds(int64_t(254)));
    EXPECT_FALSE(CellAddress.holds(int64_t(256)));
}
