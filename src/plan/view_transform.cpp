#include "plan/view_transform.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace korvela {
namespace {

constexpr double kRadiansPerDegree = std::numbers::pi * (1.0 / 180);

}  // namespace

// cx · scale is worked out first in the plain formula too, so keeping it changes no digit.
ViewTransform::ViewTransform(const ViewState& view, double cx, double cy)
    : ViewTransform(view, cx, cy, cx * view.scale, cy * view.scale) {}

ViewTransform ViewTransform::trueToScale(const ViewState& view, double cx, double cy) {
    const double zoom = std::min(cx, cy) * view.scale;
    return ViewTransform(view, cx, cy, zoom, zoom);
}

ViewTransform::ViewTransform(const ViewState& view, double cx, double cy, double zoomX,
                             double zoomY)
    : cx_(cx), cy_(cy), offsetX_(view.offsetX), offsetY_(view.offsetY), offsetZ_(view.offsetZ),
      zoomX_(zoomX), zoomY_(zoomY), panRight_(view.panRight), panDown_(view.panDown) {
    const double a = (view.azimuthDeg - 90) * kRadiansPerDegree;
    const double b = view.tiltDeg * kRadiansPerDegree;
    const double c = view.rollDeg * kRadiansPerDegree;
    cosA_ = std::cos(a);
    sinA_ = std::sin(a);
    cosB_ = std::cos(b);
    sinB_ = std::sin(b);
    cosC_ = std::cos(c);
    sinC_ = std::sin(c);
}

// With no tilt and no roll (their sines exactly 0, so their cosines 1) the transform is a
// turn and a scale of the plane, which the corners of the rectangle are taken back through. The box
// is widened by far more than the rounding of either direction can move a point.
std::optional<SurveyBox> ViewTransform::surveyBoxOf(double left, double top, double right,
                                                    double bottom) const {
    if (sinB_ != 0 || sinC_ != 0) return std::nullopt;
    const double metresAcross = 1 / zoomX_;
    const double metresDown = 1 / zoomY_;
    SurveyBox box{HUGE_VAL, -HUGE_VAL, HUGE_VAL, -HUGE_VAL};
    double magnitude =
        1 + std::fabs(offsetX_) + std::fabs(offsetY_) + std::fabs(panRight_) + std::fabs(panDown_);
    for (const double sx : {left, right}) {
        for (const double sy : {top, bottom}) {
            const double u = (sx - cx_) * metresAcross - panRight_;
            const double v = (sy - cy_) * metresDown - panDown_;
            const double l = cosA_ * u + sinA_ * v;
            const double m = -sinA_ * u + cosA_ * v;
            magnitude += std::fabs(l) + std::fabs(m);
            box = {std::min(box.xLow, l - offsetX_), std::max(box.xHigh, l - offsetX_),
                   std::min(box.yLow, m - offsetY_), std::max(box.yHigh, m - offsetY_)};
        }
    }
    const double slack = 1e-9 * magnitude;
    box = {box.xLow - slack, box.xHigh + slack, box.yLow - slack, box.yHigh + slack};
    for (const double edge : {box.xLow, box.xHigh, box.yLow, box.yHigh}) {
        if (!std::isfinite(edge)) return std::nullopt;
    }
    return box;
}

ScreenPoint ProjectPoint(const ViewState& view, double cx, double cy, double x, double y,
                         double z) {
    return ViewTransform(view, cx, cy).project(x, y, z);
}

}  // namespace korvela
