#include "plan/plan_navigation.h"

#include <algorithm>
#include <cmath>

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

}  // namespace korvela
