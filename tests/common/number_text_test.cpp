#include "common/number_text.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace korvela {
namespace {

struct Case {
    double value;
    const char* text;
};

TEST(NumberText, WritesFifteenSignificantDigitsWithoutTrailingZeros) {
    const Case cases[] = {
        {0.0, "0"},
        {-0.0, "0"},
        {12.5, "12.5"},
        {-3, "-3"},
        {100, "100"},
        {135, "135"},
        {0.5, "0.5"},
        {150.0, "150"},
        {152.3, "152.3"},
        {-12.25, "-12.25"},
        {5412112.345, "5412112.345"},
        {1234.5678, "1234.5678"},
        {0.1 + 0.2, "0.3"},
        {1.0 / 3, "0.333333333333333"},
        {2.0 / 3, "0.666666666666667"},
        {std::sqrt(2.0), "1.4142135623731"},  // the fifteenth digit, a zero, is dropped
        {-std::sqrt(2.0) * 1000, "-1414.2135623731"},
        {123456789012345.0, "123456789012345"},
        {0.00001, "0.00001"},
        {0.000123, "0.000123"},
    };
    for (const Case& c : cases) EXPECT_EQ(formatNumber(c.value), c.text) << c.value;
}

TEST(NumberText, UsesExponentFormForTinyAndHugeMagnitudes) {
    const Case cases[] = {
        {1e-7, "1E-7"},
        {1.5e20, "1.5E20"},
        {-2.5e-6, "-2.5E-6"},
        {0.000009, "9E-6"},
        {1e15, "1E15"},
        {1234567890123456.0, "1.23456789012346E15"},
        {999999999999999.9, "1E15"},  // rounds to 16 digits before the point
        {1e100, "1E100"},
        {-1e-300, "-1E-300"},
        {std::numeric_limits<double>::denorm_min(), "4.94065645841247E-324"},
    };
    for (const Case& c : cases) EXPECT_EQ(formatNumber(c.value), c.text) << c.value;
}

TEST(NumberText, RoundsAtTheFifteenthDigitBeforeChoosingTheForm) {
    EXPECT_EQ(formatNumber(0.0000099999999999999999), "0.00001");
    EXPECT_EQ(formatNumber(0.1234567890123456), "0.123456789012346");
    EXPECT_EQ(formatNumber(9.9999999999999999), "10");
    EXPECT_EQ(formatNumber(2.675), "2.675");
}

TEST(NumberText, WritesNonFiniteValuesAsWords) {
    EXPECT_EQ(formatNumber(std::numeric_limits<double>::quiet_NaN()), "NAN");
    EXPECT_EQ(formatNumber(std::numeric_limits<double>::infinity()), "INF");
    EXPECT_EQ(formatNumber(-std::numeric_limits<double>::infinity()), "-INF");
}

TEST(NumberText, BufferFormMatchesStringForm) {
    char buffer[kNumberTextCapacity];
    for (double value : {-1.23456789012345e-300, -123456789012345.0, 0.5, 7.0}) {
        const std::size_t length = formatNumberInto(value, buffer);
        EXPECT_LE(length, kNumberTextCapacity);
        EXPECT_EQ(std::string(buffer, length), formatNumber(value));
    }
}

TEST(NumberText, FixedDecimalsRoundAndDropTheSignOfZero) {
    const struct {
        double value;
        int decimals;
        const char* text;
    } cases[] = {
        {6123456.7894, 3, "6123456.789"},
        {6123456.7896, 3, "6123456.790"},
        {-0.04, 1, "0.0"},
        {-0.06, 1, "-0.1"},
        {1.0002, 9, "1.000200000"},
        {12, 0, "12"},
        {2e15, 3, "2E15"},
        {std::numeric_limits<double>::infinity(), 1, "INF"},
    };
    for (const auto& c : cases) EXPECT_EQ(formatFixed(c.value, c.decimals), c.text) << c.value;
}

}  // namespace
}  // namespace korvela
