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

}  // namespace

void fitViewToActivePoints(ViewState& view, const PointStore& store) {
    const ViewTransform transform = unscaledTransform(view);
    double left = INFINITY, right = -INFINITY, top = INFINITY, bottom = -INFINITY;
    for (std::size_t i = 0; i < store.count(); ++i) {
        if (store.active()[i] != 1) continue;
        const ScreenPoint at =
            unscaledPosition(transform, store.x()[i], store.y()[i], store.z()[i]);
        left = std::min(left, at.x);
        right = std::max(right, at.x);
        top = std::min(top, at.y);
        bottom = std::max(bottom, at.y);
    }
    if (!(left <= right && top <= bottom)) return;
    view.panRight = -(left + right) / 2;
    view.panDown = -(top + bottom) / 2;
    // Half the plan's width (and height) is 1 before scaling; the points take 1 - 5 % of it.
    const double halfExtent = std::max(right - left, bottom - top) / 2;
    if (halfExtent > 0 && std::isfinite(halfExtent)) view.scale = (1 - 2 * kFitMargin) / halfExtent;
}

void centreViewOn(ViewState& view, double x, double y, double z) {
    const ScreenPoint at = unscaledPosition(unscaledTransform(view), x, y, z);
    view.panRight = -at.x;
    view.panDown = -at.y;
}

std::optional<std::size_t> findPointNumbered(const PointStore& store, std::string_view number) {
    for (std::size_t i = 0; i < store.count(); ++i) {
        if (store.number()[i] == number) return i;
    }
    return std::nullopt;
}

}  // namespace korvela
