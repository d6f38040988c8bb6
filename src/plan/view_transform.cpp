#include "plan/view_transform.h"

#include <cmath>
#include <numbers>

namespace korvela {
namespace {

constexpr double kRadiansPerDegree = std::numbers::pi * (1.0 / 180);
constexpr double kHeightLift = 20;  // added to every height before projection

}  // namespace

ViewTransform::ViewTransform(const ViewState& view, double cx, double cy)
    : cx_(cx), cy_(cy), offsetX_(view.offsetX), offsetY_(view.offsetY), offsetZ_(view.offsetZ),
      scale_(view.scale), panRight_(view.panRight), panDown_(view.panDown) {
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

ScreenPoint ViewTransform::project(double x, double y, double z) const {
    const double l = x + offsetX_;
    const double m = y + offsetY_;
    const double n = z + offsetZ_ + kHeightLift;
    const double u = cosA_ * l - sinA_ * m;
    const double v = sinA_ * l + cosA_ * m;
    const double p = cosB_ * u + sinB_ * n;
    const double q = -sinB_ * u + cosB_ * n;
    const double r = cosC_ * v - sinC_ * q;
    return {cx_ + cx_ * scale_ * (p + panRight_), cy_ + cy_ * scale_ * (r + panDown_)};
}

ScreenPoint ProjectPoint(const ViewState& view, double cx, double cy, double x, double y,
                         double z) {
    return ViewTransform(view, cx, cy).project(x, y, z);
}

}  // namespace korvela
