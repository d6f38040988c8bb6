#pragma once

#include <algorithm>
#include <array>
#include <cmath>
#include <map>
#include <numbers>
#include <string>

#include "points/observations.h"
#include "points/point_store.h"
#include "tasks/observation_reduction.h"

namespace korvela::testing {

// A field file built from chosen coordinates: each sight's readings computed from the true
// positions (both faces, an arbitrary circle zero per set-up, the vertical angle that trig
// levelling with curvature and refraction turns back into the true height difference).
class FieldSurveyBuilder {
public:
    struct Position {
        double x, y, z;
    };

    explicit FieldSurveyBuilder(double refraction = 0.14) : refraction_(refraction) {}

    // A point of the true geometry; `inStore` makes it a point of the store (a known point).
    void point(const std::string& number, double x, double y, double z, bool inStore) {
        truth_[number] = {x, y, z};
        if (inStore) store.append(number, x, y, z, 0, kKindStation);
    }
    void setUp(const std::string& station, double circleZero, double instrumentHeight = 1.5) {
        list.names.append(station);
        list.setUps.push_back({static_cast<std::uint32_t>(list.names.size() - 1), instrumentHeight,
                               VerticalReading::Zenith});
        station_ = station;
        circleZero_ = circleZero;
    }
    // Face left and face right to the target; `disturbance` added to both horizontal
    // readings (seconds) and `slopeShift` to both distances.
    void faces(const std::string& target, double targetHeight = 1.2, double disturbance = 0,
               double slopeShift = 0) {
        const Reading r = exact(target, targetHeight);
        sight(SightKind::FaceLeft, target, targetHeight,
              {normalizedDegrees(r.horizontal + disturbance / 3600), r.zenith,
               r.slope + slopeShift});
        sight(SightKind::FaceRight, target, targetHeight,
              {normalizedDegrees(r.horizontal + 180 + disturbance / 3600), 360 - r.zenith,
               r.slope + slopeShift});
    }
    // A 07 backsight to the target: its reading and azimuth.
    void backsight(const std::string& target) {
        const Reading r = exact(target, 0);
        sight(SightKind::Backsight, target, 0,
              {r.horizontal, normalizedDegrees(r.horizontal + circleZero_), kNotRecorded});
    }
    void sight(SightKind kind, const std::string& target, double targetHeight,
               std::array<double, 3> values) {
        list.names.append(target);
        Sight s;
        s.setUp = static_cast<std::uint32_t>(list.setUps.size() - 1);
        s.target = static_cast<std::uint32_t>(list.names.size() - 1);
        s.kind = kind;
        s.targetHeight = targetHeight;
        std::copy(values.begin(), values.end(), s.value);
        list.sights.push_back(s);
    }
    const Position& at(const std::string& number) const { return truth_.at(number); }

    ObservationList list;
    PointStore store;

private:
    struct Reading {
        double horizontal, zenith, slope;
    };
    Reading exact(const std::string& target, double targetHeight) const {
        const Position& a = truth_.at(station_);
        const Position& b = truth_.at(target);
        const double d = std::hypot(b.x - a.x, b.y - a.y);
        const double azimuth = std::atan2(b.y - a.y, b.x - a.x) * 180 / std::numbers::pi;
        const double vertical = b.z - a.z - list.setUps.back().instrumentHeight + targetHeight -
                                (1 - refraction_) * d * d / (2 * earthRadius(list.distanceUnit));
        return {normalizedDegrees(azimuth - circleZero_),
                std::atan2(d, vertical) * 180 / std::numbers::pi, std::hypot(d, vertical)};
    }

    double refraction_;
    std::map<std::string, Position> truth_;
    std::string station_;
    double circleZero_ = 0;
};

}  // namespace korvela::testing
