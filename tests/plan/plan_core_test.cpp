// The view transform, picking and the zoom and pan arithmetic.
#include <gtest/gtest.h>

#include <cmath>

#include "plan/label_space.h"
#include "plan/pick_list.h"
#include "plan/plan_navigation.h"
#include "plan/view_transform.h"
#include "test_support.h"

namespace korvela {
namespace {

using testing::near;

constexpr double kPixel = 1e-9;

TEST(ViewTransform, WithTheAnglesAtZeroItIsAPlanWithXUpAndYRight) {
    ViewState view;
    view.offsetX = -5000;
    view.offsetY = -7000;
    view.offsetZ = 123;
    view.panRight = 2;
    view.panDown = -3;
    const double cx = 235;
    const double cy = 221.5;
    for (const double z : {0.0, 150.0, -40.0}) {  // heights do not move a plan
        const ScreenPoint at = ProjectPoint(view, cx, cy, 5010, 7020, z);
        EXPECT_TRUE(near(cx + cx * 0.03 * (20 + 2), at.x, kPixel));
        EXPECT_TRUE(near(cy + cy * 0.03 * (-3 - 10), at.y, kPixel));
    }
    // One metre is scale·cx pixels across and scale·cy pixels down.
    const ScreenPoint origin = ProjectPoint(view, cx, cy, 5000, 7000, 0);
    const ScreenPoint east = ProjectPoint(view, cx, cy, 5000, 7001, 0);
    const ScreenPoint north = ProjectPoint(view, cx, cy, 5001, 7000, 0);
    EXPECT_TRUE(near(7.05, east.x - origin.x, kPixel));
    EXPECT_TRUE(near(-6.645, north.y - origin.y, kPixel));
}

TEST(ViewTransform, RollNinetyGivesAnElevationWithHeightsUp) {
    ViewState view;
    view.rollDeg = 90;
    const ScreenPoint low = ProjectPoint(view, 100, 100, 0, 0, 0);
    const ScreenPoint high = ProjectPoint(view, 100, 100, 0, 0, 10);
    const ScreenPoint east = ProjectPoint(view, 100, 100, 0, 10, 0);
    const ScreenPoint north = ProjectPoint(view, 100, 100, 10, 0, 0);
    EXPECT_TRUE(near(low.x, high.x, kPixel));
    EXPECT_TRUE(near(-30, high.y - low.y, kPixel));  // ten metres up is 30 pixels up
    EXPECT_TRUE(near(30, east.x - low.x, kPixel));   // Y stays to the right
    EXPECT_TRUE(near(low.y, north.y, kPixel));       // X goes into the screen
}

TEST(ViewTransform, MapsAndUnmapsAlongTheScreenAxes) {
    // Round trip: a point moved by d pixels on the screen is d / (scale · c) metres away.
    ViewState view;
    view.scale = 0.2;
    view.offsetX = -100;
    view.offsetY = -200;
    const ScreenPoint at = ProjectPoint(view, 400, 300, 150, 260, 0);
    const double y = (at.x - 400) / (400 * 0.2) - view.offsetY;
    const double x = -((at.y - 300) / (300 * 0.2)) - view.offsetX;
    EXPECT_TRUE(near(150, x, 1e-9));
    EXPECT_TRUE(near(260, y, 1e-9));
}

PickList pickListOf(std::initializer_list<std::pair<double, double>> positions) {
    PickList list;
    int index = 0;
    for (const auto& [x, y] : positions) list.append(x, y, index++);
    return list;
}

TEST(PickAt, CatchesPointsWithinTheRadiusEdgeIncluded) {
    const PickList list = pickListOf({{105, 100}, {100, 105.0001}, {103, 104}, {100, 100}});
    std::vector<std::int32_t> selected(4, 0);
    EXPECT_EQ(PickAt(list, 5, 100, 100, selected), 3);
    EXPECT_EQ(selected, (std::vector<std::int32_t>{1, 0, 1, 1}));
}

TEST(PickAt, TogglesTheCaughtPointsTogether) {
    const PickList list = pickListOf({{10, 10}, {11, 10}, {50, 50}});
    std::vector<std::int32_t> selected = {1, 0, 1};
    EXPECT_EQ(PickAt(list, 3, 10, 10, selected), 2);  // one unselected: both become selected
    EXPECT_EQ(selected, (std::vector<std::int32_t>{1, 1, 1}));
    EXPECT_EQ(PickAt(list, 3, 10, 10, selected), 2);  // all selected: both become unselected
    EXPECT_EQ(selected, (std::vector<std::int32_t>{0, 0, 1}));
    EXPECT_EQ(PickAt(list, 3, 30, 30, selected), 0);  // nothing near: nothing changes
    EXPECT_EQ(selected, (std::vector<std::int32_t>{0, 0, 1}));
}

TEST(PickAt, OnlyPointsOnThePickListCanBeCaught) {
    PickList list;  // a frozen point is not drawn, so not listed
    list.append(10, 10, 1);
    std::vector<std::int32_t> selected = {0, 0};
    EXPECT_EQ(PickAt(list, 100, 10, 10, selected), 1);
    EXPECT_EQ(selected, (std::vector<std::int32_t>{0, 1}));
}

TEST(PickAt, ARadiusBelowOneCountsAsOne) {
    const PickList list = pickListOf({{10, 11}});
    std::vector<std::int32_t> selected = {0};
    EXPECT_EQ(PickAt(list, 0, 10, 10, selected), 1);
    EXPECT_EQ(PickAt(list, -7, 10, 10, selected), 1);
    EXPECT_EQ(effectiveCursorRadius(-7), 1);
    EXPECT_EQ(effectiveCursorRadius(12), 12);
}

TEST(WheelZoom, TenNotchesUpMultiplyByOnePointZeroOneTenTimes) {
    ViewState view;
    for (int i = 0; i < 10; ++i) zoomScale(view, true);
    EXPECT_TRUE(near(0.03 * std::pow(1.01, 10), view.scale, 1e-15));
    for (int i = 0; i < 10; ++i) zoomScale(view, false);
    EXPECT_NE(view.scale, 0.03);  // 0.99 does not undo 1.01
    EXPECT_TRUE(near(0.03 * std::pow(1.01 * 0.99, 10), view.scale, 1e-15));
}

TEST(WheelZoom, LabelScalingResamplesTheBitmap) {
    const PixelSize control{470, 443};
    EXPECT_EQ(zoomBitmap({470, 443}, true, control), (PixelSize{465, 438}));
    EXPECT_EQ(zoomBitmap({470, 443}, false, control), (PixelSize{475, 448}));
    EXPECT_EQ(zoomBitmap({1, 300}, true, control), control);  // a side at 0 resets both
    EXPECT_EQ(zoomBitmap({8150, 8192}, false, control), (PixelSize{8192, 8192}));
}

TEST(DragPan, ThePictureFollowsThePointerByTheDistanceDragged) {
    ViewState view;
    view.scale = 0.05;
    const PixelSize control{400, 300};
    dragPan(view, 100, 100, 200, 70, control);  // 100 right, 30 up
    // In bitmap pixels of any size b: cx·scale·Δpan = (b/2)·0.05·(100/200/0.05) = b/4, which the
    // control shows as a quarter of its 400 pixels: 100.
    EXPECT_TRUE(near(100.0 / 200 / 0.05, view.panRight, 1e-12));
    EXPECT_TRUE(near(-30.0 / 150 / 0.05, view.panDown, 1e-12));
    const ScreenPoint before = ProjectPoint(ViewState{}, 800, 600, 0, 0, 0);
    ViewState panned;
    panned.scale = 0.03;
    dragPan(panned, 0, 0, 100, 0, {400, 300});
    const ScreenPoint after = ProjectPoint(panned, 800, 600, 0, 0, 0);
    // The bitmap is 1600 wide, the control 400: 100 control pixels are 400 bitmap pixels.
    EXPECT_TRUE(near(400, after.x - before.x, 1e-9));
}

// Boxes from the least size to three times it, inside, across every edge and beyond, taken
// when free: the space answers as a search of the taken boxes' pixels within the picture.
TEST(LabelSpace, AnswersAsASearchOfTheTakenBoxes) {
    const struct {
        int width, height, leastWidth, leastHeight;
    } pictures[] = {{300, 200, 39, 29}, {64, 65, 10, 5}, {130, 7, 1, 1}, {20, 10, 39, 29}};
    std::uint64_t seed = 99;
    const auto next = [&seed](int below) {
        seed = seed * 6364136223846793005ULL + 1442695040888963407ULL;
        return static_cast<int>((seed >> 33) % static_cast<std::uint64_t>(below));
    };
    for (const auto& [width, height, leastWidth, leastHeight] : pictures) {
        LabelSpace space(width, height, leastWidth, leastHeight);
        std::vector<bool> covered(static_cast<std::size_t>(width * height));
        int taken = 0;
        for (int box = 0; box < 3000; ++box) {
            const int left = next(width + 2 * leastWidth) - 2 * leastWidth;
            const int top = next(height + 2 * leastHeight) - 2 * leastHeight;
            const PixelBox candidate{left, top, left + leastWidth + next(2 * leastWidth),
                                     top + leastHeight + next(2 * leastHeight)};
            std::vector<std::size_t> pixels;
            for (int y = std::max(top, 0); y < std::min(candidate.bottom, height); ++y) {
                for (int x = std::max(left, 0); x < std::min(candidate.right, width); ++x)
                    pixels.push_back(static_cast<std::size_t>(y * width + x));
            }
            const bool free = std::none_of(pixels.begin(), pixels.end(),
                                           [&](std::size_t pixel) { return covered[pixel]; });
            ASSERT_EQ(space.isFree(candidate), free) << width << "x" << height << ", box " << box;
            if (!free) continue;
            space.take(candidate);
            ++taken;
            for (const std::size_t pixel : pixels) covered[pixel] = true;
        }
        EXPECT_GT(taken, 1);
        EXPECT_LT(taken, 2900);  // most boxes met one taken before
    }
}

}  // namespace
}  // namespace korvela
