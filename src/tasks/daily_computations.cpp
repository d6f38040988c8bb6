#include "tasks/daily_computations.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>
#include <unordered_map>

#include "common/angle_text.h"
#include "common/cp1251.h"
#include "common/number_text.h"
#include "tasks/cogo_report.h"
#include "tasks/observation_reduction.h"
#include "tasks/plane_similarity.h"

namespace korvela {
namespace {

constexpr double kRadiansPerDegree = std::numbers::pi / 180;
constexpr double kSecondsPerDegree = 3600;
constexpr double kMillimetresPerMetre = 1000;
constexpr std::size_t kMostDigitsOfANumber = 18;  // whole numbers that a long long holds

// A refusal ends a task wherever it is found; attempt() turns it into the outcome.
struct Refused {
    CogoRefusal refusal;
};

[[noreturn]] void refuse(CogoRefusalKind kind, const std::string& text) {
    throw Refused{{kind, text}};
}

std::string quoted(const std::string& number) { return "«" + cp1251ToUtf8(number) + "»"; }

struct Known {
    std::string number;
    PlanePosition plane;
    double z = 0;
};

// The store's points by number. A number held by several points stands for them when they lie
// at one place; otherwise for its ordinary points (keyed in, control) when those lie at one
// place, since a station record often holds provisional coordinates; otherwise it is refused
// rather than one of them taken at random.
class KnownPoints {
public:
    explicit KnownPoints(const PointStore& store) : store_(store) {
        for (std::size_t i = 0; i < store.count(); ++i) holders_[store.number()[i]].push_back(i);
    }
    Known operator()(const std::string& number) const {
        const auto found = holders_.find(number);
        if (found == holders_.end())
            refuse(CogoRefusalKind::MissingPoint, "Нет точки с номером " + quoted(number) + ".");
        const std::size_t i = onePlace(found->second, number);
        return {number, {store_.x()[i], store_.y()[i]}, store_.z()[i]};
    }
    template <typename Item>
    std::vector<Known> all(const std::vector<Item>& items) const {
        std::vector<Known> points;
        for (const Item& item : items) points.push_back((*this)(item.point));
        return points;
    }

private:
    bool samePlace(std::size_t a, std::size_t b) const {
        return store_.x()[a] == store_.x()[b] && store_.y()[a] == store_.y()[b] &&
               store_.z()[a] == store_.z()[b];
    }
    std::optional<std::size_t> agreeing(const std::vector<std::size_t>& points) const {
        if (points.empty()) return std::nullopt;
        for (std::size_t i : points) {
            if (!samePlace(i, points.front())) return std::nullopt;
        }
        return points.front();
    }
    std::size_t onePlace(const std::vector<std::size_t>& holders,
                         const std::string& number) const {
        if (const auto all = agreeing(holders)) return *all;
        std::vector<std::size_t> ordinary;
        for (std::size_t i : holders) {
            if (store_.kind()[i] == kKindPoint) ordinary.push_back(i);
        }
        if (const auto point = agreeing(ordinary)) return *point;
        refuse(CogoRefusalKind::AmbiguousPoint, "Номер " + quoted(number) +
                                                  " носят точки с разными координатами: "
                                                  "оставьте одну из них.");
    }

    const PointStore& store_;
    std::unordered_map<std::string_view, std::vector<std::size_t>> holders_;
};

void requireApart(const std::vector<Known>& points) {
    for (std::size_t i = 0; i < points.size(); ++i) {
        for (std::size_t j = i + 1; j < points.size(); ++j) {
            if (planeDistance(points[i].plane, points[j].plane) == 0)
                refuse(CogoRefusalKind::CoincidentPoints, "Исходные точки " +
                                                              quoted(points[i].number) + " и " +
                                                              quoted(points[j].number) +
                                                              " совпадают в плане.");
        }
    }
}

void requireCount(std::size_t count, std::size_t fewest, const char* what) {
    if (count < fewest)
        refuse(CogoRefusalKind::NotSolved,
               "Нужно не меньше " + std::to_string(fewest) + " " + what + ".");
}

// The known points of a task's items: at least `fewest`, all found, no two at one place.
template <typename Item>
std::vector<Known> distinctKnown(const KnownPoints& find, const std::vector<Item>& items,
                                 std::size_t fewest, const char* what) {
    requireCount(items.size(), fewest, what);
    std::vector<Known> points = find.all(items);
    requireApart(points);
    return points;
}

[[noreturn]] void refuseUnsolved() {
    refuse(CogoRefusalKind::NotSolved, "Положение точки по этим измерениям не определяется.");
}

void requireCrossing(double angle, double limit, const char* what) {
    if (!crossesWithin(angle, limit))
        refuse(CogoRefusalKind::WeakCrossing,
               std::string(what) + " пересекаются в новой точке под углом " + dmsText(angle) +
                   ", допустимо от " + dmsText(limit) + " до " + dmsText(180 - limit) + ".");
}

void requireStationError(const PlaneFit& fit, const CogoSettings& settings) {
    const double millimetres = fit.pointError * kMillimetresPerMetre;
    if (!(millimetres <= settings.stationErrorLimitMillimetres))
        refuse(CogoRefusalKind::StationError,
               "СКО положения точки " + formatFixed(millimetres, 1) + " мм больше допуска " +
                   formatNumber(settings.stationErrorLimitMillimetres) + " мм.");
}

template <typename Task>
CogoOutcome attempt(const CogoSettings& settings, Task task) {
    try {
        if (!isValidCogoSettings(settings))
            refuse(CogoRefusalKind::UnusableSettings, "Недопустимые допуски задач.");
        return task();
    } catch (const Refused& refused) {
        return {refused.refusal, {}, {}};
    }
}

PointStore newPoint(const std::string& number, PlanePosition p, double z, std::int32_t kind) {
    PointStore points;
    points.append(number, p.x, p.y, z, kColourAqua, kind);
    return points;
}

std::string numberFor(const PointStore& store, const std::string& name) {
    return name.empty() ? nextPointNumber(store) : name;
}

PlanePosition polarPoint(PlanePosition from, double azimuth, double distance) {
    return {from.x + distance * std::cos(azimuth * kRadiansPerDegree),
            from.y + distance * std::sin(azimuth * kRadiansPerDegree)};
}

double sigmaDistance(const CogoSettings& s, double metres) {
    return s.sigmaDistanceMillimetres / kMillimetresPerMetre + s.sigmaDistancePpm * metres / 1e6;
}

double sigmaDirection(const CogoSettings& s) {
    return s.sigmaDirectionSeconds / kSecondsPerDegree * kRadiansPerDegree;
}

// The circle's orientation at a station from readings to known points: the mean of
// (directional angle − reading) weighted by distance, each sight's deviation from it.
struct CircleOrientation {
    double azimuth = 0;
    std::vector<CogoReport::OrientationRow> rows;
};

CircleOrientation orientCircle(PlanePosition station, const std::vector<Known>& points,
                               const std::vector<double>& readings) {
    CircleOrientation result;
    double weights = 0, weighted = 0;
    for (std::size_t i = 0; i < points.size(); ++i) {
        const double azimuth = azimuthBetween(station, points[i].plane);
        result.rows.push_back({points[i].number, readings[i], azimuth,
                               planeDistance(station, points[i].plane), 0});
    }
    // Differences from the first sight's value keep the mean away from the 0°/360° seam.
    const double base = result.rows.front().azimuth - result.rows.front().reading;
    for (const auto& row : result.rows) {
        weights += row.distance;
        weighted += row.distance * signedDegrees(row.azimuth - row.reading - base);
    }
    result.azimuth = normalizedDegrees(base + weighted / weights);
    for (auto& row : result.rows)
        row.deviationSeconds =
            signedDegrees(row.azimuth - row.reading - result.azimuth) * kSecondsPerDegree;
    return result;
}

std::vector<double> valuesOf(const std::vector<SightValue>& items) {
    std::vector<double> values;
    for (const SightValue& item : items) values.push_back(item.value);
    return values;
}

void knownRows(CogoReport& report, const std::vector<Known>& points,
               const std::vector<std::string>& observed, const char* observedCaption) {
    report.row({"Точка", "X", "Y", observedCaption});
    for (std::size_t i = 0; i < points.size(); ++i)
        report.row({cp1251ToUtf8(points[i].number), lengthText(points[i].plane.x),
                    lengthText(points[i].plane.y), observed[i]});
}

std::vector<std::string> anglesText(const std::vector<double>& values) {
    std::vector<std::string> texts;
    for (double value : values) texts.push_back(dmsText(value));
    return texts;
}

std::string sideText(LineSide side, const std::vector<Known>& points) {
    return std::string(side == LineSide::Right ? "справа" : "слева") + " от линии " +
           cp1251ToUtf8(points[0].number) + " - " + cp1251ToUtf8(points[1].number);
}

// The pair (or triple) of indices whose construction crosses best: nearest to 90°.
double crossingScore(double angle) { return std::min(angle, 180 - angle); }

void stationLine(CogoReport& report, const Known& station) {
    report.row({"Станция", cp1251ToUtf8(station.number), lengthText(station.plane.x),
                lengthText(station.plane.y), lengthText(station.z)});
}

std::vector<CogoReport::ObservationRow> observationRows(const std::vector<Known>& points,
                                                        const std::vector<std::string>& observed,
                                                        bool angle) {
    std::vector<CogoReport::ObservationRow> rows;
    for (std::size_t i = 0; i < points.size(); ++i)
        rows.push_back({points[i].number, observed[i], angle});
    return rows;
}

// Least squares from the start values; refused when the observations do not fix the point
// or its standard error is beyond the limit.
PlaneFit adjust(const std::vector<PlaneObservation>& observations, PlanePosition start,
                double startOrientation, const CogoSettings& settings) {
    const auto fit = fitPlanePoint(observations, start, startOrientation);
    if (!fit) refuseUnsolved();
    requireStationError(*fit, settings);
    return *fit;
}

std::vector<PlaneObservation> observationsOf(PlaneObservationKind kind,
                                             const std::vector<Known>& points,
                                             const std::vector<double>& values,
                                             const CogoSettings& settings) {
    std::vector<PlaneObservation> observations;
    for (std::size_t i = 0; i < points.size(); ++i)
        observations.push_back({kind, points[i].plane, values[i],
                                kind == PlaneObservationKind::Distance
                                    ? sigmaDistance(settings, values[i])
                                    : sigmaDirection(settings)});
    return observations;
}

// The report closed with the new point, which the outcome appends (its height 0 when not
// determined).
CogoOutcome withNewPoint(CogoReport& report, const PointStore& store, const std::string& name,
                         PlanePosition p, std::optional<double> height, std::int32_t kind,
                         const CogoSettings& settings) {
    const std::string number = numberFor(store, name);
    report.newPoint(number, p.x, p.y, height.value_or(0), height.has_value());
    return {std::nullopt, report.finish(settings), newPoint(number, p, height.value_or(0), kind)};
}

std::vector<std::string> lengthsText(const std::vector<double>& values) {
    std::vector<std::string> texts;
    for (double value : values) texts.push_back(lengthText(value));
    return texts;
}

}  // namespace

std::string nextPointNumber(const PointStore& store) {
    long long largest = 0;
    for (std::string_view number : store.number()) {
        if (number.empty() || number.size() > kMostDigitsOfANumber ||
            number.find_first_not_of("0123456789") != std::string_view::npos)
            continue;
        largest = std::max(largest, std::stoll(std::string(number)));
    }
    return std::to_string(largest + 1);
}

CogoOutcome computeInverse(const PointStore& store, const InverseRequest& request,
                           const CogoSettings& settings) {
    return attempt(settings, [&] {
        const KnownPoints find(store);
        const Known a = find(request.from), b = find(request.to);
        requireApart({a, b});
        const double horizontal = planeDistance(a.plane, b.plane);
        const double rise = b.z - a.z;
        CogoReport report("Обратная задача");
        report.row({"От точки", cp1251ToUtf8(a.number)})
            .row({"До точки", cp1251ToUtf8(b.number)})
            .row({"Дирекционный угол", dmsText(azimuthBetween(a.plane, b.plane))})
            .row({"Обратный дирекционный угол", dmsText(azimuthBetween(b.plane, a.plane))})
            .row({"Горизонтальное проложение, м", lengthText(horizontal)})
            .row({"Превышение, м", signedLengthText(rise)})
            .row({"Наклонное расстояние, м", lengthText(std::hypot(horizontal, rise))});
        return CogoOutcome{std::nullopt, report.finish(settings), {}};
    });
}

CogoOutcome computePolar(const PointStore& store, const PolarRequest& request,
                         const CogoSettings& settings) {
    return attempt(settings, [&] {
        const KnownPoints find(store);
        const Known station = find(request.station);
        requireCount(request.orientation.size(), 1, "точки ориентирования");
        std::vector<Known> sighted = find.all(request.orientation);
        sighted.insert(sighted.begin(), station);
        requireApart(sighted);
        sighted.erase(sighted.begin());
        if (!(request.distance > 0))
            refuse(CogoRefusalKind::NotSolved, "Расстояние должно быть больше нуля.");

        const CircleOrientation circle =
            orientCircle(station.plane, sighted, valuesOf(request.orientation));
        const double azimuth = normalizedDegrees(circle.azimuth + request.reading);
        const bool height = request.zenith.has_value();
        const double horizontal =
            height ? request.distance * std::sin(*request.zenith * kRadiansPerDegree)
                   : request.distance;
        const double rise =
            height ? trigonometricHeight(request.distance, *request.zenith,
                                         request.instrumentHeight, request.targetHeight,
                                         settings.refraction, earthRadius(DistanceUnit::Metres))
                   : 0;
        const PlanePosition p = polarPoint(station.plane, azimuth, horizontal);

        CogoReport report("Полярная засечка");
        stationLine(report, station);
        report.orientation(circle.azimuth, circle.rows)
            .row({"Отсчёт на новую точку", dmsText(request.reading)})
            .row({"Дирекционный угол", dmsText(azimuth)});
        if (height) {
            report.row({"Наклонное расстояние, м", lengthText(request.distance)})
                .row({"Зенитное расстояние", dmsText(*request.zenith)})
                .row({"Высота инструмента, м", lengthText(request.instrumentHeight)})
                .row({"Высота цели, м", lengthText(request.targetHeight)});
        }
        report.row({"Горизонтальное проложение, м", lengthText(horizontal)});
        if (height) report.row({"Превышение, м", signedLengthText(rise)});
        return withNewPoint(report, store, request.name, p,
                            height ? std::optional(station.z + rise) : std::nullopt, kKindPoint,
                            settings);
    });
}

CogoOutcome computeStakeout(const PointStore& store, const StakeoutRequest& request,
                            const CogoSettings& settings) {
    return attempt(settings, [&] {
        const KnownPoints find(store);
        const Known station = find(request.station), orient = find(request.orientation);
        std::vector<Known> design;
        for (const std::string& number : request.points) design.push_back(find(number));
        for (const Known& point : design) requireApart({station, point});
        requireApart({station, orient});

        const double orientAzimuth = azimuthBetween(station.plane, orient.plane);
        CogoReport report("Вынос в натуру");
        stationLine(report, station);
        report.row({"Ориентир", cp1251ToUtf8(orient.number), "дирекционный угол",
                    dmsText(orientAzimuth)})
            .row({"Высота инструмента, м", lengthText(request.instrumentHeight)})
            .row({"Высота цели, м", lengthText(request.targetHeight)})
            .row({"Точка", "Дирекционный угол", "Угол от ориентира", "Горизонтальное проложение",
                  "Превышение", "Наклонное расстояние", "Зенитное расстояние"});
        for (const Known& point : design) {
            const double azimuth = azimuthBetween(station.plane, point.plane);
            const double horizontal = planeDistance(station.plane, point.plane);
            // The target stands on the point; the instrument's axis is above the station.
            const double seen = point.z + request.targetHeight - station.z - request.instrumentHeight;
            report.row({cp1251ToUtf8(point.number), dmsText(azimuth),
                        dmsText(azimuth - orientAzimuth), lengthText(horizontal),
                        signedLengthText(point.z - station.z),
                        lengthText(std::hypot(horizontal, seen)),
                        dmsText(std::atan2(horizontal, seen) / kRadiansPerDegree)});
        }
        return CogoOutcome{std::nullopt, report.finish(settings), {}};
    });
}

CogoOutcome computeIntersection(const PointStore& store, const IntersectionRequest& request,
                                const CogoSettings& settings) {
    return attempt(settings, [&] {
        const std::vector<Known> points =
            distinctKnown(KnownPoints(store), request.rays, 2, "лучей");
        std::vector<double> azimuths = valuesOf(request.rays);
        CogoReport report("Прямая угловая засечка");
        if (request.measuredAngles) {
            if (points.size() != 2) refuse(CogoRefusalKind::NotSolved, "Углы измеряются на двух точках.");
            const RayPair rays = raysFromBaseAngles(points[0].plane, points[1].plane, azimuths[0],
                                                    azimuths[1], *request.measuredAngles);
            knownRows(report, points, anglesText(azimuths), "Измеренный угол");
            report.row({"Новая точка", sideText(*request.measuredAngles, points)});
            azimuths = {rays.fromA, rays.fromB};
        }
        knownRows(report, points, anglesText(azimuths), "Дирекционный угол");

        std::size_t bestA = 0, bestB = 1;
        for (std::size_t i = 0; i < points.size(); ++i)
            for (std::size_t j = i + 1; j < points.size(); ++j)
                if (crossingScore(rayCrossingAngle(azimuths[i], azimuths[j])) >
                    crossingScore(rayCrossingAngle(azimuths[bestA], azimuths[bestB])))
                    bestA = i, bestB = j;
        const double angle = rayCrossingAngle(azimuths[bestA], azimuths[bestB]);
        requireCrossing(angle, settings.intersectionLimitDegrees, "Лучи");
        const auto crossing = intersectRays(points[bestA].plane, azimuths[bestA],
                                            points[bestB].plane, azimuths[bestB]);
        if (!crossing)
            refuse(CogoRefusalKind::RaysApart, "Лучи из " + quoted(points[bestA].number) + " и " +
                                                   quoted(points[bestB].number) +
                                                   " не пересекаются впереди исходных точек.");
        report.row({"Угол пересечения лучей " + cp1251ToUtf8(points[bestA].number) + ", " +
                        cp1251ToUtf8(points[bestB].number),
                    dmsText(angle)});
        PlanePosition p = *crossing;
        if (points.size() > 2) {
            const PlaneFit fit = adjust(
                observationsOf(PlaneObservationKind::RayFromKnown, points, azimuths, settings), p,
                0, settings);
            report.residuals(observationRows(points, anglesText(azimuths), true), fit);
            p = fit.point;
        }
        return withNewPoint(report, store, request.name, p, std::nullopt, kKindPoint, settings);
    });
}

CogoOutcome computeDistanceIntersection(const PointStore& store,
                                        const DistanceIntersectionRequest& request,
                                        const CogoSettings& settings) {
    return attempt(settings, [&] {
        const std::vector<Known> points =
            distinctKnown(KnownPoints(store), request.distances, 2, "расстояний");
        const std::vector<double> distances = valuesOf(request.distances);
        CogoReport report("Линейная засечка");
        knownRows(report, points, lengthsText(distances), "Расстояние");

        // The pair whose circles meet and cross best.
        std::optional<CircleCrossing> best;
        std::size_t bestA = 0, bestB = 1;
        for (std::size_t i = 0; i < points.size(); ++i)
            for (std::size_t j = i + 1; j < points.size(); ++j) {
                const auto crossing = intersectCircles(points[i].plane, distances[i],
                                                       points[j].plane, distances[j],
                                                       request.side);
                if (crossing && (!best || crossingScore(crossing->angle) > crossingScore(best->angle)))
                    best = crossing, bestA = i, bestB = j;
            }
        if (!best)
            refuse(CogoRefusalKind::CirclesApart,
                   "Окружности радиусов " + lengthText(distances[0]) + " и " +
                       lengthText(distances[1]) + " м вокруг " + quoted(points[0].number) + " и " +
                       quoted(points[1].number) + " не пересекаются.");
        requireCrossing(best->angle, settings.intersectionLimitDegrees, "Окружности");
        report.row({"Угол пересечения окружностей " + cp1251ToUtf8(points[bestA].number) + ", " +
                        cp1251ToUtf8(points[bestB].number),
                    dmsText(best->angle)});
        PlanePosition p = best->point;
        if (points.size() == 2) {
            report.row({"Новая точка", sideText(request.side, points)});
        } else {
            // Of the pair's two crossings, the one the other distances fit.
            const auto misfit = [&](PlanePosition q) {
                double sum = 0;
                for (std::size_t i = 0; i < points.size(); ++i)
                    sum += std::pow(planeDistance(q, points[i].plane) - distances[i], 2);
                return sum;
            };
            const LineSide other = request.side == LineSide::Right ? LineSide::Left : LineSide::Right;
            const auto mirrored = intersectCircles(points[bestA].plane, distances[bestA],
                                                   points[bestB].plane, distances[bestB], other);
            if (mirrored && misfit(mirrored->point) < misfit(p)) p = mirrored->point;
            const PlaneFit fit = adjust(
                observationsOf(PlaneObservationKind::Distance, points, distances, settings), p, 0,
                settings);
            report.residuals(observationRows(points, lengthsText(distances), false), fit);
            p = fit.point;
        }
        return withNewPoint(report, store, request.name, p, std::nullopt, kKindPoint, settings);
    });
}

CogoOutcome computeResection(const PointStore& store, const ResectionRequest& request,
                             const CogoSettings& settings) {
    return attempt(settings, [&] {
        const std::vector<Known> points =
            distinctKnown(KnownPoints(store), request.directions, 3, "направлений");
        const std::vector<double> directions = valuesOf(request.directions);
        CogoReport report("Обратная засечка");
        knownRows(report, points, anglesText(directions), "Направление");

        std::optional<CircleCrossing> best;
        std::array<std::size_t, 3> triple{0, 1, 2};
        const std::size_t n = points.size();
        for (std::size_t i = 0; i < n; ++i)
            for (std::size_t j = i + 1; j < n; ++j)
                for (std::size_t k = j + 1; k < n; ++k) {
                    const auto station =
                        resectThree(points[i].plane, directions[i], points[j].plane,
                                    directions[j], points[k].plane, directions[k]);
                    if (station && (!best || crossingScore(station->angle) > crossingScore(best->angle)))
                        best = station, triple = {i, j, k};
                }
        const double limit = settings.resectionLimitDegrees;
        if (!best || !crossesWithin(best->angle, limit))
            refuse(CogoRefusalKind::DangerCircle,
                   "Окружности обратной засечки пересекаются под углом " +
                       dmsText(best ? best->angle : 0) + ", допустимо от " + dmsText(limit) +
                       " до " + dmsText(180 - limit) +
                       ": станция на опасной окружности или вблизи неё.");
        for (const Known& point : points)
            if (planeDistance(point.plane, best->point) == 0) refuseUnsolved();
        report.row({"Угол пересечения окружностей " + cp1251ToUtf8(points[triple[0]].number) +
                        ", " + cp1251ToUtf8(points[triple[1]].number) + ", " +
                        cp1251ToUtf8(points[triple[2]].number),
                    dmsText(best->angle)});
        const CircleOrientation circle = orientCircle(best->point, points, directions);
        PlanePosition p = best->point;
        if (n == 3) {
            report.orientation(circle.azimuth, circle.rows);
        } else {
            const PlaneFit fit = adjust(observationsOf(PlaneObservationKind::DirectionAtPoint,
                                                       points, directions, settings),
                                        p, circle.azimuth, settings);
            report.line("Ориентирование: азимут нуля лимба " + dmsText(fit.orientation))
                .residuals(observationRows(points, anglesText(directions), true), fit);
            p = fit.point;
        }
        return withNewPoint(report, store, request.name, p, std::nullopt, kKindStation, settings);
    });
}

CogoOutcome computeFreeStation(const PointStore& store, const FreeStationRequest& request,
                               const CogoSettings& settings) {
    return attempt(settings, [&] {
        const std::vector<Known> points =
            distinctKnown(KnownPoints(store), request.sights, 2, "исходных точек");
        // The sights in the station's own frame (X along the circle's zero), fitted onto the
        // known points, give the start values.
        std::vector<SpacePoint> known, local;
        std::vector<PlaneObservation> observations;
        std::vector<std::string> directions, distances;
        for (std::size_t i = 0; i < points.size(); ++i) {
            const FreeStationSight& sight = request.sights[i];
            if (!(sight.distance > 0))
                refuse(CogoRefusalKind::NotSolved, "Расстояние должно быть больше нуля.");
            known.push_back({points[i].plane.x, points[i].plane.y, 0});
            const PlanePosition seen = polarPoint({}, sight.direction, sight.distance);
            local.push_back({seen.x, seen.y, 0});
            observations.push_back({PlaneObservationKind::DirectionAtPoint, points[i].plane,
                                    sight.direction, sigmaDirection(settings)});
            observations.push_back({PlaneObservationKind::Distance, points[i].plane,
                                    sight.distance, sigmaDistance(settings, sight.distance)});
            directions.push_back(dmsText(sight.direction));
            distances.push_back(lengthText(sight.distance));
        }
        const auto similarity = fitPlaneSimilarity(known, local);
        if (!similarity || !similarity->finite()) refuseUnsolved();
        const auto start = similarity->apply(0, 0, 0);
        const PlaneFit fit = adjust(observations, {start[0], start[1]},
                                    similarity->rotation() / kRadiansPerDegree, settings);

        CogoReport report("Свободная станция");
        report.row({"Точка", "X", "Y", "Направление", "Расстояние"});
        std::vector<CogoReport::ObservationRow> rows;
        for (std::size_t i = 0; i < points.size(); ++i) {
            report.row({cp1251ToUtf8(points[i].number), lengthText(points[i].plane.x),
                        lengthText(points[i].plane.y), directions[i], distances[i]});
            rows.push_back({points[i].number, directions[i], true});
            rows.push_back({points[i].number, distances[i], false});
        }
        report.line("Ориентирование: азимут нуля лимба " + dmsText(fit.orientation))
            .residuals(rows, fit);
        return withNewPoint(report, store, request.name, fit.point, std::nullopt, kKindStation,
                            settings);
    });
}

}  // namespace korvela
