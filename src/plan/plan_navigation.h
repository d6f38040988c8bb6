#pragma once

#include "points/view_state.h"

#include <cstddef>
#include <initializer_list>

namespace korvela {

struct PixelSize {
    int width = 0;
    int height = 0;
    bool operator==(const PixelSize&) const = default;
};

// The largest plan bitmap that label-scaling zoom makes, per side.
inline constexpr int kLargestPlanBitmap = 8192;

// One wheel notch in normal mode: the scale grows (up) or shrinks (down) by 1 %, about the
// centre of the plan.
void zoomScale(ViewState& view, bool up);

// One wheel notch in label-scaling mode: the bitmap's resolution changes instead, so the
// geometry keeps its place on the screen while everything drawn in fixed pixel sizes grows
// (up) or shrinks (down). A side that reaches 0 resets the bitmap to the control's size.
PixelSize zoomBitmap(PixelSize bitmap, bool up, PixelSize control);

// A drag from the press to the release position (control pixels) moves the picture by
// exactly the distance dragged on the screen, whatever the bitmap's resolution.
void dragPan(ViewState& view, int pressX, int pressY, int releaseX, int releaseY,
             PixelSize control);

class PointStore;

// "Показать все точки": the scale and pan that put every active point on the plan with a
// margin of 5 % of the bitmap on each side, in the current view angles and offsets. Without
// active points nothing changes; points that coincide keep the scale and are centred.
void fitViewToActivePoints(ViewState& view, std::initializer_list<const PointStore*> stores);
inline void fitViewToActivePoints(ViewState& view, const PointStore& store) {
    fitViewToActivePoints(view, {&store});
}

// Whether some active point of the stores lies on the plan (within the bitmap, whatever its
// size) in this view.
bool activePointOnPlan(const ViewState& view, std::initializer_list<const PointStore*> stores);

// After points came (an import, a join): when none of the active points of the stores would
// be on the plan, the view shows them all, as "Показать все точки" does; otherwise it stays.
void showAllWhenNoneOnPlan(ViewState& view, std::initializer_list<const PointStore*> stores);

// Pans the view so that the point (x, y, z) lies at the centre of the plan.
void centreViewOn(ViewState& view, double x, double y, double z);

}  // namespace korvela
