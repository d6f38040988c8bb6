#include "tasks/station_readings.h"

#include <algorithm>

namespace korvela {
namespace {

bool observed(const ReducedTarget& target) {
    return recorded(target.direction) || recorded(target.horizontalDistance);
}

std::vector<std::optional<ReducedTarget>> matchTargets(const ObservationList& observations,
                                                       const ReducedSetUp& reduced,
                                                       const std::vector<std::string>& targets) {
    std::vector<std::optional<ReducedTarget>> matched(targets.size());
    for (std::size_t i = 0; i < targets.size(); ++i) {
        for (const ReducedTarget& target : reduced.targets) {
            if (observations.names[target.target] == targets[i] && observed(target)) {
                matched[i] = target;
                break;
            }
        }
    }
    return matched;
}

std::size_t observedCount(const StationReadings& readings) {
    return static_cast<std::size_t>(std::count_if(
        readings.targets.begin(), readings.targets.end(),
        [](const std::optional<ReducedTarget>& target) { return target.has_value(); }));
}

}  // namespace

StationReadings readingsAtStation(const ObservationList& observations, std::string_view station,
                                  const std::vector<std::string>& targets,
                                  const TraverseSettings& settings) {
    StationReadings best{0, std::vector<std::optional<ReducedTarget>>(targets.size())};
    std::size_t bestCount = 0;
    const auto bySetUp = sightsBySetUp(observations);
    for (std::uint32_t s = 0; s < observations.setUps.size(); ++s) {
        const StationSetUp& setUp = observations.setUps[s];
        if (observations.names[setUp.station] != station) continue;
        StationReadings candidate{
            setUp.instrumentHeight,
            matchTargets(observations, reduceSetUp(observations, bySetUp[s], s, settings),
                         targets)};
        const std::size_t count = observedCount(candidate);
        if (count > bestCount) {
            best = std::move(candidate);
            bestCount = count;
        }
    }
    return best;
}

}  // namespace korvela
