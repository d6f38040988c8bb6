#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <vector>

class QFont;
class QImage;
class QPaintDevice;
class QPainter;
class QSize;
class QSizeF;

namespace korvela {

class PointStore;
class WorkProgress;
class PointGrid;
struct PickList;
struct ViewState;

// The plan's colours, 0x00BBGGRR as the points keep theirs.
inline constexpr std::int32_t kPlanBackground = 0x00000000;
inline constexpr std::int32_t kPlanYellow = 0x0000FFFF;  // selected points, labels, cursor
inline constexpr std::int32_t kPlanRed = 0x000000FF;     // axis cross
inline constexpr std::int32_t kPlanWhite = 0x00FFFFFF;
inline constexpr std::int32_t kPlanBlack = 0x00000000;

// The colours of a drawing of the plan. On the screen: a black ground, points in their own
// colours, selected points and labels yellow. On paper: white, points too light to read on it
// darkened (inkOnPaper), selected points and labels black, the axis letters white on red.
struct PlanPalette {
    std::int32_t background;
    std::int32_t marked;     // selected points and their labels
    std::int32_t axisLines;  // also behind the axis letters
    std::int32_t axisLetters;
    bool darkenLightPoints;
};
inline constexpr PlanPalette kScreenPalette{kPlanBackground, kPlanYellow, kPlanRed, kPlanYellow,
                                            false};
inline constexpr PlanPalette kPaperPalette{kPlanWhite, kPlanBlack, kPlanRed, kPlanWhite, true};

// Repaints the whole plan into the bitmap from the store, the selection and the view, and
// refills the pick list with the points it drew: black background, the axis cross, every
// active point as a small disc in its colour (selected ones yellow, with their number above
// and height below a 40-pixel leader when the view says so). Frozen points are not drawn.
void Redraw(PickList& pickList, QImage& bitmap, const ViewState& view,
            const std::vector<std::int32_t>& selected, const PointStore& store,
            const QFont& labelFont);

// The same picture, drawn by visiting only the points whose picture can reach the bitmap:
// in a plan view (no tilt, no roll) those of the grid's cells near it. The grid is brought
// up to date with the store first. The pick list keeps only the points a press on the bitmap
// can catch: those within the pick radius (and a little more) of it. Colours, one a point,
// stand in for the points' own (the colours by code); empty: their own.
void Redraw(PickList& pickList, QImage& bitmap, const ViewState& view,
            const std::vector<std::int32_t>& selected, const PointStore& store,
            const QFont& labelFont, PointGrid& grid, std::span<const std::int32_t> colours = {});

// The same plan drawn with the painter as vector shapes (discs, lines, text) in the palette's
// colours into the frame from (0, 0) of the given size in the painter's coordinates, for
// paper: true to scale in both directions (ViewTransform::trueToScale), so a square frame
// looks as the plan on a bitmap of that size. Nothing is drawn outside the frame. Each point
// is counted into progress: a stop requested there ends the drawing with WorkStopped.
void DrawPlan(QPainter& painter, QSizeF frame, const ViewState& view,
              const std::vector<std::int32_t>& selected, const PointStore& store,
              const QFont& labelFont, const PlanPalette& palette, WorkProgress* progress = nullptr);

// DrawPlan's picture in two steps, for a printer, which prints whatever it has been given:
// the walk over the points (which a stop can end) records what is to be drawn, and only then
// is it painted. The record grows with the points drawn (8 bytes each) and the labels, which
// are bounded by the area.
class PaperPlan {
public:
    // The walk, for painting on device (whose painter measures the labels).
    PaperPlan(const QPaintDevice& device, QSizeF frame, const ViewState& view,
              const std::vector<std::int32_t>& selected, const PointStore& store,
              const QFont& labelFont, const PlanPalette& palette, WorkProgress* progress = nullptr);
    PaperPlan(PaperPlan&&) noexcept;
    ~PaperPlan();

    // Counts each disc painted into progress (anew), stopping in the same way.
    void paint(QPainter& painter, WorkProgress* progress = nullptr) const;

private:
    struct Drawing;
    std::unique_ptr<Drawing> drawing_;
};

}  // namespace korvela
