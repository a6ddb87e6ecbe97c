#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <limits>

#include "settings/model/LGSettingsItems.h"

TEST(LGFormatSliderValue, FixedPointWithTheGivenDecimals) {
    EXPECT_EQ(LGFormatSliderValue(2, 0.3), "0.30");
    EXPECT_EQ(LGFormatSliderValue(0, 30), "30");
    EXPECT_EQ(LGFormatSliderValue(1, 24), "24.0");
    EXPECT_EQ(LGFormatSliderValue(2, -1.5), "-1.50");
    EXPECT_EQ(LGFormatSliderValue(-3, 2.6), "3") << "a negative count reads as 0";
    // A single-precision slider value widened to double shows what the slider holds.
    EXPECT_EQ(LGFormatSliderValue(2, double(0.3f)), "0.30");
    EXPECT_EQ(LGFormatSliderValue(17, 0.1), "0.10000000000000001");
}

TEST(LGFormatSliderValue, RoundsTheNearestDoubleNotTheDecimalText) {
    // 1.005 is stored just below itself, 0.125 exactly (ties go to even), 2.675 just below.
    EXPECT_EQ(LGFormatSliderValue(2, 1.005), "1.00");
    EXPECT_EQ(LGFormatSliderValue(2, 2.675), "2.67");
    EXPECT_EQ(LGFormatSliderValue(2, 0.125), "0.12");
    EXPECT_EQ(LGFormatSliderValue(2, 0.375), "0.38");
    EXPECT_EQ(LGFormatSliderValue(0, 0.5), "0");
    EXPECT_EQ(LGFormatSliderValue(0, 1.5), "2");
    EXPECT_EQ(LGFormatSliderValue(1, 0.95), "0.9");
    EXPECT_EQ(LGFormatSliderValue(1, 9.96), "10.0") << "carry into a new digit";
    EXPECT_EQ(LGFormatSliderValue(0, 999.5), "1000");
}

TEST(LGFormatSliderValue, ZeroNeverCarriesAMinusSign) {
    // Regression: an entry of "-0" clamped to a range starting at 0 read "-0.0".
    EXPECT_EQ(LGFormatSliderValue(1, -0.0), "0.0");
    EXPECT_EQ(LGFormatSliderValue(0, -0.0), "0");
    EXPECT_EQ(LGFormatSliderValue(2, -0.004), "0.00");
    EXPECT_EQ(LGFormatSliderValue(2, -0.005), "-0.01");
    EXPECT_EQ(LGFormatSliderValue(2, -10), "-10.00");
}

TEST(LGFormatSliderValue, LargeAndNonFiniteValuesAndAnyLocale) {
    EXPECT_EQ(LGFormatSliderValue(0, 1e15), "1000000000000000");
    EXPECT_EQ(LGFormatSliderValue(2, 1234567.891), "1234567.89") << "no grouping";
    const std::string huge = LGFormatSliderValue(17, -std::numeric_limits<double>::max());
    EXPECT_EQ(huge.size(), 1 + 309 + 1 + 17u);
    EXPECT_EQ(huge.substr(0, 6), "-17976");
    EXPECT_EQ(LGFormatSliderValue(2, std::numeric_limits<double>::infinity()), "inf");
    EXPECT_EQ(LGFormatSliderValue(2, std::nan("")), "nan");

    // A locale whose decimal separator is a comma changes nothing.
    const std::string previous = std::setlocale(LC_NUMERIC, nullptr);
    if (std::setlocale(LC_NUMERIC, "de_DE.UTF-8") || std::setlocale(LC_NUMERIC, "fr_FR.UTF-8")) {
        EXPECT_EQ(LGFormatSliderValue(2, 0.3), "0.30");
    }
    std::setlocale(LC_NUMERIC, previous.c_str());
}
