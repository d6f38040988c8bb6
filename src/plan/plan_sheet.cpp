#include "plan/plan_sheet.h"

#include <algorithm>
#include <cmath>
#include <optional>

namespace korvela {
namespace {

constexpr double kPageMargin = 10;            // mm: most printers cannot print closer to the edge
constexpr double kCoordinateBand = 6;         // mm round the frame for the grid's coordinates
constexpr double kTitleHeight = 22;           // mm
constexpr double kFitSlack = 1e-9;            // a square as large as the frame fits
constexpr double kLightestInk = 0.35 * 255;   // luma
constexpr std::size_t kMostGridLines = 1000;  // of one direction; a frame holds a few

// The multiples of step from low to high; none when there would be absurdly many.
std::vector<double> multiplesWithin(double low, double high, double step) {
    const double first = std::ceil(low / step);
    const double last = std::floor(high / step);
    std::vector<double> values;
    if (!(last - first < kMostGridLines)) return values;
    for (double k = first; k <= last; ++k) values.push_back(k * step);
    return values;
}

// The ticks where the segment from a to b, which begins and ends outside the frame, crosses
// the frame's edges (clipping by the frame's four half-planes).
void addTicks(SheetGrid& grid, ScreenPoint a, ScreenPoint b, const SheetRect& frame, bool ofX,
              double coordinate) {
    const double dx = b.x - a.x;
    const double dy = b.y - a.y;
    const double length = std::hypot(dx, dy);
    if (!(length > 0)) return;
    struct HalfPlane {
        double towards;  // how fast the segment runs out of it
        double room;     // how far inside it a is
        FrameEdge edge;
    };
    const HalfPlane halfPlanes[] = {{-dx, a.x - frame.left, FrameEdge::Left},
                                    {dx, frame.right() - a.x, FrameEdge::Right},
                                    {-dy, a.y - frame.top, FrameEdge::Top},
                                    {dy, frame.bottom() - a.y, FrameEdge::Bottom}};
    double enter = 0, leave = 1;
    std::optional<FrameEdge> enterEdge, leaveEdge;
    for (const HalfPlane& half : halfPlanes) {
        if (half.towards == 0) {
            if (half.room < 0) return;  // parallel to this edge and outside the frame
            continue;
        }
        const double t = half.room / half.towards;
        if (half.towards < 0 && t > enter) {
            enter = t;
            enterEdge = half.edge;
        } else if (half.towards > 0 && t < leave) {
            leave = t;
            leaveEdge = half.edge;
        }
    }
    if (!(enter < leave) || !enterEdge || !leaveEdge) return;
    const ScreenPoint along{dx / length, dy / length};
    grid.ticks.push_back(
        {{a.x + enter * dx, a.y + enter * dy}, along, *enterEdge, ofX, coordinate});
    grid.ticks.push_back(
        {{a.x + leave * dx, a.y + leave * dy}, {-along.x, -along.y}, *leaveEdge, ofX, coordinate});
}

bool insideBy(const SheetRect& frame, ScreenPoint at, double inset) {
    return at.x >= frame.left + inset && at.x <= frame.right() - inset &&
           at.y >= frame.top + inset && at.y <= frame.bottom() - inset;
}

}  // namespace

SheetLayout sheetLayout(double pageWidth, double pageHeight) {
    const double inset = kPageMargin + kCoordinateBand;
    SheetLayout layout;
    layout.frame = {inset, inset, pageWidth - 2 * inset, pageHeight - 2 * inset - kTitleHeight};
    const double third = layout.frame.width / 3;
    const double titleTop = pageHeight - kPageMargin - kTitleHeight;
    layout.scaleBlock = {layout.frame.left, titleTop, third, kTitleHeight};
    layout.northBlock = {layout.frame.left + third, titleTop, third, kTitleHeight};
    layout.captionBlock = {layout.frame.left + 2 * third, titleTop, third, kTitleHeight};
    return layout;
}

double shownSide(const ViewState& view) { return 2 / view.scale; }

double fittingScale(double side, double frameWidth, double frameHeight) {
    const double least = side * 1000 / std::min(frameWidth, frameHeight);
    if (!(side > 0) || !(least > 0) || !std::isfinite(least)) return kStandardScales.front();
    const auto fits = [least](double scale) { return scale * (1 + kFitSlack) >= least; };
    for (const double scale : kStandardScales) {
        if (fits(scale)) return scale;
    }
    for (double power = std::pow(10.0, std::floor(std::log10(least)));; power *= 10) {
        for (const double step : {1.0, 2.0, 5.0}) {
            if (fits(step * power)) return step * power;
        }
    }
}

double sheetScale(const SheetLayout& layout, const ViewState& view, double chosenScale) {
    if (chosenScale > 0) return chosenScale;
    return fittingScale(shownSide(view), layout.frame.width, layout.frame.height);
}

ViewState sheetView(const ViewState& view, double scale, double frameWidth, double frameHeight) {
    ViewState sheet = view;
    sheet.scale = 2000 / (scale * std::min(frameWidth, frameHeight));
    return sheet;
}

SheetGrid sheetGrid(const ViewState& view, double scale, const SheetRect& frame, double inset) {
    SheetGrid grid;
    const ViewTransform transform =
        ViewTransform::trueToScale(view, frame.width / 2, frame.height / 2);
    const auto box = transform.surveyBoxOf(0, 0, frame.width, frame.height);
    const double step = scale / 10;
    if (!box || !(step > 0)) return grid;
    const auto onSheet = [&](double x, double y) {
        const ScreenPoint at = transform.project(x, y, 0);
        return ScreenPoint{frame.left + at.x, frame.top + at.y};
    };
    const std::vector<double> xs = multiplesWithin(box->xLow, box->xHigh, step);
    const std::vector<double> ys = multiplesWithin(box->yLow, box->yHigh, step);
    for (const double x : xs) {
        addTicks(grid, onSheet(x, box->yLow), onSheet(x, box->yHigh), frame, true, x);
    }
    for (const double y : ys) {
        addTicks(grid, onSheet(box->xLow, y), onSheet(box->xHigh, y), frame, false, y);
    }
    for (const double x : xs) {
        for (const double y : ys) {
            const ScreenPoint at = onSheet(x, y);
            if (insideBy(frame, at, inset)) grid.crosses.push_back({at, x, y});
        }
    }
    return grid;
}

std::int32_t inkOnPaper(std::int32_t colour) {
    const int red = colour & 0xFF;
    const int green = (colour >> 8) & 0xFF;
    const int blue = (colour >> 16) & 0xFF;
    const double luma = 0.299 * red + 0.587 * green + 0.114 * blue;
    if (luma <= kLightestInk) return colour;
    const double factor = kLightestInk / luma;
    // Truncation keeps the luma at or under the limit.
    const auto scaled = [factor](int channel) {
        return static_cast<std::int32_t>(channel * factor);
    };
    return scaled(red) | scaled(green) << 8 | scaled(blue) << 16;
}

}  // namespace korvela
