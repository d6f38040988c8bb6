#include "common/number_parse.h"

#include <gtest/gtest.h>

#include "common/conversion_error.h"

namespace korvela {
namespace {

struct PrefixCase {
    const char* text;
    double value;
    std::size_t length;
};

TEST(NumberPrefix, ReadsTheLongestDecimalPrefix) {
    const PrefixCase cases[] = {
        {"12", 12, 2},
        {"  -3.5e2xyz", -350, 8},
        {"+.5", 0.5, 3},
        {"5.", 5, 2},
        {"1e", 1, 1},
        {"1e+", 1, 1},
        {"1E-2", 0.01, 4},
        {"12a", 12, 2},
        {"1,5", 1, 1},
        {"\t\n\v\f\r 7", 7, 7},
        {"100.75,CODE", 100.75, 6},
        {"5412112.345 7312105.678", 5412112.345, 11},
        {"-0", 0, 2},
        {"000123.4500", 123.45, 11},
    };
    for (const PrefixCase& c : cases) {
        const NumberPrefix prefix = scanNumberPrefix(c.text);
        EXPECT_EQ(prefix.value, c.value) << c.text;
        EXPECT_EQ(prefix.length, c.length) << c.text;
        EXPECT_EQ(parseNumberPrefix(c.text), c.value) << c.text;
    }
}

TEST(NumberPrefix, TextWithoutANumberReadsZero) {
    for (const char* text : {"", " ", ".", "-", "+", "-.", "abc", "e5", ".e1"}) {
        EXPECT_EQ(scanNumberPrefix(text).length, 0u) << text;
        EXPECT_EQ(parseNumberPrefix(text), 0) << text;
    }
}

TEST(NumberPrefix, InfinityNanAndHexadecimalAreNotNumbers) {
    EXPECT_EQ(parseNumberPrefix("inf"), 0);
    EXPECT_EQ(parseNumberPrefix("-INFINITY"), 0);
    EXPECT_EQ(parseNumberPrefix("nan"), 0);
    EXPECT_EQ(parseNumberPrefix("0x10"), 0);
    EXPECT_EQ(scanNumberPrefix("0x10").length, 1u);
}

TEST(NumberPrefix, ValuesOutOfRangeReadZero) {
    EXPECT_EQ(parseNumberPrefix("1e999"), 0);
    EXPECT_EQ(parseNumberPrefix("-1e999"), 0);
    EXPECT_EQ(parseNumberPrefix("1e-999"), 0);
    EXPECT_EQ(parseNumberPrefix("1e9223372036854775807"), 0);  // the largest exponent a long holds
    EXPECT_EQ(parseNumberPrefix("1.7976931348623157e308"), 1.7976931348623157e308);
}

TEST(StrictConversion, AcceptsOneNumberWithWhiteSpaceAround) {
    EXPECT_EQ(toDoubleStrict(" 1.5 "), 1.5);
    EXPECT_EQ(toDoubleStrict("-2e3"), -2000);
    EXPECT_EQ(toDoubleStrict("7"), 7);
    EXPECT_EQ(toDoubleStrict("1e-999"), 0);  // too small to hold: zero, as the readers take it
    EXPECT_EQ(toIntStrict("12"), 12);
    EXPECT_EQ(toIntStrict(" -5 "), -5);
    EXPECT_EQ(toIntStrict("+5"), 5);
    EXPECT_EQ(toIntStrict("2147483647"), 2147483647);
}

TEST(StrictConversion, RejectsEverythingElseWithTheUsersText) {
    for (const char* text : {"", " ", "-", "12a", "1,5", "1,5,2", "1e999", "1e9223372036854775807",
                             "inf", "0x10", "1 2"}) {
        try {
            toDoubleStrict(text);
            ADD_FAILURE() << "accepted '" << text << "'";
        } catch (const ConversionError& error) {
            EXPECT_EQ(error.what(),
                      "'" + std::string(text) + "' is not a valid floating point value");
        }
    }
    for (const char* text : {"", "abc", "1.5", "+-5", "2147483648", "12 3", "Ж"}) {
        try {
            toIntStrict(text);
            ADD_FAILURE() << "accepted '" << text << "'";
        } catch (const ConversionError& error) {
            EXPECT_EQ(error.what(), "'" + std::string(text) + "' is not a valid integer value");
        }
    }
}

TEST(TrimWhiteSpace, RemovesTheCLocalesWhiteSpaceFromBothEnds) {
    EXPECT_EQ(trimWhiteSpace(" \t\r\n\v\fab c\r\n "), "ab c");
    EXPECT_EQ(trimWhiteSpace("   "), "");
    EXPECT_EQ(trimWhiteSpace(""), "");
}

}  // namespace
}  // namespace korvela
