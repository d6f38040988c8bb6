#pragma once

#include <optional>
#include <string>
#include <vector>

#include "points/point_store.h"
#include "tasks/cogo_geometry.h"
#include "tasks/cogo_settings.h"

namespace korvela {

// The surveyor's daily computations on the points of the store: inverse, polar point,
// stake-out sheet, forward and distance intersection, resection and the free station. Point
// numbers are Windows-1251 bytes as the store holds them (a number held by several points
// stands for them where they agree, see AmbiguousPoint); angles are degrees, distances
// metres. Each task gives its report (Windows-1251, CR LF, TAB between columns, as the report
// window shows it, the settings printed at its end) and the new points to append, or a
// refusal with its reason and nothing else. doc/cli.md gives each report line by line.

enum class CogoRefusalKind {
    MissingPoint,       // a number names no point
    AmbiguousPoint,     // a number names points at different places, ordinary ones among them too
    CoincidentPoints,   // two known points (or a station and a point) at one place
    WeakCrossing,       // rays or circles cross at the new point outside the intersection limit
    RaysApart,          // the rays meet only behind their known points, or never
    CirclesApart,       // the circles do not meet
    DangerCircle,       // the resection's locus circles cross outside the resection limit
    StationError,       // a least-squares point's standard error is beyond its limit
    NotSolved,          // the observations do not fix the point
    UnusableSettings,
};

struct CogoRefusal {
    CogoRefusalKind kind;
    std::string text;  // UTF-8, one line
};

struct CogoOutcome {
    std::optional<CogoRefusal> refusal;
    std::string report;  // empty when refused
    PointStore points;   // to append: the new point, or none
};

// A known point with a value observed to or at it (a directional angle, an angle, a
// distance or a direction).
struct SightValue {
    std::string point;
    double value = 0;
};

struct InverseRequest {
    std::string from, to;
};

struct PolarRequest {
    std::string station;
    // The readings to one or more known points; the circle's orientation is their mean
    // weighted by distance.
    std::vector<SightValue> orientation;
    double reading = 0;
    double distance = 0;            // horizontal, or slope when a zenith angle is given
    std::optional<double> zenith;   // without it the new point's height is not determined
    double instrumentHeight = 0, targetHeight = 0;
    std::string name;  // the new point's number; empty: the next whole number
};

struct StakeoutRequest {
    std::string station, orientation;
    std::vector<std::string> points;  // the design points, in sheet order
    double instrumentHeight = 0, targetHeight = 0;
};

// Two or more rays: the directional angles from known points (least squares from three
// rays on). With `measuredAngles`, the two values are instead the angles measured at A and
// at B between the base line and the new point, on the given side of A → B.
struct IntersectionRequest {
    std::vector<SightValue> rays;
    std::optional<LineSide> measuredAngles;
    std::string name;
};

// Two distances (the point on `side` of A → B) or three and more (least squares).
struct DistanceIntersectionRequest {
    std::vector<SightValue> distances;
    LineSide side = LineSide::Right;
    std::string name;
};

// The directions read at the new station to three known points (exact) or more (least
// squares from the best triple).
struct ResectionRequest {
    std::vector<SightValue> directions;
    std::string name;
};

struct FreeStationSight {
    std::string point;
    double direction = 0;
    double distance = 0;  // horizontal
};
struct FreeStationRequest {
    std::vector<FreeStationSight> sights;  // two or more
    std::string name;
};

CogoOutcome computeInverse(const PointStore& store, const InverseRequest& request,
                           const CogoSettings& settings);
CogoOutcome computePolar(const PointStore& store, const PolarRequest& request,
                         const CogoSettings& settings);
CogoOutcome computeStakeout(const PointStore& store, const StakeoutRequest& request,
                            const CogoSettings& settings);
CogoOutcome computeIntersection(const PointStore& store, const IntersectionRequest& request,
                                const CogoSettings& settings);
CogoOutcome computeDistanceIntersection(const PointStore& store,
                                        const DistanceIntersectionRequest& request,
                                        const CogoSettings& settings);
CogoOutcome computeResection(const PointStore& store, const ResectionRequest& request,
                             const CogoSettings& settings);
CogoOutcome computeFreeStation(const PointStore& store, const FreeStationRequest& request,
                               const CogoSettings& settings);

// The number a new point gets when none is given: the largest whole point number + 1 (a
// number of digits only), 1 when there is none.
std::string nextPointNumber(const PointStore& store);

}  // namespace korvela
