#pragma once

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "points/observations.h"
#include "tasks/observation_reduction.h"
#include "tasks/traverse.h"

namespace korvela {

// The traverse as the computation sees it once the path is checked: the stations with the
// set-up used at each, the sides, the measured angles and the orientations at the ends. Shared
// by the computation, its sheets and the least-squares adjustment.

struct PathStation {
    std::string number;
    bool known = false;  // fixed coordinates (an end station not derived from this file)
    double x = 0, y = 0, z = kNotRecorded;
    std::size_t point = kNewPoint;  // store index
    std::uint32_t setUp = 0;
    bool hasSetUp = false;
    ReducedSetUp reduced;
    double directionTo(const std::string& target, const ObservationList& list) const;
};

// A side from station i to station i + 1 (for a closed traverse the last goes back to 0).
struct PathSide {
    double distance = 0;  // the mean of the horizontal distances measured forward and back
    double forward = kNotRecorded, back = kNotRecorded;
    double heightDifference = kNotRecorded;  // (h forward − h back) / 2, or the one measured
};

// A known point sighted to orient an end station.
struct OrientationSight {
    std::string number;
    double reading = 0;   // the reduced direction on the station's circle
    double azimuth = 0;   // from the coordinates
    double distance = 0;  // from the coordinates: the weight
    double deviationSeconds = 0;  // of this sight's circle orientation from the mean
};

struct Orientation {
    double circleAzimuth = 0;  // the azimuth of the circle's zero
    double referenceReading = 0;  // the reading the end angle is taken from
    std::string referenceNumber;
    bool fromBacksight = false;  // the 07 record's azimuth
    std::vector<OrientationSight> sights;
};

struct TraversePath {
    const ObservationList* observations = nullptr;
    TraverseShape shape = TraverseShape::Link;
    DistanceUnit unit = DistanceUnit::Metres;
    std::vector<PathStation> stations;
    std::vector<PathSide> sides;
    Orientation start;
    std::optional<Orientation> end;  // a link traverse's end orientation
    // The measured left angles in degrees, in sheet order: link and hanging from the first
    // station on (the first is the connecting angle at the start, the last the connecting
    // angle at the end when it is oriented); closed from the second station round to the first.
    std::vector<double> angles;
    std::vector<std::size_t> angleStations;  // the station each angle is measured at

    bool angularCheck() const {
        return shape == TraverseShape::Closed || (shape == TraverseShape::Link && end);
    }
    bool linearCheck() const { return shape != TraverseShape::Hanging; }
    const PathStation& last() const { return stations.back(); }
    // The station a side ends at.
    std::size_t sideEnd(std::size_t side) const { return (side + 1) % stations.size(); }
};

// The checks of a traverse, each with its limit. Values that the shape does not check are
// kNotRecorded.
struct Misclosures {
    double sumMeasured = kNotRecorded, sumTheoretical = kNotRecorded;  // degrees
    bool exterior = false;  // a closed traverse measured along its exterior angles
    double angular = kNotRecorded, angularLimit = kNotRecorded;  // seconds
    double fx = kNotRecorded, fy = kNotRecorded, fs = kNotRecorded;
    double length = 0;  // Σd
    double relativeLimit = 0;  // N of 1:N
    double fh = kNotRecorded, heightLimit = kNotRecorded;  // in the file's unit
    bool heights = false;  // both ends of the path have heights

    bool angularWithin() const { return !recorded(angular) || std::abs(angular) <= angularLimit; }
    bool linearWithin() const { return !recorded(fs) || fs * relativeLimit <= length; }
    bool heightWithin() const { return !recorded(fh) || std::abs(fh) <= heightLimit; }
    bool within() const { return angularWithin() && linearWithin() && heightWithin(); }
};

// What the adjustment gives: per angle, per side and per station.
struct TraverseAdjustment {
    std::vector<double> angleCorrections;  // seconds (hand sheet only)
    std::vector<double> azimuths;          // degrees, per side
    std::vector<double> dx, dy, dh;        // increments per side, as measured
    std::vector<double> vx, vy, vh;        // their corrections
    std::vector<double> x, y, z;           // per station (z kNotRecorded without heights)
    std::vector<double> orientations;      // per station: the azimuth of its circle's zero
};

// Directional angles of the sides from the given left angles (degrees, normalized).
std::vector<double> sideAzimuths(const TraversePath& path, const std::vector<double>& angles);

}  // namespace korvela
