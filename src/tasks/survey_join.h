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

struct JoinOutcome {
    std::optional<JoinNotice> notice;  // set when nothing is to be appended
    std::vector<JoinedPoint> points;   // every point of the second survey, in its order
};

// Computes the join without changing anything. baseNumbers are the three typed numbers
// (Windows-1251), compared byte for byte with the second survey's numbers.
JoinOutcome computeJoin(const PointStore& store, const std::vector<std::int32_t>& selected,
                        const PointStore& second, const std::array<std::string, 3>& baseNumbers);

// The joined points as the store appends them: green, ordinary points.
PointStore joinedPoints(std::vector<JoinedPoint> points);

}  // namespace korvela
