#pragma once

#include <cstdint>
#include <vector>

#include "points/observations.h"
#include "tasks/traverse_settings.h"

namespace korvela {

// How a set-up's raw readings become directions, zenith angles, horizontal distances and
// height differences. Excluded sights and sights of a set marked bad take no part anywhere.
//
// Rounds: the sights of one set (12 record) are split per face into rounds; a face's round
// ends where a target comes again, and a sight back on the round's first target after others
// closes the round (the horizon closure, checked, never used as a reading). Round k of face
// left pairs with round k of face right.

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

// A round's closing sight on its first target: how far it departs from the opening reading.
struct HorizonClosure {
    std::uint32_t opening, closing;  // indices into ObservationList::sights
    double seconds;
    bool beyondLimit;
};

std::vector<HorizonClosure> checkHorizonClosures(const ObservationList& observations,
                                                 const TraverseSettings& settings);

// One target of a set-up with its readings reduced. Values not observed are kNotRecorded.
struct ReducedTarget {
    std::uint32_t target = 0;  // index into ObservationList::names
    double direction = kNotRecorded;  // degrees on the set-up's circle (rounds averaged)
    double zenith = kNotRecorded;     // degrees
    double slopeDistance = kNotRecorded;
    double horizontalDistance = kNotRecorded;  // SD · sin Z
    double heightDifference = kNotRecorded;    // station ground to target ground, one way
    double targetHeight = 0;                   // of its first sight
};

struct ReducedSetUp {
    std::vector<ReducedTarget> targets;  // in the order first sighted
    // The 07 backsight: the azimuth of the circle's zero (azimuth − reading), kNotRecorded
    // without one, or with a zero azimuth and a zero reading (oriented on nothing).
    double circleOrientation = kNotRecorded;
    std::uint32_t backsightTarget = 0;
};

// The sights of every set-up, in file order (indices into ObservationList::sights).
std::vector<std::vector<std::uint32_t>> sightsBySetUp(const ObservationList& observations);

ReducedSetUp reduceSetUp(const ObservationList& observations,
                         const std::vector<std::uint32_t>& setUpSights, std::uint32_t setUp,
                         const TraverseSettings& settings);

// One sight reduced on its own, as the field journal shows it: the horizontal distance SD·sin Z
// and the one-way height difference of trigonometric levelling (an 11 record's own values);
// kNotRecorded where the sight lacks what they need.
struct SightReduction {
    double horizontalDistance = kNotRecorded;
    double heightDifference = kNotRecorded;
};
SightReduction reduceSight(const ObservationList& observations, std::uint32_t sight,
                           const TraverseSettings& settings);

// The zenith angle of a reading as the set-up counts it, for face left (face right readings
// are 360° minus it).
double zenithReading(VerticalReading vertical, double reading);

// R in the file's distance unit (6 371 000 m).
double earthRadius(DistanceUnit unit);

// Trigonometric levelling: SD·cos Z + ih − th + (1 − k)·(SD·sin Z)² / (2R).
double trigonometricHeight(double slope, double zenithDegrees, double instrumentHeight,
                           double targetHeight, double refraction, double radius);

// Angles brought into [0°, 360°) and into (−180°, 180°].
double normalizedDegrees(double degrees);
double signedDegrees(double degrees);

}  // namespace korvela
