#include "tasks/traverse_least_squares.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "tasks/banded_normal_equations.h"

namespace korvela {
namespace {

constexpr double kRadiansPerDegree = std::numbers::pi / 180;
constexpr double kSecondsPerRadian = 180 * 3600 / std::numbers::pi;
constexpr double kMillimetresPerMetre = 1000;
constexpr double kMillimetresPerFoot = 304.8;
constexpr double kPpm = 1e-6;
constexpr int kMostIterations = 10;
constexpr double kConverged = 1e-7;  // of the file's unit, and radians
constexpr double kMarkedBeyond = 3;
constexpr double kLeastRedundancyMarked = 0.1;
constexpr std::size_t kNone = static_cast<std::size_t>(-1);

// A point the observations reach: a station (whose coordinates may be unknowns) or a fixed
// orientation point.
struct Place {
    std::size_t x = kNone, y = kNone;  // unknown indices, kNone when fixed
    double fixedX = 0, fixedY = 0;
    std::string number;
};

struct Equation {
    bool direction = true;
    std::size_t from = 0, to = 0;  // indices into the places
    std::size_t station = 0;       // the station whose circle a direction is read on
    double observed = 0;           // radians or the file's unit
    double sigma = 0;
};

class Adjustment {
public:
    Adjustment(const TraversePath& path, const TraverseAdjustment& approximate,
               const TraverseSettings& settings)
        : path_(path), settings_(settings) {
        orderStations();
        placeStations(approximate);
        addDirections();
        addDistances();
    }

    LeastSquaresTraverse run(const TraverseAdjustment& approximate) {
        for (int iteration = 0; iteration < kMostIterations; ++iteration) {
            BandedNormalEquations equations = normalEquations();
            std::vector<double> step;
            if (!equations.solve(step)) break;
            for (std::size_t i = 0; i < values_.size(); ++i) values_[i] += step[i];
            const double largest = step.empty() ? 0 : std::abs(*std::max_element(
                step.begin(), step.end(), [](double a, double b) { return std::abs(a) < std::abs(b); }));
            if (largest < kConverged) break;
        }
        BandedNormalEquations equations = normalEquations();
        std::vector<double> unused;
        equations.solve(unused);
        return result(approximate, equations);
    }

private:
    // Unknowns follow the path; a closed path is folded (first, second, last, third, last but
    // one, ...) so that its closing side stays near in the order as well.
    void orderStations() {
        const std::size_t n = path_.stations.size();
        if (path_.shape != TraverseShape::Closed) {
            for (std::size_t i = 0; i < n; ++i) order_.push_back(i);
            return;
        }
        order_.push_back(0);
        for (std::size_t low = 1, high = n - 1; low <= high; ++low, --high) {
            order_.push_back(low);
            if (high != low) order_.push_back(high);
        }
    }

    std::size_t newUnknown(double value) {
        values_.push_back(value);
        return values_.size() - 1;
    }

    void placeStations(const TraverseAdjustment& approximate) {
        const std::size_t n = path_.stations.size();
        places_.resize(n);
        orientation_.assign(n, kNone);
        fixedOrientation_.assign(n, 0);
        for (std::size_t i : order_) {
            const PathStation& station = path_.stations[i];
            Place& place = places_[i];
            place.number = station.number;
            place.fixedX = approximate.x[i];
            place.fixedY = approximate.y[i];
            if (!station.known) {
                place.x = newUnknown(approximate.x[i]);
                place.y = newUnknown(approximate.y[i]);
            }
            const bool fixed = i == 0 && path_.start.fromBacksight;
            fixedOrientation_[i] = approximate.orientations[i] * kRadiansPerDegree;
            if (!fixed && recorded(approximate.orientations[i]))
                orientation_[i] = newUnknown(fixedOrientation_[i]);
        }
    }

    std::size_t orientationPlace(const PathStation& station, const OrientationSight& sight) {
        Place place;
        place.number = sight.number;
        place.fixedX = station.x + sight.distance * std::cos(sight.azimuth * kRadiansPerDegree);
        place.fixedY = station.y + sight.distance * std::sin(sight.azimuth * kRadiansPerDegree);
        places_.push_back(place);
        return places_.size() - 1;
    }

    void addDirection(std::size_t station, std::size_t target, double reading) {
        if (!recorded(reading)) return;
        equations_.push_back({true, station, target, station, reading * kRadiansPerDegree,
                              settings_.sigmaDirectionSeconds / kSecondsPerRadian});
    }

    // Each station's directions to its neighbours, and at the ends to the orientation points.
    // A station with a free orientation and one direction only adds nothing and is left out.
    void addDirections() {
        const std::size_t n = path_.stations.size();
        const bool closed = path_.shape == TraverseShape::Closed;
        for (std::size_t i = 0; i < n; ++i) {
            const PathStation& station = path_.stations[i];
            std::vector<std::pair<std::size_t, double>> sights;
            const auto neighbour = [&](std::size_t j) {
                sights.push_back({j, station.directionTo(path_.stations[j].number,
                                                         *path_.observations)});
            };
            if (i > 0 || closed) neighbour((i + n - 1) % n);
            if (i + 1 < n || closed) neighbour((i + 1) % n);
            const Orientation* orientation =
                i == 0 ? &path_.start : (i + 1 == n && path_.end ? &*path_.end : nullptr);
            if (orientation) {
                for (const OrientationSight& s : orientation->sights)
                    sights.push_back({orientationPlace(station, s), s.reading});
            }
            std::erase_if(sights, [](const auto& s) { return !recorded(s.second); });
            if (orientation_[i] == kNone && !recorded(fixedOrientation_[i])) continue;
            if (orientation_[i] != kNone && sights.size() < 2) {
                orientation_[i] = kNone;  // never referenced: its column stays empty
                continue;
            }
            for (const auto& [target, reading] : sights) addDirection(i, target, reading);
        }
        dropUnusedUnknowns();
    }

    // An orientation left out leaves an unknown no equation touches: renumber without it.
    void dropUnusedUnknowns() {
        std::vector<bool> used(values_.size(), false);
        for (const Place& p : places_) {
            if (p.x != kNone) used[p.x] = used[p.y] = true;
        }
        for (std::size_t o : orientation_) {
            if (o != kNone) used[o] = true;
        }
        std::vector<std::size_t> renumbered(values_.size(), kNone);
        std::vector<double> kept;
        for (std::size_t i = 0; i < values_.size(); ++i) {
            if (!used[i]) continue;
            renumbered[i] = kept.size();
            kept.push_back(values_[i]);
        }
        values_ = kept;
        for (Place& p : places_) {
            if (p.x != kNone) p.x = renumbered[p.x], p.y = renumbered[p.y];
        }
        for (std::size_t& o : orientation_) {
            if (o != kNone) o = renumbered[o];
        }
    }

    double distanceSigma(double distance) const {
        const double perMillimetre = path_.unit == DistanceUnit::Feet ? 1 / kMillimetresPerFoot
                                                                      : 1 / kMillimetresPerMetre;
        return settings_.sigmaDistanceMillimetres * perMillimetre +
               settings_.sigmaDistancePpm * kPpm * distance;
    }

    void addDistances() {
        for (std::size_t i = 0; i < path_.sides.size(); ++i) {
            const double d = path_.sides[i].distance;
            equations_.push_back({false, i, path_.sideEnd(i), i, d, distanceSigma(d)});
        }
    }

    double xOf(const Place& p) const { return p.x == kNone ? p.fixedX : values_[p.x]; }
    double yOf(const Place& p) const { return p.y == kNone ? p.fixedY : values_[p.y]; }
    double orientationOf(std::size_t station) const {
        const std::size_t o = orientation_[station];
        return o == kNone ? fixedOrientation_[station] : values_[o];
    }

    struct Linearized {
        std::vector<std::size_t> unknowns;
        std::vector<double> coefficients;
        double computed = 0;
    };

    Linearized linearize(const Equation& e) const {
        const Place& a = places_[e.from];
        const Place& b = places_[e.to];
        const double dx = xOf(b) - xOf(a), dy = yOf(b) - yOf(a);
        const double s2 = dx * dx + dy * dy, s = std::sqrt(s2);
        Linearized l;
        const auto add = [&](std::size_t unknown, double coefficient) {
            if (unknown == kNone) return;
            l.unknowns.push_back(unknown);
            l.coefficients.push_back(coefficient);
        };
        if (e.direction) {
            l.computed = std::atan2(dy, dx) - orientationOf(e.station);
            add(a.x, dy / s2), add(a.y, -dx / s2), add(b.x, -dy / s2), add(b.y, dx / s2);
            add(orientation_[e.station], -1);
        } else {
            l.computed = s;
            add(a.x, -dx / s), add(a.y, -dy / s), add(b.x, dx / s), add(b.y, dy / s);
        }
        return l;
    }

    // observed − computed, a direction's brought within ±π.
    static double misclosure(const Equation& e, double computed) {
        const double d = e.observed - computed;
        return e.direction ? std::remainder(d, 2 * std::numbers::pi) : d;
    }

    BandedNormalEquations normalEquations() const {
        std::size_t bandwidth = 0;
        std::vector<Linearized> rows;
        for (const Equation& e : equations_) {
            rows.push_back(linearize(e));
            const auto [low, high] =
                std::minmax_element(rows.back().unknowns.begin(), rows.back().unknowns.end());
            if (low != rows.back().unknowns.end()) bandwidth = std::max(bandwidth, *high - *low);
        }
        BandedNormalEquations normal(values_.size(), bandwidth);
        for (std::size_t k = 0; k < equations_.size(); ++k) {
            const double p = 1 / (equations_[k].sigma * equations_[k].sigma);
            normal.add(rows[k].unknowns, rows[k].coefficients, p,
                       misclosure(equations_[k], rows[k].computed));
        }
        return normal;
    }

    LeastSquaresTraverse result(const TraverseAdjustment& approximate,
                                BandedNormalEquations& normal) {
        LeastSquaresTraverse out;
        double vpv = 0;
        for (const Equation& e : equations_) {
            const Linearized l = linearize(e);
            const double v = -misclosure(e, l.computed);
            vpv += v * v / (e.sigma * e.sigma);
            double aqa = 0;
            for (std::size_t r = 0; r < l.unknowns.size(); ++r)
                for (std::size_t c = 0; c < l.unknowns.size(); ++c)
                    aqa += l.coefficients[r] * l.coefficients[c] *
                           normal.inverse(l.unknowns[r], l.unknowns[c]);
            ObservationResidual residual;
            residual.direction = e.direction;
            residual.from = places_[e.from].number;
            residual.to = places_[e.to].number;
            const double scale = e.direction ? kSecondsPerRadian : 1;
            residual.observed = e.direction ? e.observed / kRadiansPerDegree : e.observed;
            residual.residual = v * scale;
            residual.sigma = e.sigma * scale;
            residual.redundancy = std::clamp(1 - aqa / (e.sigma * e.sigma), 0.0, 1.0);
            if (residual.redundancy > 0)
                residual.standardized = v / (e.sigma * std::sqrt(residual.redundancy));
            residual.marked = std::abs(residual.standardized) > kMarkedBeyond &&
                              residual.redundancy >= kLeastRedundancyMarked;
            out.residuals.push_back(residual);
        }
        out.redundancy = equations_.size() > values_.size() ? equations_.size() - values_.size() : 0;
        out.m0 = out.redundancy > 0 ? std::sqrt(vpv / static_cast<double>(out.redundancy)) : 1;
        out.adjustment = adjusted(approximate);
        for (std::size_t i = 0; i < path_.stations.size(); ++i) {
            const Place& p = places_[i];
            if (p.x == kNone) continue;
            StationAccuracy a{p.number, xOf(p), yOf(p)};
            a.mx = out.m0 * std::sqrt(std::max(0.0, normal.inverse(p.x, p.x)));
            a.my = out.m0 * std::sqrt(std::max(0.0, normal.inverse(p.y, p.y)));
            a.m = std::hypot(a.mx, a.my);
            out.stations.push_back(a);
        }
        return out;
    }

    TraverseAdjustment adjusted(const TraverseAdjustment& approximate) const {
        TraverseAdjustment a = approximate;
        a.angleCorrections.clear();
        a.vx.clear();
        a.vy.clear();
        for (std::size_t i = 0; i < path_.stations.size(); ++i) {
            a.x[i] = xOf(places_[i]);
            a.y[i] = yOf(places_[i]);
            if (orientation_[i] != kNone)
                a.orientations[i] = normalizedDegrees(values_[orientation_[i]] / kRadiansPerDegree);
        }
        for (std::size_t i = 0; i < path_.sides.size(); ++i) {
            const std::size_t j = path_.sideEnd(i);
            a.dx[i] = a.x[j] - a.x[i];
            a.dy[i] = a.y[j] - a.y[i];
            a.azimuths[i] = normalizedDegrees(std::atan2(a.dy[i], a.dx[i]) / kRadiansPerDegree);
        }
        return a;
    }

    const TraversePath& path_;
    const TraverseSettings& settings_;
    std::vector<std::size_t> order_;
    std::vector<Place> places_;
    std::vector<std::size_t> orientation_;
    std::vector<double> fixedOrientation_;
    std::vector<double> values_;
    std::vector<Equation> equations_;
};

}  // namespace

LeastSquaresTraverse adjustByLeastSquares(const TraversePath& path,
                                          const TraverseAdjustment& approximate,
                                          const TraverseSettings& settings) {
    Adjustment adjustment(path, approximate, settings);
    return adjustment.run(approximate);
}

}  // namespace korvela
