#pragma once

#include <cstddef>
#include <optional>
#include <string>

namespace korvela {

class PointStore;

// A point in space: X northing, Y easting, Z height, in metres.
struct SpacePoint {
    double x = 0;
    double y = 0;
    double z = 0;
};

// Point `index` of the store.
SpacePoint spacePointAt(const PointStore& store, std::size_t index);

// An angle as whole degrees, minutes and seconds (held as doubles, printed as number text).
struct Dms {
    double degrees = 0;
    double minutes = 0;
    double seconds = 0;
};

// The spatial distance between two points.
double SlopeDistance(const SpacePoint& p, const SpacePoint& q);

// The angle at vertex v between the directions v→a and v→b, in radians, Z included.
// The cosine is clamped to [−1, 1] against rounding; there is no angle (nullopt) when a side
// has no length, or when the sides are too long or too short for double arithmetic.
std::optional<double> SpaceAngle(const SpacePoint& v, const SpacePoint& a, const SpacePoint& b);

// The directional angle of the line a→b in the X/Y plane, in radians, counted from +X
// towards +Y: 0 along +X, π/2 along +Y. Equal points give π/2.
double DirectionalAngle(const SpacePoint& a, const SpacePoint& b);

// Degrees, minutes and seconds rounded half up to a whole second. Seconds that round to 60
// are not carried (29.99999° is 29° 59' 60'').
Dms AngleToDms(double radians);

// "D° M' S''" and CR LF, in Windows-1251 (the degree sign is the byte 0xB0).
std::string angleText(const Dms& angle);

}  // namespace korvela
