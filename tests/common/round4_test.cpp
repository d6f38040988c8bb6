#include "common/round4.h"

#include <gtest/gtest.h>

#include <cmath>

#include "common/number_text.h"

namespace korvela {
namespace {

TEST(Round4, RoundsToFourDecimalsHalvesAwayFromZero) {
    const struct {
        double value;
        const char* text;
    } cases[] = {
        {5.65685424949238, "5.6569"},
        {8.48528137423857, "8.4853"},
        {12.3456789, "12.3457"},
        {-12.3456489, "-12.3456"},
        {0.00005, "0.0001"},    // an exact half (in double arithmetic) goes up
        {-0.00005, "-0.0001"},  // and down for negatives
        {0.99995, "1"},         // the carry reaches the units
        {10.00004, "10"},
        {-2, "-2"},
        {5412345.67849, "5412345.6785"},
    };
    for (const auto& c : cases) EXPECT_EQ(formatNumber(Round4(c.value)), c.text) << c.value;
}

TEST(Round4, MinusZeroAndTinyValues) {
    EXPECT_FALSE(std::signbit(Round4(-0.0)));
    EXPECT_EQ(Round4(0.0), 0);
    EXPECT_EQ(Round4(0.00004), 0);
    EXPECT_EQ(Round4(-0.00004), 0);
}

}  // namespace
}  // namespace korvela
