#include "tasks/measurements.h"

#include <algorithm>
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

namespace {

struct Vector {
    double x, y, z;
    bool isZero() const { return x == 0 && y == 0 && z == 0; }
    // The same direction with its largest component 1, so that lengths neither overflow
    // nor underflow.
    Vector normalised() const {
        const double largest = std::max({std::fabs(x), std::fabs(y), std::fabs(z)});
        return {x / largest, y / largest, z / largest};
    }
};

double cosineBetween(const Vector& u, const Vector& w) {
    return (u.x * w.x + u.y * w.y + u.z * w.z) / (length(u.x, u.y, u.z) * length(w.x, w.y, w.z));
}

}  // namespace

std::optional<double> SpaceAngle(const SpacePoint& v, const SpacePoint& a, const SpacePoint& b) {
    const Vector u{a.x - v.x, a.y - v.y, a.z - v.z};
    const Vector w{b.x - v.x, b.y - v.y, b.z - v.z};
    if (u.isZero() || w.isZero()) return std::nullopt;
    double cosine = cosineBetween(u, w);
    if (!std::isfinite(cosine)) cosine = cosineBetween(u.normalised(), w.normalised());
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
