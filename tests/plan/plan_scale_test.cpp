#include "plan/plan_scale.h"

#include <gtest/gtest.h>

#include <limits>

#include "points/view_state.h"
#include "test_support.h"

namespace korvela {
namespace {

using testing::near;

TEST(PlanScale, ScaleBarTakesTheLongestRoundLength) {
    const struct {
        double longest, bar;
    } cases[] = {{1, 1},
                 {1.99, 1},
                 {2, 2},
                 {4.9, 2},
                 {5, 5},
                 {9.99, 5},
                 {10, 10},
                 {0.37, 0.2},
                 {730, 500},
                 {1.2e6, 1e6},
                 {0, 0},
                 {-5, 0},
                 {std::numeric_limits<double>::infinity(), 0}};
    for (const auto& c : cases) EXPECT_DOUBLE_EQ(scaleBarLength(c.longest), c.bar) << c.longest;
}

TEST(PlanScale, NorthFollowsTheViewAzimuthAndTheMetreTheZoom) {
    const struct {
        double azimuth;
        ScreenPoint north;
    } cases[] = {{0, {0, -1}}, {90, {1, 0}}, {180, {0, 1}}, {270, {-1, 0}}};
    for (const auto& c : cases) {
        ViewState view;
        view.offsetX = -6123456;
        view.azimuthDeg = c.azimuth;
        const auto north = northOnBitmap(view);
        ASSERT_TRUE(north) << c.azimuth;
        EXPECT_TRUE(near(c.north.x, north->x, 1e-12)) << c.azimuth;
        EXPECT_TRUE(near(c.north.y, north->y, 1e-12)) << c.azimuth;
    }
    ViewState view;
    view.scale = 0.01;
    // 100 m across half of a 600-pixel frame: 3 pixels to the metre, as the projection has it.
    EXPECT_DOUBLE_EQ(pixelsPerMetre(view, 600), 3);
    const ViewTransform transform(view, 300, 300);
    EXPECT_TRUE(near(3, transform.project(0, 1, 0).x - transform.project(0, 0, 0).x, 1e-9));
}

}  // namespace
}  // namespace korvela
