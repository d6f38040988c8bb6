#include "tasks/plane_similarity.h"

#include <cmath>

namespace korvela {
namespace {

struct Centroid {
    double x = 0;
    double y = 0;
    double z = 0;
};

Centroid centroidOf(const std::vector<SpacePoint>& points) {
    Centroid c;
    for (const SpacePoint& p : points) {
        c.x += p.x;
        c.y += p.y;
        c.z += p.z;
    }
    const double n = static_cast<double>(points.size());
    return {c.x / n, c.y / n, c.z / n};
}

}  // namespace

std::array<double, 3> PlaneSimilarity::apply(double x, double y, double z) const {
    const double dx = x - fromX;
    const double dy = y - fromY;
    return {toX + a * dx - b * dy, toY + b * dx + a * dy, z + shiftZ};
}

double PlaneSimilarity::scale() const { return std::hypot(a, b); }

bool PlaneSimilarity::finite() const {
    for (const double value : {a, b, fromX, fromY, toX, toY, shiftZ}) {
        if (!std::isfinite(value)) return false;
    }
    return true;
}

double PlaneSimilarity::rotation() const { return std::atan2(b, a); }

double PlaneSimilarity::shiftX() const { return toX - (a * fromX - b * fromY); }

double PlaneSimilarity::shiftY() const { return toY - (b * fromX + a * fromY); }

std::optional<PlaneSimilarity> fitPlaneSimilarity(const std::vector<SpacePoint>& first,
                                                  const std::vector<SpacePoint>& second) {
    if (first.size() < 2 || first.size() != second.size()) return std::nullopt;
    const Centroid to = centroidOf(first);
    const Centroid from = centroidOf(second);
    // Normal equations of the reduced coordinates: a and b separate.
    double spread = 0, sumA = 0, sumB = 0;
    for (std::size_t i = 0; i < first.size(); ++i) {
        const double dx = second[i].x - from.x, dy = second[i].y - from.y;
        const double dX = first[i].x - to.x, dY = first[i].y - to.y;
        spread += dx * dx + dy * dy;
        sumA += dx * dX + dy * dY;
        sumB += dx * dY - dy * dX;
    }
    if (!(spread > 0)) return std::nullopt;
    PlaneSimilarity map;
    map.a = sumA / spread;
    map.b = sumB / spread;
    map.fromX = from.x;
    map.fromY = from.y;
    map.toX = to.x;
    map.toY = to.y;
    map.shiftZ = to.z - from.z;
    return map;
}

}  // namespace korvela
