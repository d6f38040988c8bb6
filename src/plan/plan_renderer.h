#pragma once

#include <cstdint>
#include <vector>

class QFont;
class QImage;
class QPainter;
class QSize;

namespace korvela {

class PointStore;
struct PickList;
struct ViewState;

// The plan's colours, 0x00BBGGRR as the points keep theirs.
inline constexpr std::int32_t kPlanBackground = 0x00000000;
inline constexpr std::int32_t kPlanYellow = 0x0000FFFF;  // selected points, labels, cursor
inline constexpr std::int32_t kPlanRed = 0x000000FF;     // axis cross

// Repaints the whole plan into the bitmap from the store, the selection and the view, and
// refills the pick list with the points it drew: black background, the axis cross, every
// active point as a small disc in its colour (selected ones yellow, with their number above
// and height below a 40-pixel leader when the view says so). Frozen points are not drawn.
void Redraw(PickList& pickList, QImage& bitmap, const ViewState& view,
            const std::vector<std::int32_t>& selected, const PointStore& store,
            const QFont& labelFont);

// The same plan drawn with the painter as vector shapes (discs, lines, text) into the frame
// from (0, 0) of the given size in the painter's coordinates, as the plan on a bitmap of that
// size looks; for paper. Nothing is drawn outside the frame.
void DrawPlan(QPainter& painter, QSize frame, const ViewState& view,
              const std::vector<std::int32_t>& selected, const PointStore& store,
              const QFont& labelFont);

}  // namespace korvela
