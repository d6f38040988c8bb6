#include "plan/plan_navigation.h"

#include <algorithm>
#include <cmath>

#include "plan/view_transform.h"
#include "points/point_store.h"

namespace korvela {

void zoomScale(ViewState& view, bool up) {
    view.scale = up ? view.scale + view.scale * 0.01 : view.scale - view.scale * 0.01;
}

PixelSize zoomBitmap(PixelSize bitmap, bool up, PixelSize control) {
    const auto resize = [up](int side) {
        const double scaled = up ? std::floor(side * 99 * 0.01) : std::ceil(side * 101 * 0.01);
        return static_cast<int>(std::min<double>(scaled, kLargestPlanBitmap));
    };
    const PixelSize zoomed{resize(bitmap.width), resize(bitmap.height)};
    if (zoomed.width == 0 || zoomed.height == 0) return control;
    return zoomed;
}

void dragPan(ViewState& view, int pressX, int pressY, int releaseX, int releaseY,
             PixelSize control) {
    const int dy = pressY - releaseY;
    const int dx = pressX - releaseX;
    view.panDown = view.panDown - dy / (control.height * 0.5) / view.scale;
    view.panRight = view.panRight - dx / (control.width * 0.5) / view.scale;
}

namespace {

// Where the point lies on the plan before scale and pan: the view transform with cx = cy = 1,
// scale 1 and no pan gives 1 + p and 1 + r, and the plan shows cx·(1 + scale·(p + panRight)).
ScreenPoint unscaledPosition(const ViewTransform& transform, double x, double y, double z) {
    const ScreenPoint at = transform.project(x, y, z);
    return {at.x - 1, at.y - 1};
}

ViewTransform unscaledTransform(const ViewState& view) {
    ViewState unscaled = view;
    unscaled.scale = 1;
    unscaled.panRight = 0;
    unscaled.panDown = 0;
    return ViewTransform(unscaled, 1, 1);
}

constexpr double kFitMargin = 0.05;  // of the bitmap, on each side

// The rectangle of the active points' unscaled positions; empty when there are none.
struct UnscaledBounds {
    double left = INFINITY, right = -INFINITY, top = INFINITY, bottom = -INFINITY;

    bool empty() const { return !(left <= right && top <= bottom); }
    void add(ScreenPoint at) {
        left = std::min(left, at.x);
        right = std::max(right, at.x);
        top = std::min(top, at.y);
        bottom = std::max(bottom, at.y);
    }
};

UnscaledBounds boundsOfActivePoints(const ViewState& view,
                                    std::initializer_list<const PointStore*> stores) {
    const ViewTransform transform = unscaledTransform(view);
    UnscaledBounds bounds;
    for (const PointStore* store : stores) {
        for (std::size_t i = 0; i < store->count(); ++i) {
            if (store->active()[i] != 1) continue;
            bounds.add(unscaledPosition(transform, store->x()[i], store->y()[i], store->z()[i]));
        }
    }
    return bounds;
}

}  // namespace

void fitViewToActivePoints(ViewState& view, std::initializer_list<const PointStore*> stores) {
    const UnscaledBounds bounds = boundsOfActivePoints(view, stores);
    if (bounds.empty()) return;
    view.panRight = -(bounds.left + bounds.right) / 2;
    view.panDown = -(bounds.top + bounds.bottom) / 2;
    // Half the plan's width (and height) is 1 before scaling; the points take 1 - 5 % of it.
    const double halfExtent =
        std::max(bounds.right - bounds.left, bounds.bottom - bounds.top) / 2;
    if (halfExtent > 0 && std::isfinite(halfExtent)) view.scale = (1 - 2 * kFitMargin) / halfExtent;
}

// On the bitmap, sx = cx·(1 + scale·(p + panRight)) lies in [0, 2·cx] exactly when
// |scale·(p + panRight)| ≤ 1, whatever cx is; likewise down.
bool activePointOnPlan(const ViewState& view, std::initializer_list<const PointStore*> stores) {
    const ViewTransform transform(view, 1, 1);
    for (const PointStore* store : stores) {
        for (std::size_t i = 0; i < store->count(); ++i) {
            if (store->active()[i] != 1) continue;
            const ScreenPoint at = transform.project(store->x()[i], store->y()[i], store->z()[i]);
            if (std::fabs(at.x - 1) <= 1 && std::fabs(at.y - 1) <= 1) return true;
        }
    }
    return false;
}

void showAllWhenNoneOnPlan(ViewState& view, std::initializer_list<const PointStore*> stores) {
    if (!activePointOnPlan(view, stores)) fitViewToActivePoints(view, stores);
}

void centreViewOn(ViewState& view, double x, double y, double z) {
    const ScreenPoint at = unscaledPosition(unscaledTransform(view), x, y, z);
    view.panRight = -at.x;
    view.panDown = -at.y;
}

}  // namespace korvela
