#pragma once

#include <cstdint>
#include <vector>

#include "points/observations.h"
#include "tasks/traverse_settings.h"

namespace korvela {

// A face-left / face-right pair of one set-up to one target: its collimation error 2c and its
// index error, in seconds, and whether either is beyond its limit (such a pair is listed, never
// averaged).
struct FacePairCheck {
    std::uint32_t faceLeft, faceRight;  // indices into ObservationList::sights
    double collimationSeconds, indexSeconds;
    bool beyondLimits;
};

// Every F1/F2 pair of one set-up to one target, in file order; excluded sights are left out.
std::vector<FacePairCheck> checkFacePairs(const ObservationList& observations,
                                          const TraverseSettings& settings);

}  // namespace korvela
