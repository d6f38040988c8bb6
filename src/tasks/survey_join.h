#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "points/point_store.h"
#include "tasks/join_solver.h"

namespace korvela {

// Joining a second survey ("Add to Project"): three base points selected in the store (S1,
// S2, S3 in store order) and the same points in the second survey, named by their numbers
// there (T1, T2, T3), give a linear map of the second system into the first, without a
// translation term; every point of the second survey is mapped and appended in green.
// Without a translation term the map is sound only for surveys that differ by a turn about
// the vertical through the origin (and a scale): two surveys that differ by a shift put
// every point off the base points' plane far off. So the join is checked against the plane
// similarity with a height shift through the same three pairs, and refused when the two
// place some point farther apart than a limit the user sets.

enum class JoinNotice {
    WrongBasePoints,  // not three selected points, or a typed number not found exactly once
    SingularMatrix,   // the second-system base points give no unique map
};

// The notice's text (UTF-8), the caption of the notice window.
std::string_view joinNoticeText(JoinNotice notice);

// The first three points whose selected flag is not 0 (frozen ones too), when there are
// exactly three.
std::optional<std::array<std::size_t, 3>> joinBasePoints(const std::vector<std::int32_t>& selected);

// X = cX·(x, y, z), Y = cY·(x, y, z), Z = cZ·(x, y, z), each rounded with Round4.
struct JoinMap {
    Vector3 cX{};
    Vector3 cY{};
    Vector3 cZ{};

    // The mapped point in double precision, before rounding.
    Vector3 map(const Vector3& point) const;
    std::array<double, 3> apply(double x, double y, double z) const;
};

// The limit on how far the join's map may place a point of the second survey from where the
// similarity places it, when the user set none (metres).
inline constexpr double kDefaultJoinLimit = 0.05;

// A limit the join can work with: a positive number of metres.
bool isValidJoinLimit(double limit);

// How far a mapped base point of the second survey may land from its partner, in each
// coordinate (metres).
inline constexpr double kJoinBaseTolerance = 0.001;

// The map that takes second[i] onto first[i] for the three base pairs; nullopt when the
// second-system points make the matrix singular, or so nearly singular that a mapped base
// point lands farther than kJoinBaseTolerance from its partner in some coordinate (base
// points dependent in decimal pass the elimination's exact-zero test only through the last
// bits of their binary values, and give a map of huge coefficients).
std::optional<JoinMap> solveJoinMap(const std::array<Vector3, 3>& first,
                                    const std::array<Vector3, 3>& second);

// A point of the second survey brought into the first system.
struct JoinedPoint {
    std::string number;
    double x = 0;
    double y = 0;
    double z = 0;
};

// The point of the second survey that the join's map places farthest from where the plane
// similarity through the base pairs places it.
struct JoinDeparture {
    std::string number;   // Windows-1251
    double distance = 0;  // between the two places in space, before rounding (metres)
    double limit = 0;     // the limit it exceeds
};

// The message of a join refused for its departure (UTF-8): the point, the distance, the
// limit, and the transformation by common points to use instead.
std::string joinDepartureText(const JoinDeparture& departure);

struct JoinOutcome {
    std::optional<JoinNotice> notice;        // set when nothing is to be appended
    std::optional<JoinDeparture> departure;  // set when the map is refused: nothing appended
    std::vector<JoinedPoint> points;         // every point of the second survey, in its order
};

// Computes the join without changing anything. baseNumbers are the three typed numbers
// (Windows-1251), compared byte for byte with the second survey's numbers; limit (metres)
// is how far the map may place a point from where the similarity places it.
JoinOutcome computeJoin(const PointStore& store, const std::vector<std::int32_t>& selected,
                        const PointStore& second, const std::array<std::string, 3>& baseNumbers,
                        double limit);

// The joined points as the store appends them: green, ordinary points.
PointStore joinedPoints(std::vector<JoinedPoint> points);

}  // namespace korvela
