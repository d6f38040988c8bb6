#pragma once

namespace korvela {

// The numbers that judge and weight the daily computations (intersections, resection, the
// free station, polar heights). Each report prints them; the windows keep them as preferences
// (Settings ▸ "допуски"), the batch front end uses the defaults.
struct CogoSettings {
    // Rays or circles must cross at the new point at this angle or more, and at 180° minus
    // it or less.
    double intersectionLimitDegrees = 15;
    // The locus circles of a resection must cross at the station at this angle or more (and
    // at 180° minus it or less): nearer to 0° the station is on or near the danger circle.
    double resectionLimitDegrees = 5;
    // A point or station found by least squares is refused when its standard error
    // √(mx² + my²) is larger.
    double stationErrorLimitMillimetres = 50;
    double sigmaDirectionSeconds = 5;     // a direction's a-priori standard error
    double sigmaDistanceMillimetres = 3;  // a of a + b·D
    double sigmaDistancePpm = 2;          // b of a + b·D
    double refraction = 0.14;             // k of the polar point's height
};

inline bool isValidCogoSettings(const CogoSettings& s) {
    const auto positive = [](double v) { return v > 0 && v < 1e12; };
    const auto angle = [](double v) { return v > 0 && v < 90; };
    return angle(s.intersectionLimitDegrees) && angle(s.resectionLimitDegrees) &&
           positive(s.stationErrorLimitMillimetres) && positive(s.sigmaDirectionSeconds) &&
           positive(s.sigmaDistanceMillimetres) && s.sigmaDistancePpm >= 0 &&
           s.sigmaDistancePpm < 1e6 && s.refraction >= 0 && s.refraction < 1;
}

}  // namespace korvela
