#include "tasks/measurements.h"

#include <cmath>

#include "common/number_text.h"
#include "points/point_store.h"

namespace korvela {
namespace {

constexpr double kPi = 3.141592653589793;
constexpr double kTwoPi = 6.283185307179586;
constexpr double kHalfPi = 1.5707963267948966;
constexpr double kOneOverPi = 0.3183098861837907;
constexpr char kDegreeSign = '\xB0';  // Windows-1251

double length(double x, double y, double z) { return std::sqrt(x * x + y * y + z * z); }

}  // namespace

SpacePoint spacePointAt(const PointStore& store, std::size_t index) {
    return {store.x()[index], store.y()[index], store.z()[index]};
}

double SlopeDistance(const SpacePoint& p, const SpacePoint& q) {
    return length(p.x - q.x, p.y - q.y, p.z - q.z);
}

std::optional<double> SpaceAngle(const SpacePoint& v, const SpacePoint& a, const SpacePoint& b) {
    const double ux = a.x - v.x, uy = a.y - v.y, uz = a.z - v.z;
    const double wx = b.x - v.x, wy = b.y - v.y, wz = b.z - v.z;
    const double lengths = length(ux, uy, uz) * length(wx, wy, wz);
    if (lengths == 0) return std::nullopt;
    const double cosine = (ux * wx + uy * wy + uz * wz) / lengths;
    if (std::isnan(cosine)) return std::nullopt;
    // Rounding can push the cosine of a straight or zero angle just past ±1.
    return std::acos(cosine > 1 ? 1 : cosine < -1 ? -1 : cosine);
}

double DirectionalAngle(const SpacePoint& a, const SpacePoint& b) {
    const double dx = b.x - a.x;
    const double dy = b.y - a.y;
    const double r = dx == 0 ? kHalfPi : std::atan(std::fabs(dy / dx));
    if (dx < 0 && dy > 0) return kPi - r;
    if (dx < 0 && dy < 0) return kPi + r;
    if (dx < 0 && dy == 0) return kPi;
    if (dx >= 0 && dy < 0) return kTwoPi - r;
    return r;
}

Dms AngleToDms(double radians) {
    const double degrees = radians * 180 * kOneOverPi;
    Dms angle;
    angle.degrees = std::floor(degrees);
    angle.minutes = std::floor((degrees - angle.degrees) * 60);
    angle.seconds = std::floor(((degrees - angle.degrees) * 60 - angle.minutes) * 60 + 0.5);
    return angle;
}

std::string angleText(const Dms& angle) {
    std::string text = formatNumber(angle.degrees);
    text += kDegreeSign;
    text += ' ';
    text += formatNumber(angle.minutes);
    text += "' ";
    text += formatNumber(angle.seconds);
    text += "''\r\n";
    return text;
}

}  // namespace korvela
