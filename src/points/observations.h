#pragma once

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <string_view>
#include <vector>

#include "points/point_store.h"

namespace korvela {

// The raw observations of a field file, kept beside its points: the station set-ups and, in
// file order, the sights taken from them. Angles are in degrees whatever unit the file used
// (gons and mils of 6400 are converted as they are read); distances and heights stay in the
// file's unit (metres or feet, `distanceUnit`), so a file in feet is computed in feet.

inline constexpr double kNotRecorded = std::numeric_limits<double>::quiet_NaN();
inline bool recorded(double value) { return !std::isnan(value); }

enum class DistanceUnit : std::uint8_t { Metres, Feet };

// How the file's vertical readings count: from the zenith or from the horizon.
enum class VerticalReading : std::uint8_t {
    Zenith,
    Horizon,
    AssumedZenith,  // the file does not say; a sheet says that zenith was assumed
};

// The record a sight comes from.
enum class SightKind : std::uint8_t {
    FaceLeft,   // 09 F1
    FaceRight,  // 09 F2
    Mean,       // 09 MD: the mean of both faces
    Corrected,  // 09 MC: vertical angle corrected, an azimuth instead of a circle reading
    Backsight,  // 07: the reading and the azimuth to the orientation point
    Reduced,    // 11: azimuth, horizontal distance and height difference
};

// One sight. Its three values mean, by kind (kNotRecorded where the record's field is blank):
//   FaceLeft, FaceRight, Mean: horizontal reading, vertical reading, slope distance;
//   Corrected:                  azimuth, vertical reading, slope distance;
//   Backsight:                  horizontal reading, azimuth, -;
//   Reduced:                    azimuth, horizontal distance, height difference.
// Use the accessors below rather than the raw values.
struct Sight {
    std::uint32_t setUp = 0;   // index into ObservationList::setUps
    std::uint32_t target = 0;  // index into ObservationList::names
    SightKind kind = SightKind::FaceLeft;
    bool excluded = false;      // left out of every computation ("Полевой журнал")
    bool inBadSet = false;      // its 12 set record marks the set bad
    std::uint16_t set = 0;      // the set (round) number of the last 12 record, 0 for none
    double targetHeight = 0;    // of the last 03 record before it (0 for none)
    double value[3] = {kNotRecorded, kNotRecorded, kNotRecorded};
    // Two sights are the same when every field is, a value not recorded in both counting as
    // the same value (NaN is equal to nothing, itself included).
    bool operator==(const Sight& other) const {
        const auto sameValue = [](double a, double b) { return a == b || (a != a && b != b); };
        return setUp == other.setUp && target == other.target && kind == other.kind &&
               excluded == other.excluded && inBadSet == other.inBadSet && set == other.set &&
               targetHeight == other.targetHeight && sameValue(value[0], other.value[0]) &&
               sameValue(value[1], other.value[1]) && sameValue(value[2], other.value[2]);
    }
};
static_assert(sizeof(Sight) <= 48, "a million sights stay within 48 MB");

// A station set-up: a 02 station record and the sights after it up to the next one.
struct StationSetUp {
    std::uint32_t station = 0;  // index into ObservationList::names
    double instrumentHeight = 0;
    VerticalReading vertical = VerticalReading::AssumedZenith;  // of the last 01 before it
    bool operator==(const StationSetUp&) const = default;
};

// A point that a 08 TP record computed from a sight: which store point it became and which
// sight it came from. The store index is checked against the number before it is used, since
// points may have been deleted since the import.
struct DerivedPoint {
    std::uint32_t point = 0;  // index into the point store at import
    std::uint32_t sight = 0;  // index into ObservationList::sights
    bool operator==(const DerivedPoint&) const = default;
};

struct ObservationList {
    DistanceUnit distanceUnit = DistanceUnit::Metres;
    // The 00 header's sixth option; anything but 1 (angles to the right) is refused by the
    // computations with a message.
    char anglesOption = '1';
    PointNumbers names;  // the station and target ids, Windows-1251 bytes as read
    std::vector<StationSetUp> setUps;
    std::vector<Sight> sights;
    std::vector<DerivedPoint> derived;

    bool empty() const { return setUps.empty() && sights.empty(); }
    std::string_view stationOf(const Sight& sight) const {
        return names[setUps[sight.setUp].station];
    }
    std::string_view targetOf(const Sight& sight) const { return names[sight.target]; }
    bool operator==(const ObservationList&) const = default;
};

inline bool isFaceReading(SightKind kind) {
    return kind == SightKind::FaceLeft || kind == SightKind::FaceRight || kind == SightKind::Mean;
}
// The horizontal circle reading in degrees, or kNotRecorded.
inline double horizontalReading(const Sight& s) {
    return isFaceReading(s.kind) || s.kind == SightKind::Backsight ? s.value[0] : kNotRecorded;
}
// The vertical reading in degrees as the file counts it (see StationSetUp::vertical).
inline double verticalReading(const Sight& s) {
    return isFaceReading(s.kind) || s.kind == SightKind::Corrected ? s.value[1] : kNotRecorded;
}
inline double slopeDistance(const Sight& s) {
    return isFaceReading(s.kind) || s.kind == SightKind::Corrected ? s.value[2] : kNotRecorded;
}
inline double azimuth(const Sight& s) {
    switch (s.kind) {
        case SightKind::Corrected:
        case SightKind::Reduced: return s.value[0];
        case SightKind::Backsight: return s.value[1];
        default: return kNotRecorded;
    }
}
inline double reducedHorizontalDistance(const Sight& s) {
    return s.kind == SightKind::Reduced ? s.value[1] : kNotRecorded;
}
inline double reducedHeightDifference(const Sight& s) {
    return s.kind == SightKind::Reduced ? s.value[2] : kNotRecorded;
}

}  // namespace korvela
