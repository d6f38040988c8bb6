// The plan on a sheet: page layout, scale choice, the sheet's view, the grid, paper colours.
#include "plan/plan_sheet.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>

#include "test_support.h"

namespace korvela {
namespace {

using testing::near;

constexpr double kMillimetre = 1e-6;  // tolerance of sheet positions

bool within(const SheetRect& inner, const SheetRect& outer) {
    return inner.left >= outer.left && inner.top >= outer.top && inner.right() <= outer.right() &&
           inner.bottom() <= outer.bottom();
}

bool apart(const SheetRect& a, const SheetRect& b) {
    return a.right() <= b.left || b.right() <= a.left || a.bottom() <= b.top ||
           b.bottom() <= a.top;
}

TEST(PlanSheet, TheFrameFillsThePageAndTheTitleStripKeepsItsOwnPlace) {
    const struct {
        const char* name;
        double width, height;
        SheetRect frame;  // 10 mm margins, a 6 mm coordinate band, a 22 mm title strip
    } cases[] = {{"A4 landscape", 297, 210, {16, 16, 265, 156}},
                 {"A4 portrait", 210, 297, {16, 16, 178, 243}},
                 {"A3 landscape", 420, 297, {16, 16, 388, 243}}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const SheetLayout layout = sheetLayout(c.width, c.height);
        EXPECT_TRUE(near(c.frame.left, layout.frame.left, kMillimetre));
        EXPECT_TRUE(near(c.frame.top, layout.frame.top, kMillimetre));
        EXPECT_TRUE(near(c.frame.width, layout.frame.width, kMillimetre));
        EXPECT_TRUE(near(c.frame.height, layout.frame.height, kMillimetre));
        const SheetRect printable{10, 10, c.width - 20, c.height - 20};
        const SheetRect blocks[] = {layout.scaleBlock, layout.northBlock, layout.captionBlock};
        for (const SheetRect& block : blocks) {
            EXPECT_TRUE(within(block, printable));
            EXPECT_GE(block.top, layout.frame.bottom() + 6);  // under the band of coordinates
            EXPECT_GT(block.width, 50);
        }
        EXPECT_TRUE(apart(blocks[0], blocks[1]) && apart(blocks[1], blocks[2]));
    }
}

TEST(PlanSheet, TheLargestStandardScaleAtWhichTheShownSquareFits) {
    // Frames of A4 landscape (265 × 156) and portrait (178 × 243): the shorter side decides.
    const struct {
        double side, width, height, scale;
    } cases[] = {{30, 265, 156, 200},      {1, 265, 156, 200},       {60, 265, 156, 500},
                 {78, 265, 156, 500},      {78.01, 265, 156, 1000},  {100, 265, 156, 1000},
                 {89, 178, 243, 500},      {100, 178, 243, 1000},    {700, 265, 156, 5000},
                 {800, 265, 156, 10000},   {2000, 265, 156, 20000},  {7000, 265, 156, 50000},
                 {8000, 265, 156, 100000}, {0, 265, 156, 200},       {-5, 265, 156, 200},
                 {std::numeric_limits<double>::quiet_NaN(), 265, 156, 200}};
    for (const auto& c : cases) {
        const double scale = fittingScale(c.side, c.width, c.height);
        EXPECT_EQ(scale, c.scale) << c.side << " m in " << c.width << " × " << c.height;
        if (!(c.side > 0)) continue;
        // It fits at that scale and not at the next larger standard or round one.
        const double shorter = std::min(c.width, c.height);
        EXPECT_LE(c.side * 1000 / scale, shorter * (1 + 1e-12)) << c.side;
        const double* larger = std::find(kStandardScales.begin(), kStandardScales.end(), scale);
        if (larger != kStandardScales.begin() && larger != kStandardScales.end()) {
            EXPECT_GT(c.side * 1000 / *(larger - 1), shorter) << c.side;
        }
    }
    ViewState view;
    view.scale = 0.02;  // the plan shows 100 m on each side of its bitmap
    EXPECT_DOUBLE_EQ(shownSide(view), 100);
    EXPECT_EQ(sheetScale(sheetLayout(297, 210), view, 0), 1000);
    EXPECT_EQ(sheetScale(sheetLayout(297, 210), view, 200), 200);  // the user's choice
}

// A survey point on the sheet through the sheet's view of a frame.
ScreenPoint onSheet(const ViewState& view, const SheetRect& frame, double x, double y) {
    const ScreenPoint at = ViewTransform::trueToScale(view, frame.width / 2, frame.height / 2)
                               .project(x, y, 0);
    return {frame.left + at.x, frame.top + at.y};
}

ViewState viewLookingAt(double x, double y) {
    ViewState view;
    view.offsetX = -x;
    view.offsetY = -y;
    return view;
}

TEST(PlanSheet, TheSheetKeepsTheScreensCentreAndDrawsOneMetreAsThousandByNMillimetres) {
    const SheetRect frame{16, 16, 265, 156};
    const struct {
        const char* name;
        double azimuth, panRight, panDown;
        ScreenPoint east, north;  // mm on the sheet of 1 m east and 1 m north at 1:500
        double centreX, centreY;  // the survey point at the frame's centre
    } cases[] = {{"north up", 0, 0, 0, {2, 0}, {0, -2}, 5412345, 7312345},
                 {"turned a quarter", 90, 0, 0, {0, 2}, {2, 0}, 5412345, 7312345},
                 {"panned", 0, 3, -4, {2, 0}, {0, -2}, 5412341, 7312342}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ViewState screen = viewLookingAt(5412345, 7312345);
        screen.azimuthDeg = c.azimuth;
        screen.panRight = c.panRight;
        screen.panDown = c.panDown;
        screen.scale = 0.0123;
        const ViewState view = sheetView(screen, 500, frame.width, frame.height);
        // The screen's centre, and the sheet's centre, show the same survey point.
        const ScreenPoint middle = ProjectPoint(screen, 400, 300, c.centreX, c.centreY, 0);
        EXPECT_TRUE(near(400, middle.x, 1e-6) && near(300, middle.y, 1e-6));
        const ScreenPoint centre = onSheet(view, frame, c.centreX, c.centreY);
        EXPECT_TRUE(near(148.5, centre.x, kMillimetre));
        EXPECT_TRUE(near(94, centre.y, kMillimetre));
        const ScreenPoint east = onSheet(view, frame, c.centreX, c.centreY + 1);
        const ScreenPoint north = onSheet(view, frame, c.centreX + 1, c.centreY);
        EXPECT_TRUE(near(c.east.x, east.x - centre.x, kMillimetre));
        EXPECT_TRUE(near(c.east.y, east.y - centre.y, kMillimetre));
        EXPECT_TRUE(near(c.north.x, north.x - centre.x, kMillimetre));
        EXPECT_TRUE(near(c.north.y, north.y - centre.y, kMillimetre));
    }
}

bool sameTick(const GridTick& a, const GridTick& b) {
    return near(a.at.x, b.at.x, kMillimetre) && near(a.at.y, b.at.y, kMillimetre) &&
           near(a.inward.x, b.inward.x, 1e-9) && near(a.inward.y, b.inward.y, 1e-9) &&
           a.edge == b.edge && a.ofX == b.ofX && a.coordinate == b.coordinate;
}

TEST(PlanSheet, GridCrossesEveryTenCentimetresAtRoundCoordinatesAndTicksOnTheEdges) {
    // A4 landscape frame at 1:500 round (5412345, 7312345) at its centre (148.5, 94): lines
    // every 50 m, 2 mm a metre. It spans 132.5 mm (66.25 m) either side across and 78 mm
    // (39 m) up and down: the round values 7312300, 7312350, 7312400 and 5412350 only.
    const SheetRect frame{16, 16, 265, 156};
    using E = FrameEdge;
    const struct {
        const char* name;
        double azimuth;
        std::vector<GridCross> crosses;
        std::vector<GridTick> ticks;
    } cases[] = {
        {"north up",
         0,
         {{{58.5, 84}, 5412350, 7312300},
          {{158.5, 84}, 5412350, 7312350},
          {{258.5, 84}, 5412350, 7312400}},
         {{{16, 84}, {1, 0}, E::Left, true, 5412350},
          {{281, 84}, {-1, 0}, E::Right, true, 5412350},
          {{58.5, 172}, {0, -1}, E::Bottom, false, 7312300},
          {{58.5, 16}, {0, 1}, E::Top, false, 7312300},
          {{158.5, 172}, {0, -1}, E::Bottom, false, 7312350},
          {{158.5, 16}, {0, 1}, E::Top, false, 7312350},
          {{258.5, 172}, {0, -1}, E::Bottom, false, 7312400},
          {{258.5, 16}, {0, 1}, E::Top, false, 7312400}}},
        // North to the right, east down: X is read across the frame, Y up and down.
        {"turned a quarter",
         90,
         {{{58.5, 104}, 5412300, 7312350},
          {{158.5, 104}, 5412350, 7312350},
          {{258.5, 104}, 5412400, 7312350}},
         {{{58.5, 16}, {0, 1}, E::Top, true, 5412300},
          {{58.5, 172}, {0, -1}, E::Bottom, true, 5412300},
          {{158.5, 16}, {0, 1}, E::Top, true, 5412350},
          {{158.5, 172}, {0, -1}, E::Bottom, true, 5412350},
          {{258.5, 16}, {0, 1}, E::Top, true, 5412400},
          {{258.5, 172}, {0, -1}, E::Bottom, true, 5412400},
          {{16, 104}, {1, 0}, E::Left, false, 7312350},
          {{281, 104}, {-1, 0}, E::Right, false, 7312350}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ViewState screen = viewLookingAt(5412345, 7312345);
        screen.azimuthDeg = c.azimuth;
        const SheetGrid grid =
            sheetGrid(sheetView(screen, 500, frame.width, frame.height), 500, frame, 5);
        ASSERT_EQ(grid.crosses.size(), c.crosses.size());
        for (std::size_t i = 0; i < c.crosses.size(); ++i) {
            EXPECT_TRUE(near(c.crosses[i].at.x, grid.crosses[i].at.x, kMillimetre)) << i;
            EXPECT_TRUE(near(c.crosses[i].at.y, grid.crosses[i].at.y, kMillimetre)) << i;
            EXPECT_EQ(c.crosses[i].x, grid.crosses[i].x) << i;
            EXPECT_EQ(c.crosses[i].y, grid.crosses[i].y) << i;
        }
        EXPECT_EQ(grid.ticks.size(), c.ticks.size());
        for (const GridTick& expected : c.ticks) {
            EXPECT_TRUE(std::any_of(grid.ticks.begin(), grid.ticks.end(),
                                    [&](const GridTick& tick) { return sameTick(expected, tick); }))
                << expected.coordinate << " at " << expected.at.x << ", " << expected.at.y;
        }
    }
    // A cross nearer the edge than the inset is left to the edges' ticks; a view that is not
    // a plan has no grid.
    const ViewState plan = sheetView(viewLookingAt(5412345, 7312345), 500, 265, 156);
    EXPECT_EQ(sheetGrid(plan, 500, frame, 43).crosses.size(), 1u);
    ViewState tilted = plan;
    tilted.tiltDeg = 30;
    const SheetGrid none = sheetGrid(tilted, 500, frame, 5);
    EXPECT_TRUE(none.crosses.empty() && none.ticks.empty());
}

// Contrast of a colour against white paper as the web's accessibility rules reckon it.
double contrastOnWhite(std::int32_t colour) {
    const auto linear = [](int channel) {
        const double c = channel / 255.0;
        return c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
    };
    const double luminance = 0.2126 * linear(colour & 0xFF) +
                             0.7152 * linear((colour >> 8) & 0xFF) +
                             0.0722 * linear((colour >> 16) & 0xFF);
    return 1.05 / (luminance + 0.05);
}

TEST(PlanSheet, PointsOnPaperAreDarkEnoughToReadAndKeepTheirHue) {
    const struct {
        std::int32_t colour, ink;
    } named[] = {{0x00FFFF00, 0x007F7F00},   // cyan: 255 · 89.25 / 178.755 = 127.3
                 {0x0000FF00, 0x00009800},   // green: 255 · 89.25 / 149.685 = 152.0
                 {0x0000FFFF, 0x00006464},   // yellow: 255 · 89.25 / 225.93 = 100.7
                 {0x000000FF, 0x000000FF},   // red, 29.9 % luma: kept
                 {0x00FF0000, 0x00FF0000},   // blue: kept
                 {0x00000000, 0x00000000}};  // black: kept
    for (const auto& c : named) EXPECT_EQ(inkOnPaper(c.colour), c.ink) << std::hex << c.colour;
    const auto channel = [](std::int32_t colour, int which) { return (colour >> (8 * which)) & 0xFF; };
    for (int red = 0; red < 256; red += 15) {
        for (int green = 0; green < 256; green += 15) {
            for (int blue = 0; blue < 256; blue += 15) {
                const std::int32_t colour = red | green << 8 | blue << 16;
                const std::int32_t ink = inkOnPaper(colour);
                ASSERT_GE(contrastOnWhite(ink), 3) << std::hex << colour << " → " << ink;
                // Every channel scaled by one factor f ≤ 1, then truncated: ink = f · colour
                // − e with 0 ≤ e < 1, so the cross products of two channels differ by less
                // than the sum of the two.
                for (int i = 0; i < 3; ++i) {
                    ASSERT_LE(channel(ink, i), channel(colour, i)) << std::hex << colour;
                    const int j = (i + 1) % 3;
                    const int crossed = channel(ink, i) * channel(colour, j) -
                                        channel(ink, j) * channel(colour, i);
                    ASSERT_LE(std::abs(crossed), channel(colour, i) + channel(colour, j))
                        << std::hex << colour << " → " << ink;
                }
            }
        }
    }
}

}  // namespace
}  // namespace korvela
