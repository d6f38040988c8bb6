#pragma once

#include <array>
#include <optional>
#include <vector>

#include "tasks/measurements.h"

namespace korvela {

// A plane similarity (shift, rotation, scale) with a height shift, taking points of a second
// survey into the first survey's system:
//   X = toX + a·(x − fromX) − b·(y − fromY),  Y = toY + b·(x − fromX) + a·(y − fromY),
//   Z = z + shiftZ.
// It is held about the centroids of the common points, so that coordinates of millions of
// metres keep their millimetres.
struct PlaneSimilarity {
    double a = 1;
    double b = 0;
    double fromX = 0, fromY = 0;  // centroid of the common points in the second survey
    double toX = 0, toY = 0;      // and in the first
    double shiftZ = 0;

    std::array<double, 3> apply(double x, double y, double z) const;
    double scale() const;
    // Whether every parameter is a finite number.
    bool finite() const;
    // Radians, counted from +X towards +Y as directional angles are; in (−π, π].
    double rotation() const;
    // The translation of the map written as X = shiftX + a·x − b·y, Y = shiftY + b·x + a·y.
    double shiftX() const;
    double shiftY() const;
};

// The least-squares similarity that takes second[i] onto first[i] (X and Y; heights by the
// mean of the height differences); exact for two pairs. Nothing when there are fewer than two
// pairs or the second points all lie at one place in the plane. Coordinates too large for
// the sums give parameters that are not finite (finite() tells).
std::optional<PlaneSimilarity> fitPlaneSimilarity(const std::vector<SpacePoint>& first,
                                                  const std::vector<SpacePoint>& second);

}  // namespace korvela
