#pragma once

#include <cmath>
#include <cstdio>
#include <map>
#include <numbers>
#include <string>

namespace korvela::testing {

// An SDR33 field file written from chosen coordinates: each sight's readings computed from
// the true positions (both faces, a circle zero of its own per set-up, the zenith angle that
// trigonometric levelling with curvature and refraction turns back into the true height
// difference). Known points are 08 KI records; a set-up's 02 record holds its true
// coordinates when it is known, provisional zeros otherwise.
class SdrSurveyText {
public:
    static constexpr double kRefraction = 0.14;
    static constexpr double kEarthRadius = 6371000;

    struct Position {
        double x, y, z;
    };

    void point(const std::string& number, double x, double y, double z) {
        truth_[number] = {x, y, z};
    }
    void keyedIn(const std::string& number) {
        const Position& p = truth_.at(number);
        text_ += "08KI" + field(number) + field(p.x) + field(p.y) + field(p.z) + field("KI") +
                 "\r\n";
    }
    void setUp(const std::string& station, bool known, double circleZero, double ih = 1.5) {
        const Position p = known ? truth_.at(station) : Position{0, 0, 0};
        text_ += "02TP" + field(station) + field(p.x) + field(p.y) + field(p.z) + field(ih) +
                 field(station) + "\r\n";
        station_ = station;
        circleZero_ = circleZero;
        instrumentHeight_ = ih;
    }
    // Face left and face right to the target; `slopeShift` added to both distances and
    // `secondFaceSeconds` to the face right's horizontal reading only.
    void faces(const std::string& target, double th = 1.2, double slopeShift = 0,
               double secondFaceSeconds = 0) {
        const Reading r = exact(target, th);
        text_ += "03NM" + field(th) + "\r\n";
        sight("F1", target, r.slope + slopeShift, r.zenith, r.horizontal);
        sight("F2", target, r.slope + slopeShift, 360 - r.zenith,
              normalized(r.horizontal + 180 + secondFaceSeconds / 3600));
    }
    // A 07 record: the reading to the target and its azimuth.
    void backsight(const std::string& target) {
        const Reading r = exact(target, 0);
        text_ += "07TP" + field(station_) + field(target) +
                 field(normalized(r.horizontal + circleZero_)) + field(r.horizontal) + "\r\n";
    }

    // The horizontal distance and the one-way height difference between two true points.
    double distance(const std::string& from, const std::string& to) const {
        const Position &a = truth_.at(from), &b = truth_.at(to);
        return std::hypot(b.x - a.x, b.y - a.y);
    }
    const Position& at(const std::string& number) const { return truth_.at(number); }

    std::string text() const {
        return "00NMSDR33 V04-04.02     05-Nov-20 08:00 111111\r\n" + text_;
    }

private:
    struct Reading {
        double horizontal, zenith, slope;
    };
    static double normalized(double degrees) {
        const double wrapped = std::fmod(degrees, 360.0);
        return wrapped < 0 ? wrapped + 360 : wrapped;
    }
    static std::string field(const std::string& text) {
        return std::string(16 - text.size(), ' ') + text;
    }
    static std::string field(double value) {
        char text[32];
        std::snprintf(text, sizeof text, "%-16.9f", value);
        return std::string(text).substr(0, 16);
    }
    void sight(const char* face, const std::string& target, double slope, double zenith,
               double horizontal) {
        text_ += std::string("09") + face + field(station_) + field(target) + field(slope) +
                 field(zenith) + field(horizontal) + field(target) + "\r\n";
    }
    Reading exact(const std::string& target, double th) const {
        const Position& a = truth_.at(station_);
        const Position& b = truth_.at(target);
        const double d = distance(station_, target);
        const double azimuth = std::atan2(b.y - a.y, b.x - a.x) * 180 / std::numbers::pi;
        const double vertical = b.z - a.z - instrumentHeight_ + th -
                                (1 - kRefraction) * d * d / (2 * kEarthRadius);
        return {normalized(azimuth - circleZero_), std::atan2(d, vertical) * 180 / std::numbers::pi,
                std::hypot(d, vertical)};
    }

    std::map<std::string, Position> truth_;
    std::string text_;
    std::string station_;
    double circleZero_ = 0;
    double instrumentHeight_ = 0;
};

}  // namespace korvela::testing
