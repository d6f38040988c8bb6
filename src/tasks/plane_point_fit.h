#pragma once

#include <optional>
#include <vector>

namespace korvela {

struct PlanePosition {
    double x = 0, y = 0;
};

// The directional angle from `from` to `to` in degrees, 0 ≤ result < 360, counted from +X
// towards +Y.
double azimuthBetween(PlanePosition from, PlanePosition to);
double planeDistance(PlanePosition a, PlanePosition b);

// What one observation says about the unknown point P.
enum class PlaneObservationKind {
    RayFromKnown,      // the directional angle from the known point to P (degrees)
    DirectionAtPoint,  // a circle reading at P to the known point (degrees): brings in P's
                       // orientation as an unknown
    Distance,          // the horizontal distance between P and the known point (metres)
};

struct PlaneObservation {
    PlaneObservationKind kind = PlaneObservationKind::RayFromKnown;
    PlanePosition known;
    double value = 0;
    double sigma = 1;  // a-priori standard error: radians for angles, metres for distances
};

// P (and its circle orientation when directions at P take part) by least squares.
struct PlaneFit {
    PlanePosition point;
    double orientation = 0;  // degrees: the azimuth of the circle's zero at P
    // Per observation: computed minus observed, in seconds for angles and metres for
    // distances; standardized with the a-priori error, w = v / (σ·√r). One blunder spreads
    // into every residual, so only the observation with the largest |w| is marked, where
    // |w| > 3 and its redundancy number r ≥ 0.1.
    std::vector<double> residuals;
    std::vector<std::optional<double>> standardized;  // none where r < 0.1: not tested
    std::vector<bool> marked;
    int redundancy = 0;
    // The a-posteriori standard error of unit weight (1 without redundancy) and P's standard
    // error √(mx² + my²) in metres.
    double unitError = 1;
    double pointError = 0;
};

// Gauss-Newton from the start values; nothing when the observations do not fix P (a
// singular normal matrix) or the iteration does not settle.
std::optional<PlaneFit> fitPlanePoint(const std::vector<PlaneObservation>& observations,
                                      PlanePosition start, double startOrientation = 0);

}  // namespace korvela
