#include "tasks/observation_reduction.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <optional>
#include <string_view>

namespace korvela {
namespace {

constexpr double kEarthRadiusMetres = 6'371'000;
constexpr double kMetresPerFoot = 0.3048;
constexpr double kRadiansPerDegree = std::numbers::pi / 180;

bool usable(const Sight& sight) { return !sight.excluded && !sight.inBadSet; }

// Ids repeat in the names arena, so targets are compared by their text.
bool sameTarget(const ObservationList& list, const Sight& a, const Sight& b) {
    return list.targetOf(a) == list.targetOf(b);
}

// The face streams of one round, each in file order.
struct Round {
    std::vector<std::uint32_t> faceLeft, faceRight, mean;
    std::vector<HorizonClosure> closures;
};

std::vector<std::uint32_t>& streamOf(Round& round, SightKind kind) {
    switch (kind) {
        case SightKind::FaceLeft: return round.faceLeft;
        case SightKind::FaceRight: return round.faceRight;
        default: return round.mean;
    }
}

// Splits one face's sights (one set) into rounds: a target coming again ends the round, and
// when it is the round's first target after others it closes the round.
void splitFaceIntoRounds(const ObservationList& list, const std::vector<std::uint32_t>& sights,
                         SightKind kind, double closureLimitSeconds,
                         std::vector<Round>& rounds) {
    std::size_t round = 0;
    std::vector<std::uint32_t> current;
    const auto finish = [&] {
        if (current.empty()) return;
        if (rounds.size() <= round) rounds.resize(round + 1);
        streamOf(rounds[round++], kind) = std::move(current);
        current.clear();
    };
    for (std::uint32_t index : sights) {
        const Sight& sight = list.sights[index];
        const bool seen = std::any_of(current.begin(), current.end(), [&](std::uint32_t s) {
            return sameTarget(list, list.sights[s], sight);
        });
        if (!seen) {
            current.push_back(index);
            continue;
        }
        const Sight& opening = list.sights[current.front()];
        const bool closes = sameTarget(list, opening, sight) && current.size() > 1;
        if (closes) {
            const double seconds =
                signedDegrees(horizontalReading(sight) - horizontalReading(opening)) * 3600;
            const bool beyond = !(std::abs(seconds) <= closureLimitSeconds);
            const std::uint32_t first = current.front();
            finish();
            rounds[round - 1].closures.push_back({first, index, seconds, beyond});
        } else {
            finish();
            current.push_back(index);
        }
    }
    finish();
}

// The rounds of one set-up: per set (in order of first appearance), per face.
std::vector<Round> roundsOf(const ObservationList& list, const std::vector<std::uint32_t>& sights,
                            double closureLimitSeconds) {
    std::vector<std::uint16_t> sets;
    for (std::uint32_t index : sights) {
        const Sight& sight = list.sights[index];
        if (isFaceReading(sight.kind) && usable(sight) &&
            std::find(sets.begin(), sets.end(), sight.set) == sets.end())
            sets.push_back(sight.set);
    }
    std::vector<Round> rounds;
    for (std::uint16_t set : sets) {
        std::vector<Round> setRounds;
        for (SightKind kind : {SightKind::FaceLeft, SightKind::FaceRight, SightKind::Mean}) {
            std::vector<std::uint32_t> stream;
            for (std::uint32_t index : sights) {
                const Sight& sight = list.sights[index];
                if (sight.kind == kind && sight.set == set && usable(sight)) stream.push_back(index);
            }
            splitFaceIntoRounds(list, stream, kind, closureLimitSeconds, setRounds);
        }
        rounds.insert(rounds.end(), setRounds.begin(), setRounds.end());
    }
    return rounds;
}

std::optional<std::uint32_t> sightTo(const ObservationList& list,
                                     const std::vector<std::uint32_t>& stream,
                                     std::string_view target) {
    for (std::uint32_t index : stream) {
        if (list.targetOf(list.sights[index]) == target) return index;
    }
    return std::nullopt;
}

double zenithOf(const ObservationList& list, const Sight& sight) {
    const double reading = verticalReading(sight);
    if (!recorded(reading)) return kNotRecorded;
    const double zenith = zenithReading(list.setUps[sight.setUp].vertical, reading);
    return sight.kind == SightKind::FaceRight ? normalizedDegrees(360 - zenith) : zenith;
}

FacePairCheck checkPair(const ObservationList& list, std::uint32_t left, std::uint32_t right,
                        const TraverseSettings& settings) {
    const Sight& f1 = list.sights[left];
    const Sight& f2 = list.sights[right];
    const double collimation =
        signedDegrees(horizontalReading(f1) - (horizontalReading(f2) - 180)) * 3600;
    const VerticalReading vertical = list.setUps[f1.setUp].vertical;
    double index = 0;
    if (recorded(verticalReading(f1)) && recorded(verticalReading(f2))) {
        index = signedDegrees(zenithReading(vertical, verticalReading(f1)) +
                              zenithReading(vertical, verticalReading(f2)) - 360) / 2 * 3600;
    }
    const bool beyond = !(std::abs(collimation) <= settings.collimationLimitSeconds) ||
                        !(std::abs(index) <= settings.indexLimitSeconds);
    return {left, right, collimation, index, beyond};
}

template <typename Visit>
void forEachPair(const ObservationList& list, const std::vector<Round>& rounds, Visit visit) {
    for (const Round& round : rounds) {
        for (std::uint32_t left : round.faceLeft) {
            if (auto right = sightTo(list, round.faceRight, list.targetOf(list.sights[left])))
                visit(left, *right);
        }
    }
}

// The direction and zenith angle one round gives a target: the face pair's mean (none when
// the pair is beyond its limits), or the one face read.
struct RoundReading {
    double direction = kNotRecorded;
    double zenith = kNotRecorded;
};

RoundReading readingIn(const ObservationList& list, const Round& round, std::string_view target,
                       const TraverseSettings& settings) {
    const auto left = sightTo(list, round.faceLeft, target);
    const auto right = sightTo(list, round.faceRight, target);
    if (left && right) {
        if (checkPair(list, *left, *right, settings).beyondLimits) return {};
        const Sight& f1 = list.sights[*left];
        const Sight& f2 = list.sights[*right];
        const double h1 = horizontalReading(f1);
        const double h2 = h1 + signedDegrees(horizontalReading(f2) - 180 - h1);
        const double v1 = verticalReading(f1);
        const double v2 = verticalReading(f2);
        const VerticalReading vertical = list.setUps[f1.setUp].vertical;
        double zenith = kNotRecorded;
        if (recorded(v1) && recorded(v2)) {
            const double z1 = zenithReading(vertical, v1);
            const double z2 = zenithReading(vertical, v2);
            zenith = (z1 - z2 + 360) / 2;
        }
        return {normalizedDegrees(h1 + (h2 - h1) / 2), zenith};
    }
    if (const auto one = left ? left : right ? right : sightTo(list, round.mean, target)) {
        const Sight& sight = list.sights[*one];
        const double reading = horizontalReading(sight);
        const double shift = sight.kind == SightKind::FaceRight ? 180 : 0;
        return {normalizedDegrees(reading - shift), zenithOf(list, sight)};
    }
    return {};
}

// The index of the target's entry, appended when new.
std::size_t targetIndex(const ObservationList& list, std::vector<ReducedTarget>& targets,
                        std::uint32_t target) {
    for (std::size_t t = 0; t < targets.size(); ++t) {
        if (list.names[targets[t].target] == list.names[target]) return t;
    }
    targets.push_back({.target = target});
    return targets.size() - 1;
}

double mean(const std::vector<double>& values) {
    double sum = 0;
    for (double v : values) sum += v;
    return values.empty() ? kNotRecorded : sum / static_cast<double>(values.size());
}

// The direction of each target: every round reduced to the reference target (the first round's
// first target), the reductions averaged, added to the reference's reading in its first round.
void averageRounds(const ObservationList& list, const std::vector<Round>& rounds,
                   const TraverseSettings& settings, std::vector<ReducedTarget>& targets) {
    std::optional<std::string_view> reference;
    double referenceReading = 0;
    bool haveReading = false;
    std::vector<std::vector<double>> reductions(targets.size());
    std::vector<std::vector<double>> zeniths(targets.size());
    for (const Round& round : rounds) {
        const std::vector<std::uint32_t>& opening =
            !round.faceLeft.empty() ? round.faceLeft
            : !round.faceRight.empty() ? round.faceRight : round.mean;
        if (!reference) reference = list.targetOf(list.sights[opening.front()]);
        const RoundReading base = readingIn(list, round, *reference, settings);
        if (!haveReading && recorded(base.direction)) {
            referenceReading = base.direction;
            haveReading = true;
        }
        for (std::size_t t = 0; t < targets.size(); ++t) {
            const RoundReading reading =
                readingIn(list, round, list.names[targets[t].target], settings);
            if (recorded(reading.zenith)) zeniths[t].push_back(reading.zenith);
            if (!recorded(reading.direction) || !recorded(base.direction)) continue;
            reductions[t].push_back(normalizedDegrees(reading.direction - base.direction));
        }
    }
    for (std::size_t t = 0; t < targets.size(); ++t) {
        std::vector<double>& r = reductions[t];
        // Reductions near 0° and near 360° are one direction: average them on one side.
        for (double& value : r) value = r.front() + signedDegrees(value - r.front());
        if (!r.empty()) targets[t].direction = normalizedDegrees(referenceReading + mean(r));
        targets[t].zenith = mean(zeniths[t]);
    }
}

}  // namespace

double normalizedDegrees(double degrees) {
    const double wrapped = std::fmod(degrees, 360.0);
    return wrapped < 0 ? wrapped + 360 : wrapped;
}

double signedDegrees(double degrees) {
    const double wrapped = normalizedDegrees(degrees);
    return wrapped > 180 ? wrapped - 360 : wrapped;
}

double zenithReading(VerticalReading vertical, double reading) {
    return vertical == VerticalReading::Horizon ? normalizedDegrees(90 - reading) : reading;
}

double earthRadius(DistanceUnit unit) {
    return unit == DistanceUnit::Feet ? kEarthRadiusMetres / kMetresPerFoot : kEarthRadiusMetres;
}

double trigonometricHeight(double slope, double zenithDegrees, double instrumentHeight,
                           double targetHeight, double refraction, double radius) {
    const double z = zenithDegrees * kRadiansPerDegree;
    const double horizontal = slope * std::sin(z);
    return slope * std::cos(z) + instrumentHeight - targetHeight +
           (1 - refraction) * horizontal * horizontal / (2 * radius);
}

std::vector<std::vector<std::uint32_t>> sightsBySetUp(const ObservationList& observations) {
    std::vector<std::vector<std::uint32_t>> bySetUp(observations.setUps.size());
    for (std::uint32_t i = 0; i < observations.sights.size(); ++i) {
        const std::uint32_t setUp = observations.sights[i].setUp;
        if (setUp < bySetUp.size()) bySetUp[setUp].push_back(i);
    }
    return bySetUp;
}

std::vector<FacePairCheck> checkFacePairs(const ObservationList& observations,
                                          const TraverseSettings& settings) {
    std::vector<FacePairCheck> checks;
    for (const auto& sights : sightsBySetUp(observations)) {
        forEachPair(observations, roundsOf(observations, sights, settings.horizonClosureSeconds),
                    [&](std::uint32_t left, std::uint32_t right) {
                        checks.push_back(checkPair(observations, left, right, settings));
                    });
    }
    std::sort(checks.begin(), checks.end(),
              [](const FacePairCheck& a, const FacePairCheck& b) { return a.faceLeft < b.faceLeft; });
    return checks;
}

std::vector<HorizonClosure> checkHorizonClosures(const ObservationList& observations,
                                                 const TraverseSettings& settings) {
    std::vector<HorizonClosure> closures;
    for (const auto& sights : sightsBySetUp(observations)) {
        for (const Round& round :
             roundsOf(observations, sights, settings.horizonClosureSeconds))
            closures.insert(closures.end(), round.closures.begin(), round.closures.end());
    }
    return closures;
}

ReducedSetUp reduceSetUp(const ObservationList& observations,
                         const std::vector<std::uint32_t>& setUpSights, std::uint32_t setUp,
                         const TraverseSettings& settings) {
    ReducedSetUp reduced;
    std::vector<std::vector<double>> slopes;
    std::vector<double> targetHeights;
    for (std::uint32_t index : setUpSights) {
        const Sight& sight = observations.sights[index];
        if (!usable(sight)) continue;
        if (sight.kind == SightKind::Backsight) {
            const double reading = horizontalReading(sight);
            const double azimuthValue = azimuth(sight);
            if (recorded(reading) && recorded(azimuthValue) &&
                (reading != 0 || azimuthValue != 0)) {
                reduced.circleOrientation = normalizedDegrees(azimuthValue - reading);
                reduced.backsightTarget = sight.target;
            }
            continue;
        }
        if (!isFaceReading(sight.kind)) continue;
        const std::size_t t = targetIndex(observations, reduced.targets, sight.target);
        slopes.resize(reduced.targets.size());
        targetHeights.resize(reduced.targets.size(), sight.targetHeight);
        if (recorded(slopeDistance(sight)) && slopeDistance(sight) > 0)
            slopes[t].push_back(slopeDistance(sight));
    }
    averageRounds(observations,
                  roundsOf(observations, setUpSights, settings.horizonClosureSeconds), settings,
                  reduced.targets);
    const double radius = earthRadius(observations.distanceUnit);
    const double instrumentHeight = observations.setUps[setUp].instrumentHeight;
    for (std::size_t t = 0; t < reduced.targets.size(); ++t) {
        ReducedTarget& target = reduced.targets[t];
        target.targetHeight = targetHeights[t];
        target.slopeDistance = mean(slopes[t]);
        if (!recorded(target.slopeDistance) || !recorded(target.zenith)) continue;
        target.horizontalDistance =
            target.slopeDistance * std::sin(target.zenith * kRadiansPerDegree);
        target.heightDifference =
            trigonometricHeight(target.slopeDistance, target.zenith, instrumentHeight,
                                targetHeights[t], settings.refraction, radius);
    }
    return reduced;
}

SightReduction reduceSight(const ObservationList& observations, std::uint32_t index,
                           const TraverseSettings& settings) {
    const Sight& sight = observations.sights[index];
    if (sight.kind == SightKind::Reduced) {
        return {reducedHorizontalDistance(sight), reducedHeightDifference(sight)};
    }
    const double slope = slopeDistance(sight);
    const double zenith = zenithOf(observations, sight);
    if (!recorded(slope) || !recorded(zenith)) return {};
    return {slope * std::sin(zenith * kRadiansPerDegree),
            trigonometricHeight(slope, zenith, observations.setUps[sight.setUp].instrumentHeight,
                                sight.targetHeight, settings.refraction,
                                earthRadius(observations.distanceUnit))};
}

}  // namespace korvela
