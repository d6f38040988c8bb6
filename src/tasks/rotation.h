#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "plan/plan_view.h"

namespace korvela {

class PointStore;

// The rotation about the Y axis of the points that take part: selected and not frozen.
// The angle is the one the user types, in degrees, added to 90°: 90 leaves the points as they
// are, 0 turns X into −Z and Z into X.

// The proposed angle as number text: from the first taking-part point P0 and the next one
// whose Y lies within 0.01 of P0's and whose Z differs, the angle whose tangent is
// ΔX / ΔZ (−90 to 90); otherwise 0.
std::string proposedRotationAngle(const PointStore& store,
                                  const std::vector<std::int32_t>& selected);

// One row of the rotation result grid: number and the turned X, Y, Z rounded with Round4,
// as number text.
struct RotationRow {
    std::string number;
    std::string x;
    std::string y;
    std::string z;
};

std::vector<RotationRow> rotatePoints(const PointStore& store,
                                      const std::vector<std::int32_t>& selected,
                                      double angleDegrees);

// Where the "y" scroll bar stands after a rotation by angleDegrees: the whole part of the
// angle plus 270, held within the scroll bar's range, then wrapped.
int rollScrollPositionAfterRotation(double angleDegrees);

}  // namespace korvela
