#pragma once

#include <optional>

#include "tasks/plane_point_fit.h"

namespace korvela {

// The closed-form constructions of the daily computations. Angles in degrees.

// Whether two lines crossing at `angle` (0-180°) cross well enough: at least `limit` and at
// most 180° minus it.
bool crossesWithin(double angle, double limitDegrees);

// The angle at which the rays from A and B cross (0-180°).
double rayCrossingAngle(double azimuthA, double azimuthB);

// Where the ray from A along azimuthA meets the ray from B along azimuthB; nothing for
// parallel rays or rays that meet only behind A or B.
std::optional<PlanePosition> intersectRays(PlanePosition a, double azimuthA, PlanePosition b,
                                           double azimuthB);

// The side of the line A → B a point lies on: right when ΔX_AB·ΔY_AP − ΔY_AB·ΔX_AP > 0.
enum class LineSide { Left, Right };
LineSide sideOf(PlanePosition a, PlanePosition b, PlanePosition p);

// The directional angles from A and from B to P, from the angles measured at A (between AB
// and AP) and at B (between BA and BP) and the side of A → B that P lies on.
struct RayPair {
    double fromA = 0, fromB = 0;
};
RayPair raysFromBaseAngles(PlanePosition a, PlanePosition b, double angleAtA, double angleAtB,
                           LineSide side);

// The point at distanceA from A and distanceB from B on the given side of A → B, with the
// angle at which the two circles cross there (the angle APB); nothing when the circles do not
// meet or A and B coincide.
struct CircleCrossing {
    PlanePosition point;
    double angle = 0;
};
std::optional<CircleCrossing> intersectCircles(PlanePosition a, double distanceA, PlanePosition b,
                                               double distanceB, LineSide side);

// The station P from which the known points A, B, C are read at the directions dirA, dirB,
// dirC: the second crossing of the locus circles through A, B, P and B, C, P, and the angle
// at which they cross at P (0-180°; near 0° or 180° P is near the danger circle through A, B,
// C). Known points on one line are solved as any others. Nothing when a pair of readings is
// equal or opposite (P on the line through two known points) or the circles coincide.
std::optional<CircleCrossing> resectThree(PlanePosition a, double dirA, PlanePosition b,
                                          double dirB, PlanePosition c, double dirC);

}  // namespace korvela
