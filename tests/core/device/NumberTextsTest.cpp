// The fixed-width texts of the masked fields (one digit less for non-positive values, so that
// with the sign the width stays) and the scaled numbers of the labels.
#include <gtest/gtest.h>

#include <QLocale>
#include <cstdint>
#include <limits>

#include "core/device/NumberTexts.h"

using namespace vl48;

TEST(NumberTexts, RangeHasFourPlacesWithTheSignCountedAsOne) {
    EXPECT_EQ(rangeText(-50), "-050");
    EXPECT_EQ(rangeText(0), "000");
    EXPECT_EQ(rangeText(450), "0450");
    EXPECT_EQ(rangeText(1), "0001");
    EXPECT_EQ(rangeText(-1), "-001");
    EXPECT_EQ(rangeText(-5), "-005");
    EXPECT_EQ(rangeText(9999), "9999");
    EXPECT_EQ(rangeText(-999), "-999");
    EXPECT_EQ(rangeText(1000), "1000");
    EXPECT_EQ(rangeText(-100), "-100");
}

TEST(NumberTexts, CompensationTemperatureHasThreePlaces) {
    EXPECT_EQ(compTempText(-5), "-05");
    EXPECT_EQ(compTempText(0), "00");
    EXPECT_EQ(compTempText(25), "025");
    EXPECT_EQ(compTempText(1), "001");
    EXPECT_EQ(compTempText(999), "999");
    EXPECT_EQ(compTempText(-99), "-99");
    EXPECT_EQ(compTempText(-10), "-10");
}

TEST(NumberTexts, LineResistanceIsFiveCharactersWithADecimalComma) {
    EXPECT_EQ(lineResText(150), " 1,50");
    EXPECT_EQ(lineResText(-999), "-9,99");
    EXPECT_EQ(lineResText(9999), "99,99");
    EXPECT_EQ(lineResText(0), " 0,00");
    EXPECT_EQ(lineResText(-5), "-0,05");
    EXPECT_EQ(lineResText(5), " 0,05");
    EXPECT_EQ(lineResText(-100), "-1,00");
    EXPECT_EQ(lineResText(1000), "10,00");
    EXPECT_EQ(lineResText(-50), "-0,50");
    // Every value a field can hold keeps the width of the field.
    for (int v = -999; v <= 9999; ++v) ASSERT_EQ(lineResText(v).size(), 5) << v;
}

TEST(NumberTexts, ScaledDropsTrailingZerosAndKeepsOneIntegerDigit) {
    const QChar comma(QLatin1Char(','));
    EXPECT_EQ(scaledText(2345, 2, comma), "23,45");
    EXPECT_EQ(scaledText(-200, 1, comma), "-20");
    EXPECT_EQ(scaledText(-5, 1, comma), "-0,5");
    EXPECT_EQ(scaledText(0, 2, comma), "0");
    EXPECT_EQ(scaledText(-3, 2, comma), "-0,03");
    EXPECT_EQ(scaledText(105, 2, comma), "1,05");
    EXPECT_EQ(scaledText(110, 2, comma), "1,1");
    EXPECT_EQ(scaledText(100, 2, comma), "1");
    EXPECT_EQ(scaledText(1500, 3, comma), "1,5");
    EXPECT_EQ(scaledText(12345, 3, comma), "12,345");
    EXPECT_EQ(scaledText(42, 0, comma), "42");
    EXPECT_EQ(scaledText(-42, 0, comma), "-42");
    EXPECT_EQ(scaledText(-235, 1, QLatin1Char('.')), "-23.5");
    // No rounding error at any size, the most negative number included.
    EXPECT_EQ(scaledText(std::numeric_limits<int64_t>::min(), 0, comma), "-9223372036854775808");
    EXPECT_EQ(scaledText(std::numeric_limits<int64_t>::min(), 2, comma), "-92233720368547758,08");
    EXPECT_EQ(scaledText(std::numeric_limits<int64_t>::max(), 3, comma), "9223372036854775,807");
    EXPECT_EQ(scaledText(327669, 2, comma), "3276,69");
}

TEST(NumberTexts, ScaledFollowsTheRegionalSeparator) {
    const QLocale saved;
    QLocale::setDefault(QLocale(QLocale::Czech, QLocale::Czechia));
    EXPECT_EQ(scaledText(2345, 2), "23,45");
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    EXPECT_EQ(scaledText(2345, 2), "23.45");
    EXPECT_EQ(scaledText(-5, 1), "-0.5");
    QLocale::setDefault(saved);
}
