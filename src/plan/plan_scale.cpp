#include "plan/plan_scale.h"

#include <cmath>

#include "points/view_state.h"

namespace korvela {

double pixelsPerMetre(const ViewState& view, double side) { return 0.5 * side * view.scale; }

std::optional<ScreenPoint> northOnBitmap(const ViewState& view) {
    const ViewTransform transform(view, 1, 1);
    const ScreenPoint from = transform.project(-view.offsetX, -view.offsetY, -view.offsetZ);
    const ScreenPoint to = transform.project(1 - view.offsetX, -view.offsetY, -view.offsetZ);
    const double dx = to.x - from.x, dy = to.y - from.y;
    const double length = std::hypot(dx, dy);
    if (!(length > 1e-12 * std::fabs(view.scale)) || !std::isfinite(length)) return std::nullopt;
    return ScreenPoint{dx / length, dy / length};
}

double scaleBarLength(double longest) {
    if (!(longest > 0) || !std::isfinite(longest)) return 0;
    const double power = std::pow(10.0, std::floor(std::log10(longest)));
    for (const double step : {5.0, 2.0, 1.0}) {
        if (step * power <= longest) return step * power;
    }
    return power;  // rounding in log10 put power just above longest
}

}  // namespace korvela
