#pragma once

#include <cstddef>
#include <cstdlib>
#include <limits>

#include "points/observations.h"

namespace korvela::fuzzing {

// Aborts unless every index of the list points into its lists (a derived point's into the
// first `points` points).
inline void requireIndicesInside(const ObservationList& list,
                                 std::size_t points = std::numeric_limits<std::size_t>::max()) {
    for (const StationSetUp& setUp : list.setUps) {
        if (setUp.station >= list.names.size()) std::abort();
    }
    for (const Sight& sight : list.sights) {
        if (sight.setUp >= list.setUps.size() || sight.target >= list.names.size()) std::abort();
    }
    for (const DerivedPoint& derived : list.derived) {
        if (derived.sight >= list.sights.size() || derived.point >= points) std::abort();
    }
}

}  // namespace korvela::fuzzing
