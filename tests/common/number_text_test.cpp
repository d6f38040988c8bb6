#include "common/number_text.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <random>
#include <string>

#include "common/number_parse.h"

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

// The number text as it was first written, through printf: the reference the direct
// formatter must match byte for byte.
std::string referenceNumberText(double value) {
    if (std::isnan(value)) return "NAN";
    if (value == 0) return "0";
    if (std::isinf(value)) return value < 0 ? "-INF" : "INF";
    char text[64];
    std::snprintf(text, sizeof text, "%.14e", std::fabs(value));  // d.dddddddddddddde±XX
    std::string digits = std::string(1, text[0]) + std::string(text + 2, 14);
    const int exponent = std::atoi(text + 17);
    while (digits.size() > 1 && digits.back() == '0') digits.pop_back();
    const int count = static_cast<int>(digits.size());
    std::string result = value < 0 ? "-" : "";
    if (exponent < -5 || exponent > 14) {
        result += digits.substr(0, 1);
        if (count > 1) result += "." + digits.substr(1);
        return result + "E" + std::to_string(exponent);
    }
    if (exponent < 0) return result + "0." + std::string(-exponent - 1, '0') + digits;
    const int integerDigits = exponent + 1;
    result += digits.substr(0, std::min(count, integerDigits));
    if (count < integerDigits) result += std::string(integerDigits - count, '0');
    if (count > integerDigits) result += "." + digits.substr(integerDigits);
    return result;
}

void expectAsReference(double value) {
    char text[kNumberTextCapacity];
    bool readsBack = false;
    const std::string written(text, formatNumberInto(value, text, &readsBack));
    ASSERT_EQ(written, referenceNumberText(value)) << std::hexfloat << value;
    if (readsBack) {
        ASSERT_EQ(std::strtod(written.c_str(), nullptr), value == 0 ? 0.0 : value) << written;
    }
    // A text that reads as a number (not a word, not beyond the largest double) stands for
    // the value numberTextValue gives.
    double readBack = 0;
    if (parseWholeNumber(written, readBack)) {
        ASSERT_EQ(numberTextValue(value), readBack) << written;
    }
}

// Ties at the sixteenth digit, the edges of the fixed form, powers of two and of ten.
TEST(NumberText, HardCasesMatchThePrintfText) {
    const double cases[] = {
        0.00001,
        0.0000099999999999999999,
        0.000010000000000000001,
        9.9999999999999995e-6,
        999999999999999.4,
        999999999999999.5,
        999999999999999.9,
        99999999999999.99,
        0.5,
        0.25,
        0.125,
        1.5,
        2.5,
        1e14,
        1e15,
        1e-4,
        0.1,
        0.7,
        2.675,
        1.005,
        123456789012345.6,
        12345678901234.56,
        1234567890123.456,
        0.30000000000000004,
        4503599627370495.5,
        8.673617379884035e-19,
        0.0001220703125,
        1125899906842624.0,
        std::ldexp(1.0, 49),
        std::ldexp(1.0, -16),
        std::ldexp(1.0, -17),
        std::nextafter(1.0, 0.0),
        std::nextafter(1.0, 2.0),
        std::nextafter(0.00001, 0.0),
        std::nextafter(1e15, 0.0),
        5412112.345,
        6123456.789,
        99999999999.9999,
        99999999999.99995,
        1e11,
        0.00015,
        std::nextafter(0.0001, 1.0),
        4503599.6273,
        -412345.678,
        9.5,
        0.95,
        1e-5 * (1 + 1e-15),
        7.0e-5,
        5e-324,
        1.7976931348623157e308,
        -0.0,
    };
    for (double value : cases) {
        expectAsReference(value);
        expectAsReference(-value);
    }
    // Binary fractions whose exact decimal ends in a 5 just past the fifteenth digit.
    for (int bits = 1; bits <= 30; ++bits) {
        for (double whole : {1.0, 3.0, 123.0, 98765.0, 4503599.0}) {
            expectAsReference(whole + std::ldexp(1.0, -bits));
            expectAsReference(whole * 1e7 + std::ldexp(1.0, -bits));
        }
    }
}

TEST(NumberText, RandomValuesMatchThePrintfText) {
    std::mt19937_64 random(150101);
    std::uniform_int_distribution<std::uint64_t> bits;
    std::uniform_real_distribution<double> unit(-1.0, 1.0);
    std::uniform_int_distribution<int> magnitude(-7, 16);
    std::uniform_int_distribution<int> decimals(0, 9);
    for (int i = 0; i < 300000; ++i) {
        double value = 0;
        switch (i % 3) {
            case 0:  // any double, any magnitude
                value = std::bit_cast<double>(bits(random));
                break;
            case 1:  // the fixed range, every digit used
                value = unit(random) * std::pow(10.0, magnitude(random));
                break;
            default: {  // survey-like values of a few decimals
                const double scale = std::pow(10.0, decimals(random));
                value =
                    std::round(unit(random) * std::pow(10.0, magnitude(random)) * scale) / scale;
            }
        }
        expectAsReference(value);
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

namespace korvela {
namespace {

// The shortest text that reads back: as many digits as the value needs (up to 17), in the
// general text's forms.
TEST(ShortestNumberText, PrintsTheFewestDigitsThatReadBack) {
    const struct {
        double value;
        const char* text;
    } cases[] = {
        {0.1, "0.1"},
        {-0.0, "0"},
        {234.11767, "234.11767"},
        {0.1 + 0.2, "0.30000000000000004"},
        {1.0 / 3, "0.3333333333333333"},
        {123456789012345.67, "123456789012345.67"},
        {1e15, "1E15"},
        {-1.5e20, "-1.5E20"},
        {0.00001, "0.00001"},
        {1e-7, "1E-7"},
        {2.5e-300, "2.5E-300"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(formatShortestNumber(c.value), c.text) << c.text;
        EXPECT_EQ(std::stod(formatShortestNumber(c.value)), c.value) << c.text;
    }
}

}  // namespace
}  // namespace korvela
