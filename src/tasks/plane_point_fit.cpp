#include "tasks/plane_point_fit.h"

#include <Eigen/Dense>
#include <algorithm>
#include <cmath>
#include <numbers>

#include "tasks/observation_reduction.h"

namespace korvela {
namespace {

constexpr double kRadiansPerDegree = std::numbers::pi / 180;
constexpr double kSecondsPerDegree = 3600;
constexpr int kMostIterations = 20;
constexpr double kSettledMetres = 1e-8;
constexpr double kMarkedStandardized = 3;
constexpr double kLeastTestedRedundancy = 0.1;

bool isAngle(PlaneObservationKind kind) { return kind != PlaneObservationKind::Distance; }

// One linearised observation: the row of the design matrix and computed minus observed
// (radians or metres).
struct Linearised {
    Eigen::Vector3d row = Eigen::Vector3d::Zero();
    double misfit = 0;
};

Linearised linearise(const PlaneObservation& o, PlanePosition p, double orientation) {
    const double azimuth = azimuthBetween(o.known, p) * kRadiansPerDegree;  // known → P
    const double d = planeDistance(o.known, p);
    const double s = std::sin(azimuth), c = std::cos(azimuth);
    Linearised l;
    switch (o.kind) {
        case PlaneObservationKind::RayFromKnown:
            l.row << -s / d, c / d, 0;
            l.misfit = signedDegrees(azimuth / kRadiansPerDegree - o.value) * kRadiansPerDegree;
            break;
        case PlaneObservationKind::DirectionAtPoint:
            // P → known is the reverse azimuth; the reading is that minus the orientation.
            l.row << -s / d, c / d, -1;
            l.misfit = signedDegrees(azimuth / kRadiansPerDegree + 180 -
                                     orientation / kRadiansPerDegree - o.value) *
                       kRadiansPerDegree;
            break;
        case PlaneObservationKind::Distance:
            l.row << c, s, 0;
            l.misfit = d - o.value;
            break;
    }
    return l;
}

}  // namespace

double azimuthBetween(PlanePosition from, PlanePosition to) {
    return normalizedDegrees(std::atan2(to.y - from.y, to.x - from.x) / kRadiansPerDegree);
}

double planeDistance(PlanePosition a, PlanePosition b) { return std::hypot(b.x - a.x, b.y - a.y); }

std::optional<PlaneFit> fitPlanePoint(const std::vector<PlaneObservation>& observations,
                                      PlanePosition start, double startOrientation) {
    bool oriented = false;
    for (const PlaneObservation& o : observations)
        oriented |= o.kind == PlaneObservationKind::DirectionAtPoint;
    const int unknowns = oriented ? 3 : 2;
    const int n = static_cast<int>(observations.size());
    if (n < unknowns) return std::nullopt;

    PlanePosition p = start;
    double orientation = startOrientation * kRadiansPerDegree;
    Eigen::MatrixXd a(n, unknowns);
    Eigen::VectorXd misfit(n), weight(n);
    Eigen::MatrixXd q;
    for (int iteration = 0;; ++iteration) {
        for (int i = 0; i < n; ++i) {
            const PlaneObservation& o = observations[static_cast<std::size_t>(i)];
            if (planeDistance(o.known, p) == 0) return std::nullopt;
            const Linearised l = linearise(o, p, orientation);
            a.row(i) = l.row.head(unknowns).transpose();
            misfit(i) = l.misfit;
            weight(i) = 1 / (o.sigma * o.sigma);
        }
        const Eigen::MatrixXd normal = a.transpose() * weight.asDiagonal() * a;
        const Eigen::FullPivLU<Eigen::MatrixXd> lu(normal);
        if (!lu.isInvertible()) return std::nullopt;
        q = lu.inverse();
        const Eigen::VectorXd step = -q * (a.transpose() * weight.asDiagonal() * misfit);
        p.x += step(0);
        p.y += step(1);
        if (oriented) orientation += step(2);
        if (std::hypot(step(0), step(1)) < kSettledMetres) break;
        if (iteration == kMostIterations || !std::isfinite(p.x) || !std::isfinite(p.y))
            return std::nullopt;
    }
    for (int i = 0; i < n; ++i)
        misfit(i) = linearise(observations[static_cast<std::size_t>(i)], p, orientation).misfit;

    PlaneFit fit;
    fit.point = p;
    fit.orientation = normalizedDegrees(orientation / kRadiansPerDegree);
    fit.redundancy = n - unknowns;
    if (fit.redundancy > 0)
        fit.unitError = std::sqrt(misfit.dot(weight.asDiagonal() * misfit) / fit.redundancy);
    fit.pointError = fit.unitError * std::sqrt(q(0, 0) + q(1, 1));
    for (int i = 0; i < n; ++i) {
        const PlaneObservation& o = observations[static_cast<std::size_t>(i)];
        const double r = 1 - weight(i) * a.row(i).dot(q * a.row(i).transpose());
        const double w = r > 0 ? misfit(i) / (o.sigma * std::sqrt(r)) : 0;
        fit.residuals.push_back(isAngle(o.kind) ? misfit(i) / kRadiansPerDegree * kSecondsPerDegree
                                                : misfit(i));
        fit.standardized.push_back(r >= kLeastTestedRedundancy ? std::optional(w) : std::nullopt);
    }
    const auto size = [](const std::optional<double>& w) { return w ? std::abs(*w) : 0; };
    fit.marked.assign(static_cast<std::size_t>(n), false);
    const auto largest = std::max_element(
        fit.standardized.begin(), fit.standardized.end(),
        [&](const auto& a, const auto& b) { return size(a) < size(b); });
    if (size(*largest) > kMarkedStandardized)
        fit.marked[static_cast<std::size_t>(largest - fit.standardized.begin())] = true;
    return fit;
}

}  // namespace korvela
