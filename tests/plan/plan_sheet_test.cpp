// The plan on a sheet: page layout, scale choice, the grid at true scale, paper colours.
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

TEST(PlanSheet, TheFrameFillsThePageAndTheTitleStripKeepsItsOwnPlace) {
    // 10 mm margins, a 6 mm band for the grid's coordinates, a 22 mm title strip.
    const struct {
        double width, height, frameWidth, frameHeight;
    } cases[] = {{297, 210, 265, 156}, {210, 297, 178, 243}, {420, 297, 388, 243}};
    for (const auto& c : cases) {
        const SheetLayout layout = sheetLayout(c.width, c.height);
        EXPECT_TRUE(near(16, layout.frame.left, kMillimetre) &&
                    near(16, layout.frame.top, kMillimetre));
        EXPECT_TRUE(near(c.frameWidth, layout.frame.width, kMillimetre)) << c.width;
        EXPECT_TRUE(near(c.frameHeight, layout.frame.height, kMillimetre)) << c.width;
        for (const SheetRect& block : {layout.scaleBlock, layout.northBlock, layout.captionBlock}) {
            EXPECT_GE(block.top, layout.frame.bottom() + 6) << c.width;
            EXPECT_LE(block.bottom(), c.height - 10) << c.width;
            EXPECT_GT(block.width, 50) << c.width;
        }
        EXPECT_LE(layout.captionBlock.right(), c.width - 10);
    }
}

TEST(PlanSheet, TheLargestStandardScaleAtWhichTheShownSquareFits) {
    // Frames of A4 landscape (265 × 156) and portrait (178 × 243): the shorter side decides.
    const struct {
        double side, width, height, scale;
    } cases[] = {
        {30, 265, 156, 200},      {60, 265, 156, 500},
        {78, 265, 156, 500},      {78.01, 265, 156, 1000},
        {89, 178, 243, 500},      {100, 178, 243, 1000},
        {700, 265, 156, 5000},    {800, 265, 156, 10000},
        {2000, 265, 156, 20000},  {7000, 265, 156, 50000},
        {8000, 265, 156, 100000}, {0, 265, 156, 200},
        {-5, 265, 156, 200},      {std::numeric_limits<double>::quiet_NaN(), 265, 156, 200}};
    for (const auto& c : cases) {
        EXPECT_EQ(fittingScale(c.side, c.width, c.height), c.scale) << c.side << " m";
    }
    ViewState view;
    view.scale = 0.02;  // the plan shows 100 m on each side of its bitmap
    EXPECT_EQ(sheetScale(sheetLayout(297, 210), view, 0), 1000);
    EXPECT_EQ(sheetScale(sheetLayout(297, 210), view, 200), 200);  // the user's choice
}

TEST(PlanSheet, GridCrossesEveryTenCentimetresAtRoundCoordinatesTrueToScale) {
    // An A4 landscape frame at 1:500 (2 mm a metre, lines every 50 m) round the survey point
    // (5412345, 7312345) the screen shows at its centre, which the frame's centre (148.5, 94)
    // shows too. The frame reaches 66.25 m either side across and 39 m up and down: the
    // round values 7312300, 7312350, 7312400 across and 5412350 up and down. Turned a quarter,
    // north points right and east down, X is read across and Y up and down.
    const SheetRect frame{16, 16, 265, 156};
    const struct {
        double azimuth;
        std::vector<GridCross> crosses;
        FrameEdge xEdge;  // where the line of 5412350 begins
    } cases[] = {{0,
                  {{{58.5, 84}, 5412350, 7312300},
                   {{158.5, 84}, 5412350, 7312350},
                   {{258.5, 84}, 5412350, 7312400}},
                  FrameEdge::Left},
                 {90,
                  {{{58.5, 104}, 5412300, 7312350},
                   {{158.5, 104}, 5412350, 7312350},
                   {{258.5, 104}, 5412400, 7312350}},
                  FrameEdge::Top}};
    for (const auto& c : cases) {
        ViewState screen;
        screen.offsetX = -5412345;
        screen.offsetY = -7312345;
        screen.azimuthDeg = c.azimuth;
        const SheetGrid grid =
            sheetGrid(sheetView(screen, 500, frame.width, frame.height), 500, frame, 5);
        ASSERT_EQ(grid.crosses.size(), c.crosses.size()) << c.azimuth;
        for (std::size_t i = 0; i < c.crosses.size(); ++i) {
            EXPECT_TRUE(near(c.crosses[i].at.x, grid.crosses[i].at.x, kMillimetre)) << i;
            EXPECT_TRUE(near(c.crosses[i].at.y, grid.crosses[i].at.y, kMillimetre)) << i;
            EXPECT_EQ(c.crosses[i].x, grid.crosses[i].x) << i;
            EXPECT_EQ(c.crosses[i].y, grid.crosses[i].y) << i;
        }
        // Each of the four lines meets two edges; the line of 5412350 runs into the frame
        // through its cross.
        ASSERT_EQ(grid.ticks.size(), 8u) << c.azimuth;
        const auto line = std::find_if(grid.ticks.begin(), grid.ticks.end(), [](const GridTick& t) {
            return t.ofX && t.coordinate == 5412350;
        });
        ASSERT_NE(line, grid.ticks.end());
        const GridTick& enter = *line;
        EXPECT_EQ(enter.edge, c.xEdge);
        const double towardsX = grid.crosses[1].at.x - enter.at.x;
        const double towardsY = grid.crosses[1].at.y - enter.at.y;
        EXPECT_TRUE(near(0, towardsX * enter.inward.y - towardsY * enter.inward.x, 1e-9));
        EXPECT_GT(towardsX * enter.inward.x + towardsY * enter.inward.y, 0);
    }
    ViewState tilted;
    tilted.tiltDeg = 30;  // not a plan: no grid
    EXPECT_TRUE(sheetGrid(tilted, 500, frame, 5).ticks.empty());
}

// Contrast of a colour against white paper as the web's accessibility rules reckon it.
double contrastOnWhite(std::int32_t colour) {
    const auto linear = [colour](int shift) {
        const double c = ((colour >> shift) & 0xFF) / 255.0;
        return c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
    };
    return 1.05 / (0.2126 * linear(0) + 0.7152 * linear(8) + 0.0722 * linear(16) + 0.05);
}

TEST(PlanSheet, PointsOnPaperAreDarkEnoughToReadAndKeepTheirHue) {
    const struct {
        std::int32_t colour, ink;
    } named[] = {{0x00FFFF00, 0x007F7F00},   // cyan: 255 · 89.25 / 178.755 = 127.3
                 {0x0000FFFF, 0x00006464},   // yellow: 255 · 89.25 / 225.93 = 100.7
                 {0x00FFFFFF, 0x00595959},   // white: 89.25
                 {0x000000FF, 0x000000FF}};  // red, 29.9 % luma: kept
    for (const auto& c : named) EXPECT_EQ(inkOnPaper(c.colour), c.ink) << std::hex << c.colour;
    // Dark enough for graphics (3:1) whatever the point's colour.
    constexpr std::int32_t kStride = 0x000D1B;  // some 5000 colours, every channel over its range
    for (std::int32_t colour = 0; colour <= 0xFFFFFF; colour += kStride) {
        ASSERT_GE(contrastOnWhite(inkOnPaper(colour)), 3) << std::hex << colour;
    }
}

}  // namespace
}  // namespace korvela
