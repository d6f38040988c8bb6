#include "tasks/cogo_geometry.h"

#include <cmath>
#include <numbers>

#include "tasks/observation_reduction.h"

namespace korvela {
namespace {

constexpr double kRadiansPerDegree = std::numbers::pi / 180;

double cross(double ax, double ay, double bx, double by) { return ax * by - ay * bx; }

// The angle between the directions of two vectors, 0-180°.
double angleBetween(double ax, double ay, double bx, double by) {
    return std::abs(std::atan2(cross(ax, ay, bx, by), ax * bx + ay * by)) / kRadiansPerDegree;
}

// The centre of the circle of points from which the chord A → B is seen turning by `turn`
// (the reading to B minus the reading to A): the midpoint moved across the chord by
// half its length times cot(turn).
std::optional<PlanePosition> locusCentre(PlanePosition a, PlanePosition b, double turn) {
    const double s = std::sin(turn * kRadiansPerDegree);
    if (std::abs(s) < 1e-12) return std::nullopt;
    const double cot = std::cos(turn * kRadiansPerDegree) / s;
    return PlanePosition{(a.x + b.x) / 2 - (b.y - a.y) / 2 * cot,
                         (a.y + b.y) / 2 + (b.x - a.x) / 2 * cot};
}

}  // namespace

bool crossesWithin(double angle, double limitDegrees) {
    return angle >= limitDegrees && angle <= 180 - limitDegrees;
}

double rayCrossingAngle(double azimuthA, double azimuthB) {
    return std::abs(signedDegrees(azimuthA - azimuthB));
}

std::optional<PlanePosition> intersectRays(PlanePosition a, double azimuthA, PlanePosition b,
                                           double azimuthB) {
    const double ux = std::cos(azimuthA * kRadiansPerDegree), uy = std::sin(azimuthA * kRadiansPerDegree);
    const double vx = std::cos(azimuthB * kRadiansPerDegree), vy = std::sin(azimuthB * kRadiansPerDegree);
    const double det = cross(ux, uy, vx, vy);
    if (std::abs(det) < 1e-12) return std::nullopt;
    // A + t·u = B + s·v
    const double t = cross(b.x - a.x, b.y - a.y, vx, vy) / det;
    const double s = cross(b.x - a.x, b.y - a.y, ux, uy) / det;
    if (t <= 0 || s <= 0) return std::nullopt;
    return PlanePosition{a.x + t * ux, a.y + t * uy};
}

LineSide sideOf(PlanePosition a, PlanePosition b, PlanePosition p) {
    return cross(b.x - a.x, b.y - a.y, p.x - a.x, p.y - a.y) > 0 ? LineSide::Right
                                                                  : LineSide::Left;
}

RayPair raysFromBaseAngles(PlanePosition a, PlanePosition b, double angleAtA, double angleAtB,
                           LineSide side) {
    // Directional angles grow clockwise: the right side lies clockwise of A → B.
    const double turn = side == LineSide::Right ? 1 : -1;
    return {normalizedDegrees(azimuthBetween(a, b) + turn * angleAtA),
            normalizedDegrees(azimuthBetween(b, a) - turn * angleAtB)};
}

std::optional<CircleCrossing> intersectCircles(PlanePosition a, double distanceA, PlanePosition b,
                                               double distanceB, LineSide side) {
    const double base = planeDistance(a, b);
    if (base == 0 || distanceA <= 0 || distanceB <= 0) return std::nullopt;
    const double along = (distanceA * distanceA - distanceB * distanceB + base * base) / (2 * base);
    const double across2 = distanceA * distanceA - along * along;
    if (across2 < 0) return std::nullopt;
    const double across = std::sqrt(across2) * (side == LineSide::Right ? 1 : -1);
    const double ux = (b.x - a.x) / base, uy = (b.y - a.y) / base;
    const PlanePosition p{a.x + along * ux - across * uy, a.y + along * uy + across * ux};
    return CircleCrossing{p, angleBetween(a.x - p.x, a.y - p.y, b.x - p.x, b.y - p.y)};
}

std::optional<CircleCrossing> resectThree(PlanePosition a, double dirA, PlanePosition b,
                                          double dirB, PlanePosition c, double dirC) {
    const auto first = locusCentre(a, b, dirB - dirA);
    const auto second = locusCentre(b, c, dirC - dirB);
    if (!first || !second) return std::nullopt;
    const double lx = second->x - first->x, ly = second->y - first->y;
    const double length = std::hypot(lx, ly);
    if (length < 1e-9) return std::nullopt;
    // P is B mirrored in the line through the two centres.
    const double ux = lx / length, uy = ly / length;
    const double vx = b.x - first->x, vy = b.y - first->y;
    const double along = vx * ux + vy * uy;
    const PlanePosition p{first->x + 2 * along * ux - vx, first->y + 2 * along * uy - vy};
    // The circles cross at the angle between their radii at P.
    return CircleCrossing{p, angleBetween(p.x - first->x, p.y - first->y, p.x - second->x,
                                          p.y - second->y)};
}

}  // namespace korvela
