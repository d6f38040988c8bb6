#include "common/number_parse.h"

#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <cstdlib>
#include <random>
#include <string>

#include "common/conversion_error.h"

namespace korvela {
namespace {

// The C library's conversion, correctly rounded: what every reader's value must equal bit
// for bit.
std::uint64_t strtodBits(const std::string& text) {
    return std::bit_cast<std::uint64_t>(std::strtod(text.c_str(), nullptr));
}

void expectSameAsStrtod(const std::string& text) {
    const NumberPrefix prefix = scanNumberPrefix(text);
    char* end = nullptr;
    std::strtod(text.c_str(), &end);
    EXPECT_EQ(std::bit_cast<std::uint64_t>(prefix.value), strtodBits(text)) << text;
    EXPECT_EQ(prefix.length, static_cast<std::size_t>(end - text.c_str())) << text;
}

// Plain decimals take a fast path: it must give the very doubles of the full conversion,
// also where rounding is closest to a tie and at the edges of the fast path.
TEST(NumberPrefix, PlainDecimalsReadBitForBitAsTheCLibraryReadsThem) {
    const char* const hardCases[] = {
        "0.1",
        "0.2",
        "0.3",
        "-0.0",
        "0",
        "0.",
        ".0",
        "1.7976931348623157",
        "9007199254740992",
        "9007199254740993",
        "9007199254740991.5",
        "900719925474099.3",
        "18446744073709551615",
        "18446744073709551616",
        "1234567890123456789",
        "12345678901234567890",
        "0.0000000000000000000001",
        "0.00000000000000000000001",
        "2.2250738585072014",
        "4.9406564584124654",
        "5412112.345",
        "7312105.678",
        "538542.57000",
        "1455644.37100",
        "0.000000000000000000000000000000000000000000001",
        "3.14159265358979323846264338327950",
        "123456.7890123456789",
        "1.0000000000000002220446",
        "0.99999999999999994448884876874",
        "8.589973e9",
        "43.18 ",
        "-0.000000000000000000000000000000000000000000000000000000001",
        "000000000000000000000000000000000012.5",
        "1.00000000000000011102230246251565404236316680908203125",
    };
    for (const char* text : hardCases) expectSameAsStrtod(text);
}

TEST(NumberPrefix, RandomDecimalsReadBitForBitAsTheCLibraryReadsThem) {
    std::mt19937_64 random(20261208);
    for (int round = 0; round < 200'000; ++round) {
        std::string text = random() % 4 == 0 ? "-" : "";
        const int integerDigits = static_cast<int>(random() % 18);
        const int fractionDigits = static_cast<int>(random() % 24);
        for (int i = 0; i < integerDigits; ++i) text += static_cast<char>('0' + random() % 10);
        if (fractionDigits > 0 || random() % 2 == 0) text += '.';
        for (int i = 0; i < fractionDigits; ++i) text += static_cast<char>('0' + random() % 10);
        expectSameAsStrtod(text);
    }
}

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
