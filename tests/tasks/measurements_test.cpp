#include "tasks/measurements.h"

#include <gtest/gtest.h>

#include "common/number_text.h"

namespace korvela {
namespace {

constexpr double kDegree = 3.141592653589793 / 180;

std::string dmsText(double radians) { return angleText(AngleToDms(radians)); }

TEST(Measurements, SlopeDistanceIsSpatialAndPrintsWithFifteenDigits) {
    const struct {
        SpacePoint p, q;
        const char* text;
    } cases[] = {
        {{0, 0, 0}, {3, 4, 0}, "5"},
        {{0, 0, 0}, {1, 1, 0}, "1.4142135623731"},  // the fifteenth digit, a zero, is dropped
        {{1, 2, 3}, {4, 6, 15}, "13"},
        {{5412112.345, 7312105.678, 150.125}, {5412112.345, 7312105.678, 150.125}, "0"},
    };
    for (const auto& c : cases) EXPECT_EQ(formatNumber(SlopeDistance(c.p, c.q)), c.text) << c.text;
}

TEST(Measurements, AngleTextHasDegreeSignApostrophesAndCrLf) {
    EXPECT_EQ(angleText({47, 3, 29}), "47\xB0 3' 29''\r\n");
    EXPECT_EQ(dmsText(0), "0\xB0 0' 0''\r\n");
    // Seconds that round up to 60 are not carried into the minutes.
    EXPECT_EQ(dmsText(29.99999 * kDegree), "29\xB0 59' 60''\r\n");
    EXPECT_EQ(dmsText(10.5 * kDegree), "10\xB0 30' 0''\r\n");
}

TEST(Measurements, DirectionalAngleTurnsFromPlusXTowardsPlusY) {
    const struct {
        SpacePoint to;
        const char* text;
    } cases[] = {
        {{10, 10, 0}, "45\xB0 0' 0''\r\n"},    {{-10, 10, 0}, "135\xB0 0' 0''\r\n"},
        {{-10, -10, 0}, "225\xB0 0' 0''\r\n"}, {{10, -10, 0}, "315\xB0 0' 0''\r\n"},
        {{-10, 0, 0}, "180\xB0 0' 0''\r\n"},   {{0, -10, 0}, "270\xB0 0' 0''\r\n"},
        {{0, 10, 0}, "90\xB0 0' 0''\r\n"},     {{10, 0, 0}, "0\xB0 0' 0''\r\n"},
        {{0, 0, 0}, "90\xB0 0' 0''\r\n"},   // equal points
        {{0, 0, 25}, "90\xB0 0' 0''\r\n"},  // the height plays no part
        {{3, 4, 0}, "53\xB0 7' 48''\r\n"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(dmsText(DirectionalAngle({0, 0, 7}, c.to)), c.text) << c.to.x << ' ' << c.to.y;
    }
}

TEST(Measurements, SpaceAngleIncludesHeightAndClampsTheCosine) {
    const SpacePoint o{0, 0, 0}, east{10, 0, 0}, north{0, 10, 0}, up{0, 0, 10};
    EXPECT_EQ(dmsText(*SpaceAngle(o, east, north)), "90\xB0 0' 0''\r\n");
    EXPECT_EQ(dmsText(*SpaceAngle(east, o, north)), "45\xB0 0' 0''\r\n");
    EXPECT_EQ(dmsText(*SpaceAngle(o, east, up)), "90\xB0 0' 0''\r\n");

    // These cosines come out as ±1.0000000000000002 before clamping.
    const SpacePoint a{1.1, 4.7, 0.3};
    EXPECT_EQ(*SpaceAngle(o, a, {2.2, 9.4, 0.6}), 0);
    EXPECT_EQ(dmsText(*SpaceAngle(o, a, {-2.2, -9.4, -0.6})), "180\xB0 0' 0''\r\n");
}

TEST(Measurements, SpaceAngleHasNoValueWithoutASide) {
    const SpacePoint o{1, 2, 3}, a{4, 5, 6};
    EXPECT_FALSE(SpaceAngle(o, o, a));
    EXPECT_FALSE(SpaceAngle(o, a, o));
    EXPECT_TRUE(SpaceAngle(o, {1, 2, 3.001}, a));
}

TEST(Measurements, SpaceAngleOfSidesBeyondTheRangeOfTheirSquares) {
    constexpr double kRightAngle = 1.5707963267948966;
    EXPECT_DOUBLE_EQ(*SpaceAngle({0, 0, 0}, {1e-170, 0, 0}, {0, 1e-170, 0}), kRightAngle);
    EXPECT_DOUBLE_EQ(*SpaceAngle({0, 0, 0}, {1e200, 0, 0}, {0, 1e200, 0}), kRightAngle);
    EXPECT_DOUBLE_EQ(*SpaceAngle({0, 0, 0}, {-1e300, 0, 0}, {1e300, 0, 0}), 2 * kRightAngle);
}

}  // namespace
}  // namespace korvela
