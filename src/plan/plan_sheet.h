#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "plan/view_transform.h"

namespace korvela {

// The plan on a sheet of paper: which part of the page holds what, the scale the plan is
// drawn at, where the coordinate grid falls and which colours stay readable on white.
// Lengths on the sheet are millimetres from the page's top left corner, y downwards.

struct SheetRect {
    double left = 0;
    double top = 0;
    double width = 0;
    double height = 0;

    double right() const { return left + width; }
    double bottom() const { return top + height; }
};

// Inside the page's margins: the drawing's frame with a band round it for the grid's
// coordinates, and under it a title strip of its own, split into three blocks.
struct SheetLayout {
    SheetRect frame;
    SheetRect scaleBlock;    // scale bar and "Масштаб 1:N"
    SheetRect northBlock;    // north arrow
    SheetRect captionBlock;  // file name and date
};

SheetLayout sheetLayout(double pageWidth, double pageHeight);

// The scales a plan is drawn at, as N of 1:N, largest scale first.
inline constexpr std::array<double, 5> kStandardScales = {200, 500, 1000, 2000, 5000};

// The side of the square of survey the plan shows, in metres: its bitmap maps 2 / scale
// metres onto each of its sides, whatever their pixel counts.
double shownSide(const ViewState& view);

// N of the largest standard scale at which a square of `side` metres fits in a frame of
// width × height millimetres. A square too large even for 1:5000 gets the largest round
// scale 1:(1, 2 or 5 × 10^k) at which it fits (1:10000, 1:20000, 1:50000, …), so the page is
// always made; a side that is not a positive length fits at 1:200.
double fittingScale(double side, double frameWidth, double frameHeight);

// N of the scale a sheet is drawn at: the chosen one, or when none (0) the standard scale at
// which the plan's shown square fits in the layout's frame.
double sheetScale(const SheetLayout& layout, const ViewState& view, double chosenScale);

// The view a frame of width × height (any unit) shows at 1:N when drawn through
// ViewTransform::trueToScale: the plan's centre and angles, one metre 1000 / N millimetres.
ViewState sheetView(const ViewState& view, double scale, double frameWidth, double frameHeight);

enum class FrameEdge { Left, Top, Right, Bottom };

// A place where two grid lines cross, and its survey coordinates.
struct GridCross {
    ScreenPoint at;
    double x = 0;
    double y = 0;
};

// A grid line meeting the frame's edge: the coordinate of the line (X for a line of constant
// X, else Y), and the line's direction into the frame, a unit vector.
struct GridTick {
    ScreenPoint at;
    ScreenPoint inward;
    FrameEdge edge = FrameEdge::Left;
    bool ofX = true;
    double coordinate = 0;
};

struct SheetGrid {
    std::vector<GridCross> crosses;
    std::vector<GridTick> ticks;
};

// The coordinate grid of a frame drawn at 1:N from `view` (a sheetView of that frame): the
// lines of round X and of round Y every 10 cm on paper, that is every N / 10 metres. Crosses
// lie at least `inset` inside the frame's edges; the lines' ends on the edges are ticks.
// Empty for a view that is not a plan (tilted or rolled: heights move the points).
SheetGrid sheetGrid(const ViewState& view, double scale, const SheetRect& frame, double inset);

// A point's colour on white paper (0x00BBGGRR): kept when its luma (0.299 R + 0.587 G +
// 0.114 B) is at most 35 % of full brightness, else all three channels are scaled down alike
// to that luma, which keeps the hue: cyan becomes a dark teal, green a dark green, yellow an
// olive, white a dark grey.
std::int32_t inkOnPaper(std::int32_t colour);

}  // namespace korvela
