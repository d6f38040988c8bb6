#pragma once

#include <cstddef>
#include <string>
#include <variant>
#include <vector>

#include "points/observations.h"
#include "tasks/traverse_settings.h"

namespace korvela {

class PointStore;

// "Расчитать элементы хода": the traverse along a picked path of stations, from the store's
// coordinates and the survey's observations. Point numbers are Windows-1251 bytes; the sheets
// are the report window's text (Windows-1251, lines separated by CR LF).

enum class TraverseShape {
    Link,     // "разомкнутый ход": from a known station to a known station
    Closed,   // "Замкнутый ход": returns to its first station, which the path does not repeat
    Hanging,  // "Висячий ход": ends at a new station; computed, reported unchecked
};

enum class TraverseMethod {
    Proportional,  // the hand sheet's distribution
    LeastSquares,
};

struct TraverseRequest {
    std::vector<std::string> stations;
    TraverseShape shape = TraverseShape::Link;
    std::vector<std::string> startSights;  // known orientation points at the first station
    std::vector<std::string> endSights;    // known orientation points at the last station
    TraverseMethod method = TraverseMethod::Proportional;
    TraverseSettings settings;
};

// A point the computation writes: an inner station or a point a 08 TP record derived from a
// path station's sight. `point` is its store index, or kNewPoint for an inner station that
// is not yet a point (appended as a station, kind 0).
inline constexpr std::size_t kNewPoint = static_cast<std::size_t>(-1);
struct AdjustedPoint {
    std::size_t point = kNewPoint;
    std::string number;
    double x = 0;
    double y = 0;
    double z = 0;
};

struct TraverseResult {
    // "Ведомость вычисления координат", or without observations between the stations the
    // traverse elements from their coordinates (then nothing is to be written).
    std::string sheet;
    std::string accuracySheet;  // "Ведомость оценки точности" (least squares only)
    bool withinLimits = true;   // false: the window asks before writing
    std::vector<AdjustedPoint> stations;
    std::vector<AdjustedPoint> recomputed;
    bool writesNothing() const { return stations.empty() && recomputed.empty(); }
};

// Why nothing was computed: a notice naming the cause (UTF-8).
struct TraverseRefusal {
    std::string message;
};

std::variant<TraverseResult, TraverseRefusal> computeTraverse(const PointStore& store,
                                                              const ObservationList& observations,
                                                              const TraverseRequest& request);

// The orientation points proposed for a path: at the start the first station's backsight
// target(s), at the end the known points the last station sighted. Known points are those
// not derived from this file's observations.
std::vector<std::string> proposedStartSights(const PointStore& store,
                                             const ObservationList& observations,
                                             const std::vector<std::string>& stations);
std::vector<std::string> proposedEndSights(const PointStore& store,
                                           const ObservationList& observations,
                                           const std::vector<std::string>& stations);

}  // namespace korvela
