#include "tasks/traverse.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <optional>
#include <string_view>
#include <unordered_map>
#include <unordered_set>

#include "common/cp1251.h"
#include "points/point_store.h"
#include "tasks/traverse_least_squares.h"
#include "tasks/traverse_path.h"
#include "tasks/traverse_sheet.h"

namespace korvela {
namespace {

constexpr double kRadiansPerDegree = std::numbers::pi / 180;
constexpr double kCentimetresPerMetre = 100;
constexpr double kMetresPerFoot = 0.3048;

double azimuthBetween(double x1, double y1, double x2, double y2) {
    return normalizedDegrees(std::atan2(y2 - y1, x2 - x1) / kRadiansPerDegree);
}

// Why the computation stops; carried out of the path's checks as an exception so that each
// check stays one line where it is made.
struct Refused {
    std::string message;
};

std::string shown(std::string_view number) { return cp1251ToUtf8(number); }

// The store's points by number, and which of them this file's observations derived.
class KnownPoints {
public:
    KnownPoints(const PointStore& store, const ObservationList& list) : store_(store) {
        for (std::size_t i = 0; i < store.count(); ++i) byNumber_[store.number()[i]].push_back(i);
        for (const DerivedPoint& derived : list.derived) {
            if (derived.point < store.count() && derived.sight < list.sights.size() &&
                store.number()[derived.point] == list.targetOf(list.sights[derived.sight]))
                derived_.insert(derived.point);
        }
    }
    const std::vector<std::size_t>& holders(std::string_view number) const {
        static const std::vector<std::size_t> none;
        const auto found = byNumber_.find(number);
        return found == byNumber_.end() ? none : found->second;
    }
    // The first point of the number that is not derived from this file's observations: an
    // ordinary point (keyed in, control) before a station record, which often holds
    // provisional coordinates.
    std::optional<std::size_t> known(std::string_view number) const {
        std::optional<std::size_t> station;
        for (std::size_t i : holders(number)) {
            if (derived_.contains(i)) continue;
            if (store_.kind()[i] == kKindPoint) return i;
            if (!station) station = i;
        }
        return station;
    }
    bool isDerived(std::size_t point) const { return derived_.contains(point); }
    const PointStore& store() const { return store_; }

private:
    const PointStore& store_;
    std::unordered_map<std::string_view, std::vector<std::size_t>> byNumber_;
    std::unordered_set<std::size_t> derived_;
};

// The observation list's set-ups by station number.
std::unordered_map<std::string_view, std::vector<std::uint32_t>> setUpsByStation(
    const ObservationList& list) {
    std::unordered_map<std::string_view, std::vector<std::uint32_t>> byStation;
    for (std::uint32_t i = 0; i < list.setUps.size(); ++i)
        byStation[list.names[list.setUps[i].station]].push_back(i);
    return byStation;
}

bool sightsTarget(const ObservationList& list, const std::vector<std::uint32_t>& sights,
                  std::string_view target) {
    return std::any_of(sights.begin(), sights.end(), [&](std::uint32_t s) {
        const Sight& sight = list.sights[s];
        return !sight.excluded && !sight.inBadSet && list.targetOf(sight) == target;
    });
}

class PathBuilder {
public:
    PathBuilder(const PointStore& store, const ObservationList& list,
                const TraverseRequest& request)
        : list_(list), request_(request), points_(store, list),
          bySetUp_(sightsBySetUp(list)), byStation_(setUpsByStation(list)) {}

    // Whether any two consecutive stations have an observation between them.
    bool anyObservations() const {
        for (std::size_t i = 0; i + 1 < sideCount(); ++i) {
            if (observedBetween(i)) return true;
        }
        return sideCount() > 0 && observedBetween(sideCount() - 1);
    }

    TraversePath build() {
        TraversePath path;
        path.observations = &list_;
        path.shape = request_.shape;
        path.unit = list_.distanceUnit;
        const std::size_t n = request_.stations.size();
        for (std::size_t i = 0; i < n; ++i) path.stations.push_back(station(i));
        for (std::size_t i = 0; i < sideCount(); ++i) path.sides.push_back(side(path, i));
        path.start = startOrientation(path.stations.front());
        if (request_.shape == TraverseShape::Link && !request_.endSights.empty())
            path.end = endOrientation(path.last());
        measureAngles(path);
        return path;
    }

    const KnownPoints& points() const { return points_; }

private:
    std::size_t sideCount() const {
        const std::size_t n = request_.stations.size();
        return request_.shape == TraverseShape::Closed ? n : n - 1;
    }
    const std::string& name(std::size_t i) const {
        return request_.stations[i % request_.stations.size()];
    }
    bool observes(std::string_view from, std::string_view to) const {
        const auto found = byStation_.find(from);
        if (found == byStation_.end()) return false;
        return std::any_of(found->second.begin(), found->second.end(), [&](std::uint32_t s) {
            return sightsTarget(list_, bySetUp_[s], to);
        });
    }
    bool observedBetween(std::size_t side) const {
        return observes(name(side), name(side + 1)) || observes(name(side + 1), name(side));
    }
    bool fixedEnd(std::size_t i) const {
        if (i == 0) return true;
        return i + 1 == request_.stations.size() && request_.shape == TraverseShape::Link;
    }

    // The targets a station's angle needs: its neighbours and the orientation points.
    std::vector<std::string> neededTargets(std::size_t i) const {
        const std::size_t n = request_.stations.size();
        std::vector<std::string> needed;
        const bool closed = request_.shape == TraverseShape::Closed;
        if (i > 0 || closed) needed.push_back(name(i + n - 1));
        if (i + 1 < n || closed) needed.push_back(name(i + 1));
        if (i == 0) needed.insert(needed.end(), request_.startSights.begin(),
                                  request_.startSights.end());
        if (i + 1 == n) needed.insert(needed.end(), request_.endSights.begin(),
                                      request_.endSights.end());
        return needed;
    }

    // The set-up at the station that sights most of the targets its angle needs (the first of
    // equals).
    std::optional<std::uint32_t> chooseSetUp(std::size_t i) const {
        const auto found = byStation_.find(name(i));
        if (found == byStation_.end()) return std::nullopt;
        const std::vector<std::string> needed = neededTargets(i);
        std::optional<std::uint32_t> best;
        std::size_t bestCount = 0;
        for (std::uint32_t s : found->second) {
            const auto count = static_cast<std::size_t>(
                std::count_if(needed.begin(), needed.end(), [&](const std::string& target) {
                    return sightsTarget(list_, bySetUp_[s], target);
                }));
            if (!best || count > bestCount) {
                best = s;
                bestCount = count;
            }
        }
        return best;
    }

    PathStation station(std::size_t i) const {
        PathStation result;
        result.number = name(i);
        const std::vector<std::size_t>& holders = points_.holders(result.number);
        if (fixedEnd(i)) {
            const auto known = points_.known(result.number);
            if (!known) throw Refused{"Нет координат станции " + shown(result.number) + "."};
            result.known = true;
            result.point = *known;
        } else if (holders.size() > 1) {
            throw Refused{"Номер " + shown(result.number) +
                          " носят несколько точек: неясно, в какую записать координаты."};
        } else if (!holders.empty()) {
            result.point = holders.front();
        }
        if (result.point != kNewPoint) {
            const PointStore& store = points_.store();
            result.x = store.x()[result.point];
            result.y = store.y()[result.point];
            result.z = store.z()[result.point];
        }
        if (const auto setUp = chooseSetUp(i)) {
            result.setUp = *setUp;
            result.hasSetUp = true;
            result.reduced = reduceSetUp(list_, bySetUp_[*setUp], *setUp, request_.settings);
        }
        return result;
    }

    const ReducedTarget* reducedTo(const PathStation& from, std::string_view to) const {
        if (!from.hasSetUp) return nullptr;
        for (const ReducedTarget& t : from.reduced.targets) {
            if (list_.names[t.target] == to) return &t;
        }
        return nullptr;
    }

    PathSide side(const TraversePath& path, std::size_t i) const {
        const PathStation& from = path.stations[i];
        const PathStation& to = path.stations[path.sideEnd(i)];
        if (!observedBetween(i))
            throw Refused{"Между станциями " + shown(from.number) + " и " + shown(to.number) +
                          " нет наблюдений."};
        PathSide result;
        const ReducedTarget* forward = reducedTo(from, to.number);
        const ReducedTarget* back = reducedTo(to, from.number);
        if (forward) result.forward = forward->horizontalDistance;
        if (back) result.back = back->horizontalDistance;
        const int measured = recorded(result.forward) + recorded(result.back);
        if (measured == 0)
            throw Refused{"Между станциями " + shown(from.number) + " и " + shown(to.number) +
                          " не измерено расстояние."};
        result.distance = ((recorded(result.forward) ? result.forward : 0) +
                           (recorded(result.back) ? result.back : 0)) / measured;
        const double hForward = forward ? forward->heightDifference : kNotRecorded;
        const double hBack = back ? back->heightDifference : kNotRecorded;
        if (recorded(hForward) && recorded(hBack)) {
            result.heightDifference = (hForward - hBack) / 2;
        } else {
            result.heightDifference = recorded(hForward) ? hForward : -hBack;
        }
        return result;
    }

    // The circle orientation from sights to known points: the mean weighted by distance.
    Orientation orientationOn(const PathStation& station,
                              const std::vector<std::string>& sights) const {
        Orientation result;
        double weights = 0, weighted = 0;
        for (const std::string& number : sights) {
            const auto known = points_.known(number);
            const ReducedTarget* target = reducedTo(station, number);
            if (!known || !target || !recorded(target->direction))
                throw Refused{"Станция " + shown(station.number) +
                              " не ориентируется на точку " + shown(number) +
                              ": нет её координат или направления на неё."};
            const PointStore& store = points_.store();
            OrientationSight sight{number, target->direction,
                                   azimuthBetween(station.x, station.y, store.x()[*known],
                                                  store.y()[*known]),
                                   std::hypot(store.x()[*known] - station.x,
                                              store.y()[*known] - station.y)};
            result.sights.push_back(sight);
        }
        const OrientationSight& first = result.sights.front();
        const double base = normalizedDegrees(first.azimuth - first.reading);
        for (const OrientationSight& sight : result.sights) {
            weighted += sight.distance * signedDegrees(sight.azimuth - sight.reading - base);
            weights += sight.distance;
        }
        result.circleAzimuth = normalizedDegrees(base + (weights > 0 ? weighted / weights : 0));
        for (OrientationSight& sight : result.sights) {
            sight.deviationSeconds =
                signedDegrees(sight.azimuth - sight.reading - result.circleAzimuth) * 3600;
        }
        result.referenceReading = first.reading;
        result.referenceNumber = first.number;
        return result;
    }

    Orientation startOrientation(const PathStation& first) const {
        if (!request_.startSights.empty()) return orientationOn(first, request_.startSights);
        if (!first.hasSetUp || !recorded(first.reduced.circleOrientation))
            throw Refused{"Первая станция " + shown(first.number) +
                          " не ориентирована: нет задней точки с азимутом и не указаны "
                          "известные точки ориентирования."};
        Orientation result;
        result.fromBacksight = true;
        result.circleAzimuth = first.reduced.circleOrientation;
        result.referenceNumber = list_.names[first.reduced.backsightTarget];
        const ReducedTarget* backsight = reducedTo(first, result.referenceNumber);
        result.referenceReading = backsight && recorded(backsight->direction)
                                      ? backsight->direction
                                      : normalizedDegrees(0 - result.circleAzimuth);
        return result;
    }

    Orientation endOrientation(const PathStation& last) const {
        return orientationOn(last, request_.endSights);
    }

    double directionAt(const PathStation& station, std::string_view target) const {
        const ReducedTarget* t = reducedTo(station, target);
        if (!t || !recorded(t->direction))
            throw Refused{"На станции " + shown(station.number) + " нет направления на " +
                          shown(target) + "."};
        return t->direction;
    }

    void addAngle(TraversePath& path, std::size_t at, double from, double to) const {
        path.angles.push_back(normalizedDegrees(to - from));
        path.angleStations.push_back(at);
    }

    void measureAngles(TraversePath& path) const {
        const std::size_t n = path.stations.size();
        const auto& st = path.stations;
        if (path.shape == TraverseShape::Closed) {
            for (std::size_t i = 1; i <= n; ++i) {
                const std::size_t at = i % n;
                addAngle(path, at, directionAt(st[at], st[i - 1].number),
                         directionAt(st[at], st[(i + 1) % n].number));
            }
            return;
        }
        addAngle(path, 0, path.start.referenceReading, directionAt(st[0], st[1].number));
        for (std::size_t i = 1; i + 1 < n; ++i)
            addAngle(path, i, directionAt(st[i], st[i - 1].number),
                     directionAt(st[i], st[i + 1].number));
        if (path.end)
            addAngle(path, n - 1, directionAt(st[n - 1], st[n - 2].number),
                     path.end->referenceReading);
    }

    const ObservationList& list_;
    const TraverseRequest& request_;
    KnownPoints points_;
    std::vector<std::vector<std::uint32_t>> bySetUp_;
    std::unordered_map<std::string_view, std::vector<std::uint32_t>> byStation_;
};

std::optional<std::string> requestRefusal(const TraverseRequest& request,
                                          const ObservationList& list) {
    if (list.anglesOption != '1')
        return "Файл задаёт отсчёт углов «" + std::string(1, list.anglesOption) +
               "», а не «1» (углы влево): ход не вычисляется.";
    const std::vector<std::string>& stations = request.stations;
    const bool closed = request.shape == TraverseShape::Closed;
    if (stations.size() < (closed ? 3u : 2u))
        return closed ? "В замкнутом ходе меньше трёх станций." : "В ходе меньше двух станций.";
    for (std::size_t i = 0; i < stations.size(); ++i) {
        for (std::size_t j = i + 1; j < stations.size(); ++j) {
            if (stations[i] != stations[j]) continue;
            const bool atEnd = j + 1 == stations.size() || i == 0;
            return (atEnd ? "Конечная станция " : "Станция ") + shown(stations[i]) +
                   " стоит в ходе дважды.";
        }
    }
    if (!isValidTraverseSettings(request.settings)) return "Недопустимые допуски хода.";
    return std::nullopt;
}

double angularLimit(const TraverseSettings& settings, std::size_t angles) {
    return settings.angularLimitSeconds * std::sqrt(static_cast<double>(angles));
}

// The fh limit k·S/√n cm in the file's unit.
double heightLimit(const TraverseSettings& settings, double length, std::size_t sides,
                   DistanceUnit unit) {
    const double metresPerUnit = unit == DistanceUnit::Feet ? kMetresPerFoot : 1;
    const double centimetres = settings.heightLimitCentimetres * length * metresPerUnit /
                               std::sqrt(static_cast<double>(sides));
    return centimetres / kCentimetresPerMetre / metresPerUnit;
}

double sumOf(const std::vector<double>& values) {
    double sum = 0;
    for (double v : values) sum += v;
    return sum;
}

// −f shared out in proportion to the weights, in steps of `step`, summing exactly to the
// total rounded to a step; the steps left over go to the largest remainders, ties in order.
std::vector<double> distributeInSteps(double total, const std::vector<double>& weights,
                                      double step) {
    const double weightSum = sumOf(weights);
    const long long steps = std::llround(-total / step);
    std::vector<long long> shares(weights.size());
    std::vector<std::pair<double, std::size_t>> remainders;
    long long given = 0;
    for (std::size_t i = 0; i < weights.size(); ++i) {
        const double exact = static_cast<double>(steps) * weights[i] / weightSum;
        shares[i] = static_cast<long long>(std::trunc(exact));
        given += shares[i];
        remainders.push_back({-std::abs(exact - static_cast<double>(shares[i])), i});
    }
    std::stable_sort(remainders.begin(), remainders.end());
    const long long sign = steps < 0 ? -1 : 1;
    for (std::size_t k = 0; given != steps; ++k) {
        shares[remainders[k % remainders.size()].second] += sign;
        given += sign;
    }
    std::vector<double> corrections;
    for (long long share : shares) corrections.push_back(static_cast<double>(share) * step);
    return corrections;
}

// The angle corrections: −fβ/n in steps of 0.1″, the remainder to the angles at the
// shortest adjacent sides (ties in path order).
std::vector<double> angleCorrections(const TraversePath& path, double misclosureSeconds) {
    const std::size_t n = path.angles.size();
    const long long tenths = std::llround(-misclosureSeconds * 10);
    const long long each = tenths / static_cast<long long>(n);
    long long left = tenths - each * static_cast<long long>(n);
    std::vector<double> corrections(n, static_cast<double>(each) / 10);
    std::vector<std::pair<double, std::size_t>> byShortestSide;
    const std::size_t sides = path.sides.size();
    for (std::size_t i = 0; i < n; ++i) {
        const std::size_t at = path.angleStations[i];
        double shortest = INFINITY;
        if (at < sides) shortest = path.sides[at].distance;
        if (at > 0 || path.shape == TraverseShape::Closed)
            shortest = std::min(shortest, path.sides[(at + sides - 1) % sides].distance);
        byShortestSide.push_back({shortest, i});
    }
    std::stable_sort(byShortestSide.begin(), byShortestSide.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    for (std::size_t k = 0; left != 0; ++k, left -= left > 0 ? 1 : -1)
        corrections[byShortestSide[k].second] += left > 0 ? 0.1 : -0.1;
    return corrections;
}

void checkAngles(const TraversePath& path, const TraverseSettings& settings, Misclosures& m) {
    m.sumMeasured = sumOf(path.angles);
    const double n = static_cast<double>(path.angles.size());
    double theoretical = 0;
    if (path.shape == TraverseShape::Closed) {
        const double interior = 180 * (n - 2);
        m.exterior = std::abs(m.sumMeasured - (interior + 720)) < std::abs(m.sumMeasured - interior);
        theoretical = m.exterior ? interior + 720 : interior;
    } else {
        const double entering = path.start.circleAzimuth + path.start.referenceReading + 180;
        const double leaving = path.end->circleAzimuth + path.end->referenceReading;
        theoretical = leaving - entering + 180 * n;
        theoretical += 360 * std::round((m.sumMeasured - theoretical) / 360);
    }
    m.sumTheoretical = theoretical;
    m.angular = (m.sumMeasured - theoretical) * 3600;
    m.angularLimit = angularLimit(settings, path.angles.size());
}

std::vector<double> plusCorrections(const std::vector<double>& angles,
                                    const std::vector<double>& seconds) {
    std::vector<double> corrected = angles;
    for (std::size_t i = 0; i < corrected.size() && i < seconds.size(); ++i)
        corrected[i] = normalizedDegrees(corrected[i] + seconds[i] / 3600);
    return corrected;
}

void computeIncrements(const TraversePath& path, TraverseAdjustment& a) {
    for (std::size_t i = 0; i < path.sides.size(); ++i) {
        const double alpha = a.azimuths[i] * kRadiansPerDegree;
        a.dx.push_back(path.sides[i].distance * std::cos(alpha));
        a.dy.push_back(path.sides[i].distance * std::sin(alpha));
        a.dh.push_back(path.sides[i].heightDifference);
    }
}

// Coordinates along the path from the first station, increments plus their corrections.
std::vector<double> accumulate(double start, const std::vector<double>& increments,
                               const std::vector<double>& corrections, std::size_t stations) {
    std::vector<double> values{start};
    for (std::size_t i = 0; i + 1 < stations; ++i)
        values.push_back(values.back() + increments[i] + (corrections.empty() ? 0 : corrections[i]));
    return values;
}

void checkLinear(const TraversePath& path, const TraverseAdjustment& a,
                 const TraverseSettings& settings, Misclosures& m) {
    m.length = 0;
    for (const PathSide& side : path.sides) m.length += side.distance;
    m.relativeLimit = settings.relativeLimit;
    if (!path.linearCheck()) return;
    const PathStation& end = path.shape == TraverseShape::Closed ? path.stations.front()
                                                                 : path.last();
    m.fx = sumOf(a.dx) - (end.x - path.stations.front().x);
    m.fy = sumOf(a.dy) - (end.y - path.stations.front().y);
    m.fs = std::hypot(m.fx, m.fy);
}

bool hasHeight(const PathStation& station) { return recorded(station.z) && station.z != 0; }

void checkHeights(const TraversePath& path, const TraverseSettings& settings, Misclosures& m) {
    const bool sidesMeasured = std::all_of(path.sides.begin(), path.sides.end(),
                                           [](const PathSide& s) { return recorded(s.heightDifference); });
    const bool endsKnown = hasHeight(path.stations.front()) &&
                           (!path.linearCheck() || path.shape == TraverseShape::Closed ||
                            hasHeight(path.last()));
    m.heights = sidesMeasured && endsKnown;
    if (!m.heights || !path.linearCheck()) return;
    double sum = 0;
    for (const PathSide& side : path.sides) sum += side.heightDifference;
    const PathStation& end = path.shape == TraverseShape::Closed ? path.stations.front()
                                                                 : path.last();
    m.fh = sum - (end.z - path.stations.front().z);
    m.heightLimit = heightLimit(settings, m.length, path.sides.size(), path.unit);
}

// The orientation of every station's circle from the adjusted directional angles: along the
// side leaving it, or at the end of a link or hanging traverse the side arriving reversed.
std::vector<double> stationOrientations(const TraversePath& path,
                                        const std::vector<double>& azimuths,
                                        const ObservationList& list) {
    std::vector<double> orientations;
    for (std::size_t i = 0; i < path.stations.size(); ++i) {
        const PathStation& station = path.stations[i];
        const bool leaving = i < path.sides.size();
        const std::size_t neighbour = leaving ? path.sideEnd(i) : i - 1;
        const double azimuth = leaving ? azimuths[i] : azimuths[i - 1] + 180;
        const double reading = station.directionTo(path.stations[neighbour].number, list);
        orientations.push_back(i == 0 ? path.start.circleAzimuth
                                      : normalizedDegrees(azimuth - reading));
    }
    return orientations;
}

constexpr double kMillimetre = 0.001;  // of the file's unit

// Known stations keep their coordinates (the rounded corrections may leave them a fraction
// of a millimetre off).
void keepKnownStations(const TraversePath& path, TraverseAdjustment& a) {
    for (std::size_t i = 0; i < path.stations.size(); ++i) {
        const PathStation& station = path.stations[i];
        if (!station.known) continue;
        a.x[i] = station.x;
        a.y[i] = station.y;
        if (!a.z.empty()) a.z[i] = station.z;
    }
}

TraverseAdjustment handSheetAdjustment(const TraversePath& path, const Misclosures& m,
                                       const ObservationList& list) {
    TraverseAdjustment a;
    if (recorded(m.angular)) a.angleCorrections = angleCorrections(path, m.angular);
    a.azimuths = sideAzimuths(path, plusCorrections(path.angles, a.angleCorrections));
    computeIncrements(path, a);
    std::vector<double> lengths;
    for (const PathSide& side : path.sides) lengths.push_back(side.distance);
    if (recorded(m.fs)) {
        a.vx = distributeInSteps(m.fx, lengths, kMillimetre);
        a.vy = distributeInSteps(m.fy, lengths, kMillimetre);
    }
    if (recorded(m.fh)) a.vh = distributeInSteps(m.fh, lengths, kMillimetre);
    const std::size_t n = path.stations.size();
    a.x = accumulate(path.stations.front().x, a.dx, a.vx, n);
    a.y = accumulate(path.stations.front().y, a.dy, a.vy, n);
    if (m.heights) a.z = accumulate(path.stations.front().z, a.dh, a.vh, n);
    keepKnownStations(path, a);
    a.orientations = stationOrientations(path, a.azimuths, list);
    return a;
}

AdjustedPoint adjustedPoint(const PathStation& station, double x, double y, double z) {
    return {station.point, station.number, x, y, z};
}

// The inner stations (and a hanging traverse's end) with their adjusted coordinates.
std::vector<AdjustedPoint> writtenStations(const TraversePath& path, const TraverseAdjustment& a) {
    std::vector<AdjustedPoint> written;
    for (std::size_t i = 0; i < path.stations.size(); ++i) {
        const PathStation& station = path.stations[i];
        if (station.known) continue;
        const double z = a.z.empty() ? (recorded(station.z) ? station.z : 0) : a.z[i];
        written.push_back(adjustedPoint(station, a.x[i], a.y[i], z));
    }
    return written;
}

// A point a 08 TP record derived from the sight, computed again from the station's adjusted
// position and circle orientation; nothing for a sight that is not a face reading.
std::optional<AdjustedPoint> recomputedPoint(const ObservationList& list, const Sight& sight,
                                             double x, double y, double z, double orientation,
                                             const TraverseSettings& settings) {
    if (!isFaceReading(sight.kind) || !recorded(horizontalReading(sight)) ||
        !recorded(verticalReading(sight)) || !recorded(slopeDistance(sight)))
        return std::nullopt;
    double zenith = zenithReading(list.setUps[sight.setUp].vertical, verticalReading(sight));
    double reading = horizontalReading(sight);
    if (sight.kind == SightKind::FaceRight) {
        zenith = 360 - zenith;
        reading -= 180;
    }
    const double distance = slopeDistance(sight) * std::sin(zenith * kRadiansPerDegree);
    const double alpha = (orientation + reading) * kRadiansPerDegree;
    AdjustedPoint point;
    point.x = x + distance * std::cos(alpha);
    point.y = y + distance * std::sin(alpha);
    point.z = z + trigonometricHeight(slopeDistance(sight), zenith,
                                      list.setUps[sight.setUp].instrumentHeight,
                                      sight.targetHeight, settings.refraction,
                                      earthRadius(list.distanceUnit));
    return point;
}

std::vector<AdjustedPoint> recomputedPoints(const ObservationList& list,
                                            const KnownPoints& points, const TraversePath& path,
                                            const TraverseAdjustment& a,
                                            const TraverseRequest& request) {
    std::unordered_set<std::string_view> untouched;
    for (const PathStation& s : path.stations) untouched.insert(s.number);
    for (const auto* sights : {&request.startSights, &request.endSights})
        for (const std::string& number : *sights) untouched.insert(number);
    std::vector<AdjustedPoint> recomputed;
    for (const DerivedPoint& derived : list.derived) {
        if (!points.isDerived(derived.point)) continue;
        const Sight& sight = list.sights[derived.sight];
        const std::string_view number = list.targetOf(sight);
        if (sight.excluded || untouched.contains(number)) continue;
        for (std::size_t i = 0; i < path.stations.size(); ++i) {
            const PathStation& station = path.stations[i];
            if (!station.hasSetUp || station.setUp != sight.setUp ||
                !recorded(a.orientations[i]))
                continue;
            if (points.holders(number).size() > 1)
                throw Refused{"Номер " + shown(number) +
                              " носят несколько точек: неясно, в какую записать координаты."};
            const double z = a.z.empty() ? points.store().z()[derived.point] : a.z[i];
            const double stationZ = a.z.empty() ? kNotRecorded : z;
            auto point = recomputedPoint(list, sight, a.x[i], a.y[i], stationZ,
                                         a.orientations[i], request.settings);
            if (!point) continue;
            point->point = derived.point;
            point->number = std::string(number);
            if (!recorded(stationZ)) point->z = z;
            recomputed.push_back(*point);
        }
    }
    return recomputed;
}

// Without observations between the stations: the elements from their coordinates.
TraverseResult traverseElements(const KnownPoints& points, const TraverseRequest& request) {
    std::vector<StationPosition> stations;
    const PointStore& store = points.store();
    for (const std::string& number : request.stations) {
        const std::vector<std::size_t>& holders = points.holders(number);
        if (holders.empty()) throw Refused{"Нет координат станции " + shown(number) + "."};
        const std::size_t i = holders.front();
        stations.push_back({number, store.x()[i], store.y()[i], store.z()[i]});
    }
    TraverseResult result;
    result.sheet = elementsSheet(stations, request.shape == TraverseShape::Closed);
    return result;
}

TraverseResult computeWithObservations(PathBuilder& builder, const ObservationList& list,
                                       const TraverseRequest& request) {
    TraversePath path = builder.build();
    Misclosures m;
    if (path.angularCheck()) checkAngles(path, request.settings, m);
    TraverseAdjustment adjustment = handSheetAdjustment(path, m, list);
    checkLinear(path, adjustment, request.settings, m);
    checkHeights(path, request.settings, m);
    adjustment = handSheetAdjustment(path, m, list);
    TraverseResult result;
    std::optional<LeastSquaresTraverse> lsq;
    if (request.method == TraverseMethod::LeastSquares && path.shape != TraverseShape::Hanging) {
        lsq = adjustByLeastSquares(path, adjustment, request.settings);
        adjustment = lsq->adjustment;
        result.accuracySheet = accuracySheet(path, *lsq, request.settings);
    }
    result.sheet = computationSheet(path, adjustment, m, request, list, lsq.has_value());
    result.withinLimits = m.within();
    result.stations = writtenStations(path, adjustment);
    result.recomputed = recomputedPoints(list, builder.points(), path, adjustment, request);
    return result;
}

}  // namespace

double PathStation::directionTo(const std::string& target, const ObservationList& list) const {
    for (const ReducedTarget& t : reduced.targets) {
        if (list.names[t.target] == target) return t.direction;
    }
    return kNotRecorded;
}

std::vector<double> sideAzimuths(const TraversePath& path, const std::vector<double>& angles) {
    std::vector<double> azimuths;
    double alpha = 0;
    std::size_t first = 0;
    if (path.shape == TraverseShape::Closed) {
        alpha = path.start.circleAzimuth + path.stations.front().directionTo(
                                               path.stations[1].number, *path.observations);
    } else {
        alpha = path.start.circleAzimuth + path.start.referenceReading + 180 + angles[0] - 180;
        first = 1;
    }
    azimuths.push_back(normalizedDegrees(alpha));
    for (std::size_t i = 1; i < path.sides.size(); ++i) {
        alpha = azimuths.back() + angles[i - 1 + first] - 180;
        azimuths.push_back(normalizedDegrees(alpha));
    }
    return azimuths;
}

std::variant<TraverseResult, TraverseRefusal> computeTraverse(const PointStore& store,
                                                              const ObservationList& observations,
                                                              const TraverseRequest& request) {
    if (auto refusal = requestRefusal(request, observations)) return TraverseRefusal{*refusal};
    try {
        PathBuilder builder(store, observations, request);
        if (!builder.anyObservations()) return traverseElements(builder.points(), request);
        return computeWithObservations(builder, observations, request);
    } catch (const Refused& refused) {
        return TraverseRefusal{refused.message};
    }
}

std::vector<std::string> proposedStartSights(const PointStore& store,
                                             const ObservationList& observations,
                                             const std::vector<std::string>& stations) {
    std::vector<std::string> proposed;
    if (stations.empty()) return proposed;
    const KnownPoints points(store, observations);
    for (const Sight& sight : observations.sights) {
        const std::string number(observations.targetOf(sight));
        if (sight.kind == SightKind::Backsight && !sight.excluded &&
            observations.stationOf(sight) == stations.front() && points.known(number) &&
            std::find(proposed.begin(), proposed.end(), number) == proposed.end())
            proposed.push_back(number);
    }
    return proposed;
}

std::vector<std::string> proposedEndSights(const PointStore& store,
                                           const ObservationList& observations,
                                           const std::vector<std::string>& stations) {
    std::vector<std::string> proposed;
    if (stations.size() < 2) return proposed;
    const KnownPoints points(store, observations);
    for (const Sight& sight : observations.sights) {
        const std::string number(observations.targetOf(sight));
        const bool onPath = std::find(stations.begin(), stations.end(), number) != stations.end();
        if (isFaceReading(sight.kind) && !sight.excluded && !onPath &&
            observations.stationOf(sight) == stations.back() && points.known(number) &&
            std::find(proposed.begin(), proposed.end(), number) == proposed.end())
            proposed.push_back(number);
    }
    return proposed;
}

}  // namespace korvela
