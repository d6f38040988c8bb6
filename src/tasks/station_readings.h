#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "points/observations.h"
#include "tasks/observation_reduction.h"
#include "tasks/traverse_settings.h"

namespace korvela {

// The readings a station's set-up took to the requested targets, reduced as the traverse
// reduces them (rounds and face pairs averaged; excluded sights, bad sets and face pairs
// beyond their limits left out). Of several set-ups on the station, the one that observed
// most of the targets (the first of equals) gives them all, so the directions share one
// circle. A target is observed when it has a direction or a horizontal distance.
struct StationReadings {
    double instrumentHeight = 0;
    // One per requested target, in the request's order; nothing when not observed.
    std::vector<std::optional<ReducedTarget>> targets;
};

// Station and target numbers are Windows-1251 bytes as the observation list holds them.
StationReadings readingsAtStation(const ObservationList& observations, std::string_view station,
                                  const std::vector<std::string>& targets,
                                  const TraverseSettings& settings);

}  // namespace korvela
