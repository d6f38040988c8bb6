#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <string>
#include <tuple>
#include <vector>

#include "common/angle_parse.h"
#include "common/cp1251.h"
#include "tasks/daily_computations.h"

namespace korvela {
namespace {

constexpr double kDegree = std::numbers::pi / 180;
constexpr double kTenthOfMillimetre = 1e-4;

struct Position {
    double x, y;
};

// The geometry the cases are built from, computed here by the textbook formulas.
double azimuth(Position from, Position to) {
    const double a = std::atan2(to.y - from.y, to.x - from.x) / kDegree;
    return a < 0 ? a + 360 : a;
}
double distance(Position a, Position b) { return std::hypot(b.x - a.x, b.y - a.y); }

// A survey of known points; P is where the new point truly is.
PointStore knownPoints(const std::vector<std::pair<std::string, Position>>& points) {
    PointStore store;
    for (const auto& [number, p] : points) store.append(number, p.x, p.y, 100, kColourAqua, 1);
    return store;
}

const Position kP{5123.4567, 7345.6789};
const std::vector<std::pair<std::string, Position>> kKnown = {
    {"A", {5023.1, 7201.9}}, {"B", {5310.7, 7290.2}}, {"C", {5270.3, 7511.8}},
    {"D", {4990.0, 7480.5}}, {"E", {5150.2, 7105.4}}};
Position known(const std::string& number) {
    for (const auto& [name, p] : kKnown)
        if (name == number) return p;
    return {};
}

// Directions read at P on a circle whose zero points along `zero`.
double reading(const std::string& target, double zero) {
    const double r = azimuth(kP, known(target)) - zero;
    return r < 0 ? r + 360 : r;
}

void expectAtP(const CogoOutcome& outcome, const std::string& label) {
    ASSERT_FALSE(outcome.refusal) << label << ": " << outcome.refusal->text;
    ASSERT_EQ(outcome.points.count(), 1u) << label;
    EXPECT_NEAR(outcome.points.x()[0], kP.x, kTenthOfMillimetre) << label;
    EXPECT_NEAR(outcome.points.y()[0], kP.y, kTenthOfMillimetre) << label;
}

TEST(AngleParse, TypedForms) {
    const struct {
        const char* text;
        double degrees;
    } accepted[] = {
        {"234 07 04", 234 + 7 / 60.0 + 4 / 3600.0},
        {"234-07-04", 234 + 7 / 60.0 + 4 / 3600.0},
        {"234-07-04.5", 234 + 7 / 60.0 + 4.5 / 3600.0},
        {"234°07′04″", 234 + 7 / 60.0 + 4 / 3600.0},
        {"234°07'04\"", 234 + 7 / 60.0 + 4 / 3600.0},
        {"234.11767", 234.11767},
        {" 12 30 ", 12.5},
        {"-0 00 30", -30 / 3600.0},
    };
    for (const auto& c : accepted) {
        const auto value = parseAngle(c.text);
        ASSERT_TRUE(value) << c.text;
        EXPECT_NEAR(*value, c.degrees, 1e-12) << c.text;
    }
    for (const char* text : {"", "abc", "234 60 00", "234 07 60", "234.5 07", "1 2 3 4", "12,5",
                             "1e2"})
        EXPECT_FALSE(parseAngle(text)) << text;
}

TEST(DailyComputations, SolvedBackFromKnownGeometry) {
    const PointStore store = knownPoints(kKnown);
    const CogoSettings settings;
    const double zero = 37.25;  // the circle's zero at P
    const auto atP = [&](const std::string& target) { return SightValue{target, reading(target, zero)}; };
    const auto ray = [](const std::string& from) { return SightValue{from, azimuth(known(from), kP)}; };
    const auto circle = [](const std::string& from) { return SightValue{from, distance(known(from), kP)}; };
    const Position a = known("A"), b = known("B");
    const double angleAtA = std::abs(azimuth(a, kP) - azimuth(a, b));
    const double angleAtB = std::abs(azimuth(b, kP) - azimuth(b, a));
    const auto sideOfP = [](Position from, Position to) {
        return (to.x - from.x) * (kP.y - from.y) - (to.y - from.y) * (kP.x - from.x) > 0
                   ? LineSide::Right
                   : LineSide::Left;
    };
    const LineSide side = sideOfP(a, b);
    // The station A reads B on a circle turned by 123°; P is polar from A.
    const double readingAtA = azimuth(a, b) - 123 + 360;
    const double polarReading = azimuth(a, kP) - 123 + 360;

    const struct {
        const char* label;
        CogoOutcome outcome;
    } cases[] = {
        {"two rays", computeIntersection(store, {{ray("A"), ray("B")}, {}, "P"}, settings)},
        {"angles at the base", computeIntersection(store, {{{"A", angleAtA}, {"B", angleAtB}}, side, "P"}, settings)},
        {"four rays", computeIntersection(store, {{ray("A"), ray("B"), ray("C"), ray("D")}, {}, "P"}, settings)},
        {"two circles", computeDistanceIntersection(store, {{circle("A"), circle("B")}, side, "P"}, settings)},
        {"three circles", computeDistanceIntersection(store, {{circle("A"), circle("B"), circle("D")}, LineSide::Left, "P"}, settings)},
        {"resection", computeResection(store, {{atP("A"), atP("B"), atP("C")}, "P"}, settings)},
        {"resection of five", computeResection(store, {{atP("A"), atP("B"), atP("C"), atP("D"), atP("E")}, "P"}, settings)},
        {"free station of two", computeFreeStation(store, {{{"A", reading("A", zero), distance(kP, known("A"))}, {"C", reading("C", zero), distance(kP, known("C"))}}, "P"}, settings)},
        {"polar", computePolar(store, {"A", {{"B", readingAtA}}, polarReading, distance(a, kP), {}, 0, 0, "P"}, settings)},
    };
    for (const auto& c : cases) expectAtP(c.outcome, c.label);
}

TEST(DailyComputations, ResectionWithKnownPointsOnOneLine) {
    const Position station{80, 120};
    const std::vector<std::pair<std::string, Position>> line = {
        {"1", {0, 0}}, {"2", {0, 100}}, {"3", {0, 250}}};
    ResectionRequest request{{}, "9"};
    for (const auto& [number, p] : line) request.directions.push_back({number, azimuth(station, p)});
    const CogoOutcome outcome = computeResection(knownPoints(line), request, {});
    ASSERT_FALSE(outcome.refusal) << outcome.refusal->text;
    EXPECT_NEAR(outcome.points.x()[0], station.x, kTenthOfMillimetre);
    EXPECT_NEAR(outcome.points.y()[0], station.y, kTenthOfMillimetre);
    EXPECT_EQ(outcome.points.kind()[0], kKindStation);
}

TEST(DailyComputations, PolarHeightAndSeveralOrientationPoints) {
    const PointStore store = knownPoints(kKnown);
    const double zero = 300.5, zenith = 86.5, ih = 1.55, th = 1.8, k = 0.14, radius = 6371000;
    const Position s = known("D");
    const double horizontal = distance(s, kP), slope = horizontal / std::sin(zenith * kDegree);
    const double rise = slope * std::cos(zenith * kDegree) + ih - th +
                        (1 - k) * horizontal * horizontal / (2 * radius);
    const auto at = [&](const std::string& target) {
        const double r = azimuth(s, known(target)) - zero;
        return SightValue{target, r < 0 ? r + 360 : r};
    };
    PolarRequest request{"D", {at("A"), at("B"), at("C")}, 0, slope, zenith, ih, th, ""};
    request.reading = azimuth(s, kP) - zero + 360;
    const CogoOutcome outcome = computePolar(store, request, {});
    expectAtP(outcome, "polar with zenith");
    EXPECT_NEAR(outcome.points.z()[0], 100 + rise, kTenthOfMillimetre);
    EXPECT_EQ(cp1251ToUtf8(outcome.points.number()[0]), "1");  // no whole number in the store
}

// A residual row of the report: point, observed, correction, w, mark.
std::string lastRowOf(const std::string& report, const std::string& point) {
    const std::size_t row = report.rfind("\r\n" + point + "\t") + 2;
    return report.substr(row, report.find("\r\n", row) - row);
}

TEST(DailyComputations, LeastSquaresMarksTheDisturbedRay) {
    const PointStore store = knownPoints(kKnown);
    IntersectionRequest request;
    for (const char* from : {"A", "B", "C", "D", "E"}) request.rays.push_back({from, azimuth(known(from), kP)});
    request.rays[2].value += 90 / 3600.0;  // C's ray turned by 90″
    const CogoOutcome outcome = computeIntersection(store, request, {});
    ASSERT_FALSE(outcome.refusal);
    // Rows of the residual table: point, observed, correction, w, mark.
    const std::string report = cp1251ToUtf8(outcome.report);
    EXPECT_TRUE(lastRowOf(report, "C").ends_with("\t!")) << report;
    for (const char* from : {"A", "B", "D", "E"})
        EXPECT_FALSE(lastRowOf(report, from).ends_with("\t!")) << report;
}

// Two known points 100 m apart seen from P at `angle`: P on their perpendicular bisector.
struct Crossing {
    PointStore store;
    Position p;
};
Crossing crossingAt(double angle) {
    const Position p{50 / std::tan(angle / 2 * kDegree), 50};
    return {knownPoints({{"A", {0, 0}}, {"B", {0, 100}}}), p};
}

// Two locus circles of radius 100 crossing at `angle` at B and P, A and C far on each.
ResectionRequest dangerCase(double angle, PointStore& store) {
    const double d = 100 * std::sqrt(2 - 2 * std::cos(angle * kDegree));
    const double h = std::sqrt(100 * 100 - d * d / 4);
    const Position a{-100, 0}, b{d / 2, h}, c{d + 100, 0}, p{d / 2, -h};
    store = knownPoints({{"A", a}, {"B", b}, {"C", c}});
    return {{{"A", azimuth(p, a)}, {"B", azimuth(p, b)}, {"C", azimuth(p, c)}}, ""};
}

TEST(DailyComputations, RefusalsAtAndBeyondTheirLimits) {
    const CogoSettings settings;  // intersection 15°, resection 5°
    const double margin = 0.001;
    const auto rays = [](double angle) {
        const Crossing c = crossingAt(angle);
        return computeIntersection(c.store, {{{"A", azimuth({0, 0}, c.p)}, {"B", azimuth({0, 100}, c.p)}}, {}, ""}, {});
    };
    const auto circles = [](double angle) {
        const Crossing c = crossingAt(angle);
        return computeDistanceIntersection(
            c.store, {{{"A", distance({0, 0}, c.p)}, {"B", distance({0, 100}, c.p)}}, LineSide::Left, ""}, {});
    };
    const auto resection = [](double angle) {
        PointStore store;
        const ResectionRequest request = dangerCase(angle, store);
        return computeResection(store, request, {});
    };
    const PointStore store = knownPoints(kKnown);
    PointStore twins = knownPoints({{"A", {10, 10}}, {"B", {10, 10}}, {"C", {50, 80}}});
    const struct {
        const char* label;
        CogoOutcome outcome;
        std::optional<CogoRefusalKind> refusal;
    } cases[] = {
        {"rays at the limit", rays(settings.intersectionLimitDegrees + margin), {}},
        {"rays under it", rays(settings.intersectionLimitDegrees - margin), CogoRefusalKind::WeakCrossing},
        {"rays at 180° minus it", rays(180 - settings.intersectionLimitDegrees - margin), {}},
        {"rays over it", rays(180 - settings.intersectionLimitDegrees + margin), CogoRefusalKind::WeakCrossing},
        {"circles at the limit", circles(settings.intersectionLimitDegrees + margin), {}},
        {"circles under it", circles(settings.intersectionLimitDegrees - margin), CogoRefusalKind::WeakCrossing},
        {"circles over 180° minus it", circles(180 - settings.intersectionLimitDegrees + margin), CogoRefusalKind::WeakCrossing},
        {"resection at the limit", resection(settings.resectionLimitDegrees + margin), {}},
        {"resection under it", resection(settings.resectionLimitDegrees - margin), CogoRefusalKind::DangerCircle},
        {"resection on the danger circle", resection(0.0), CogoRefusalKind::DangerCircle},
        {"circles apart", computeDistanceIntersection(store, {{{"A", 10}, {"B", 10}}, LineSide::Left, ""}, settings), CogoRefusalKind::CirclesApart},
        {"rays apart", computeIntersection(store, {{{"A", azimuth(kP, known("A"))}, {"B", azimuth(kP, known("B"))}}, {}, ""}, settings), CogoRefusalKind::RaysApart},
        {"coincident", computeResection(twins, {{{"A", 0}, {"B", 40}, {"C", 90}}, ""}, settings), CogoRefusalKind::CoincidentPoints},
        {"missing", computeInverse(store, {"A", "Z"}, settings), CogoRefusalKind::MissingPoint},
        {"missing orientation", computePolar(store, {"A", {{"Z", 0}}, 0, 10, {}, 0, 0, ""}, settings), CogoRefusalKind::MissingPoint},
    };
    for (const auto& c : cases) {
        if (c.refusal) {
            ASSERT_TRUE(c.outcome.refusal) << c.label;
            EXPECT_EQ(c.outcome.refusal->kind, *c.refusal) << c.label << ": " << c.outcome.refusal->text;
            EXPECT_EQ(c.outcome.points.count(), 0u) << c.label;
            EXPECT_TRUE(c.outcome.report.empty()) << c.label;
        } else {
            EXPECT_FALSE(c.outcome.refusal) << c.label << ": " << c.outcome.refusal->text;
        }
    }
}

TEST(DailyComputations, StationErrorLimitOfALeastSquaresResection) {
    const PointStore store = knownPoints(kKnown);
    ResectionRequest request;
    for (const char* target : {"A", "B", "C", "D"}) request.directions.push_back({target, reading(target, 0)});
    request.directions[3].value += 200 / 3600.0;  // D read 200″ off: the station is uncertain
    const struct {
        double limitMillimetres;
        bool refused;
    } cases[] = {{1, true}, {100000, false}};
    for (const auto& c : cases) {
        CogoSettings settings;
        settings.stationErrorLimitMillimetres = c.limitMillimetres;
        const CogoOutcome outcome = computeResection(store, request, settings);
        EXPECT_EQ(outcome.refusal.has_value(), c.refused) << c.limitMillimetres;
        if (c.refused) {
            EXPECT_EQ(outcome.refusal->kind, CogoRefusalKind::StationError);
        }
    }
}

TEST(DailyComputations, NewPointNumbers) {
    const struct {
        std::vector<std::string> numbers;
        const char* next;
    } cases[] = {
        {{}, "1"},
        {{"A", "st1"}, "1"},
        {{"7", "12", "3"}, "13"},
        {{"0099", "100a"}, "100"},
        {{"-5", "1.5", "2"}, "3"},
        {{"123456789012345678901234"}, "1"},
    };
    for (const auto& c : cases) {
        PointStore store;
        for (const std::string& number : c.numbers) store.append(number, 0, 0, 0, kColourAqua, 1);
        EXPECT_EQ(nextPointNumber(store), c.next) << c.numbers.size();
    }
}

TEST(DailyComputations, InverseAndStakeoutFigures) {
    const PointStore store = knownPoints({{"1", {100, 100}}, {"2", {130, 140}}, {"3", {50, 100}}});
    // 1 → 2: 30 north, 40 east: 50 m at 53° 07' 48"; 3 lies due south of 1.
    const std::string inverse = cp1251ToUtf8(computeInverse(store, {"1", "2"}, {}).report);
    EXPECT_NE(inverse.find("Дирекционный угол\t53° 07' 48\"\r\n"), std::string::npos) << inverse;
    EXPECT_NE(inverse.find("Горизонтальное проложение, м\t50.000\r\n"), std::string::npos);
    const std::string sheet = cp1251ToUtf8(computeStakeout(store, {"1", "3", {"2"}, 0, 0}, {}).report);
    // Oriented on 3 (180°): the angle to turn is 53° 07' 48" − 180° + 360°.
    EXPECT_NE(sheet.find("2\t53° 07' 48\"\t233° 07' 48\"\t50.000\t"), std::string::npos) << sheet;
}

}  // namespace
}  // namespace korvela

namespace korvela {
namespace {

// A number held by several points: they count where they agree, the ordinary points before a
// station record's provisional coordinates, and a number at two places is refused.
TEST(DailyComputations, ANumberHeldBySeveralPoints) {
    const auto inverse = [](const std::vector<std::tuple<double, double, std::int32_t>>& holders) {
        PointStore store;
        for (const auto& [x, y, kind] : holders) store.append("1", x, y, 0, kColourAqua, kind);
        store.append("2", 130, 140, 0, kColourAqua, kKindPoint);
        return computeInverse(store, {"1", "2"}, {});
    };
    const struct {
        const char* label;
        std::vector<std::tuple<double, double, std::int32_t>> holders;
        bool refused;
    } cases[] = {
        {"twice at one place", {{100, 100, kKindPoint}, {100, 100, kKindStation}}, false},
        {"a provisional station first", {{0, 0, kKindStation}, {100, 100, kKindPoint}}, false},
        {"two stations apart", {{0, 0, kKindStation}, {100, 100, kKindStation}}, true},
        {"two ordinary points apart", {{100, 100, kKindPoint}, {90, 100, kKindPoint}}, true},
    };
    for (const auto& c : cases) {
        const CogoOutcome outcome = inverse(c.holders);
        if (c.refused) {
            ASSERT_TRUE(outcome.refusal) << c.label;
            EXPECT_EQ(outcome.refusal->kind, CogoRefusalKind::AmbiguousPoint) << c.label;
        } else {
            ASSERT_FALSE(outcome.refusal) << c.label << ": " << outcome.refusal->text;
            // 1 → 2 is 30 north, 40 east of (100, 100): 50 m.
            EXPECT_NE(cp1251ToUtf8(outcome.report).find("\t50.000\r\n"), std::string::npos)
                << c.label;
        }
    }
}

}  // namespace
}  // namespace korvela
