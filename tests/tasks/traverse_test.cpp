#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <string>
#include <variant>
#include <vector>

#include "common/angle_text.h"
#include "common/cp1251.h"
#include "tasks/field_survey_builder.h"
#include "tasks/observation_reduction.h"
#include "tasks/traverse.h"

namespace korvela {
namespace {

using testing::FieldSurveyBuilder;

// The true positions: two orientation points, four stations.
void placePoints(FieldSurveyBuilder& b, bool endKnown) {
    b.point("100", 1000, 1000, 100, true);
    b.point("1", 1200, 1100, 105, true);
    b.point("2", 1350, 1300, 98, false);
    b.point("3", 1300, 1550, 110, false);
    b.point("4", 1450, 1700, 103, endKnown);
    b.point("200", 1600, 1650, 101, true);
}

struct Disturbance {
    std::string station, target;
    double seconds = 0, metres = 0;
};

// Set-ups along the path, each sighting its neighbours (and the orientation points at the
// ends), with the disturbance on the sights it names.
FieldSurveyBuilder survey(const std::vector<std::string>& path, bool closed, bool endKnown,
                          const std::string& endSight, const Disturbance& d = {}) {
    FieldSurveyBuilder b;
    placePoints(b, endKnown);
    const std::size_t n = path.size();
    for (std::size_t i = 0; i < n; ++i) {
        b.setUp(path[i], 17.3 * static_cast<double>(i + 1));
        std::vector<std::string> targets;
        if (i == 0) targets.push_back("100");
        if (i > 0 || closed) targets.push_back(path[(i + n - 1) % n]);
        if (i + 1 < n || closed) targets.push_back(path[(i + 1) % n]);
        if (i + 1 == n && !endSight.empty()) targets.push_back(endSight);
        for (const std::string& t : targets) {
            const bool hit = d.station == path[i] && d.target == t;
            b.faces(t, 1.2, hit ? d.seconds : 0, hit ? d.metres : 0);
        }
    }
    return b;
}

TraverseResult computed(const FieldSurveyBuilder& b, const TraverseRequest& request) {
    auto outcome = computeTraverse(b.store, b.list, request);
    if (auto* refusal = std::get_if<TraverseRefusal>(&outcome)) {
        ADD_FAILURE() << refusal->message;
        return {};
    }
    return std::get<TraverseResult>(outcome);
}

// The value after a label in the UTF-8 sheet ("fb = +10.0"" gives 10).
double sheetValue(const std::string& sheet, const std::string& label) {
    const std::string text = cp1251ToUtf8(sheet);
    const std::size_t at = text.find(label);
    if (at == std::string::npos) return NAN;
    return std::stod(text.substr(at + label.size()));
}

struct ShapeCase {
    const char* name;
    std::vector<std::string> path;
    TraverseShape shape;
    bool endKnown;
    std::string endSight;
    TraverseMethod method;
    Disturbance disturbance;
    double angular;  // expected fb in seconds, NAN when unchecked
    double fx, fy;   // expected, NAN when unchecked
};

double sideAzimuth(const FieldSurveyBuilder& b, const std::string& from, const std::string& to) {
    return std::atan2(b.at(to).y - b.at(from).y, b.at(to).x - b.at(from).x);
}

TEST(Traverse, ShapesFromKnownGeometry) {
    FieldSurveyBuilder geometry;
    placePoints(geometry, true);
    const double alpha23 = sideAzimuth(geometry, "2", "3");
    const auto lsq = TraverseMethod::LeastSquares;
    const auto hand = TraverseMethod::Proportional;
    const std::vector<ShapeCase> cases = {
        {"link", {"1", "2", "3", "4"}, TraverseShape::Link, true, "200", hand, {}, 0, 0, 0},
        {"link by least squares", {"1", "2", "3", "4"}, TraverseShape::Link, true, "200", lsq,
         {}, 0, 0, 0},
        {"ten seconds on one angle", {"1", "2", "3", "4"}, TraverseShape::Link, true, "200", hand,
         {"2", "3", 10, 0}, 10, NAN, NAN},
        {"five centimetres on one side", {"1", "2", "3", "4"}, TraverseShape::Link, true, "200",
         hand, {"2", "3", 0, 0.05}, 0, 0.025 * std::cos(alpha23), 0.025 * std::sin(alpha23)},
        {"end without orientation", {"1", "2", "3", "4"}, TraverseShape::Link, true, "", hand, {},
         NAN, 0, 0},
        {"end without orientation, least squares", {"1", "2", "3", "4"}, TraverseShape::Link,
         true, "", lsq, {}, NAN, 0, 0},
        {"hanging", {"1", "2", "3", "4"}, TraverseShape::Hanging, false, "", hand, {}, NAN, NAN,
         NAN},
        {"closed one way", {"1", "2", "3"}, TraverseShape::Closed, true, "", hand, {}, 0, 0,
         0},
        {"closed the other way", {"1", "3", "2"}, TraverseShape::Closed, true, "", hand, {},
         0, 0, 0},
        {"closed by least squares", {"1", "2", "4", "3"}, TraverseShape::Closed, true, "", lsq,
         {}, 0, 0, 0},
    };
    for (const ShapeCase& c : cases) {
        SCOPED_TRACE(c.name);
        const FieldSurveyBuilder b = survey(c.path, c.shape == TraverseShape::Closed, c.endKnown,
                                            c.endSight, c.disturbance);
        TraverseRequest request{c.path, c.shape, {"100"}, {}, c.method, {}};
        if (!c.endSight.empty()) request.endSights = {c.endSight};
        const TraverseResult result = computed(b, request);
        const double angular = sheetValue(result.sheet, "fb = ");
        if (std::isnan(c.angular)) {
            EXPECT_TRUE(std::isnan(angular));
        } else {
            EXPECT_NEAR(angular, c.angular, 0.05);
        }
        if (!std::isnan(c.fx)) {
            EXPECT_NEAR(sheetValue(result.sheet, "fx = "), c.fx, 0.0006);
            EXPECT_NEAR(sheetValue(result.sheet, "fy = "), c.fy, 0.0006);
        }
        if (c.disturbance.station.empty()) {
            // Exact observations give the true positions of every station written.
            ASSERT_FALSE(result.stations.empty());
            for (const AdjustedPoint& p : result.stations) {
                SCOPED_TRACE(p.number);
                EXPECT_NEAR(p.x, b.at(p.number).x, 0.0005);
                EXPECT_NEAR(p.y, b.at(p.number).y, 0.0005);
                EXPECT_NEAR(p.z, b.at(p.number).z, 0.0005);
            }
            EXPECT_TRUE(result.withinLimits);
        }
        EXPECT_EQ(result.accuracySheet.empty(), c.method == hand);
    }
}

TEST(Traverse, SheetLimitsAndCorrectionsFollowTheSettings) {
    // 10" over four angles: −2.5" each in 0.1" steps, so every angle takes −2.5".
    const FieldSurveyBuilder b = survey({"1", "2", "3", "4"}, false, true, "200", {"2", "3", 10, 0});
    TraverseRequest request{{"1", "2", "3", "4"}, TraverseShape::Link, {"100"}, {"200"},
                            TraverseMethod::Proportional, {}};
    request.settings.angularLimitSeconds = 4;  // limit 4"·√4 = 8" < 10"
    const TraverseResult result = computed(b, request);
    const std::string sheet = cp1251ToUtf8(result.sheet);
    EXPECT_FALSE(result.withinLimits);
    EXPECT_NE(sheet.find("допуск 8.0\""), std::string::npos) << sheet;
    EXPECT_NE(sheet.find("\t-2.5\"\t"), std::string::npos);
    EXPECT_NE(sheet.find("превышен допуск: fb"), std::string::npos);
}

TEST(Traverse, FeetAndCurvatureOverLongSides) {
    // Sides of some 300 units: curvature and refraction reach millimetres; in feet R is in feet.
    for (DistanceUnit unit : {DistanceUnit::Metres, DistanceUnit::Feet}) {
        FieldSurveyBuilder b(0.2);
        b.list.distanceUnit = unit;
        b.point("100", 0, 0, 50, true);
        b.point("1", 0, 300, 52, true);
        b.point("2", 250, 480, 40, false);
        b.point("3", 120, 760, 45, true);
        for (std::string s : {"1", "2", "3"}) {
            b.setUp(s, 3.1);
            if (s == "1") b.faces("100");
            if (s != "1") b.faces(s == "2" ? "1" : "2");
            if (s != "3") b.faces(s == "1" ? "2" : "3");
        }
        TraverseRequest request{{"1", "2", "3"}, TraverseShape::Link, {"100"}, {}, {}, {}};
        request.settings.refraction = 0.2;
        const TraverseResult result = computed(b, request);
        ASSERT_EQ(result.stations.size(), 1u);
        EXPECT_NEAR(result.stations[0].z, 40, 0.0005);
        EXPECT_NEAR(result.stations[0].x, 250, 0.0005);
    }
}

TEST(Traverse, PointsDerivedFromAPathStationAreRecomputed) {
    // Point 50, sighted from inner station 2, stands in the store where the field book's
    // provisional orientation put it; the adjusted station and circle give its true place.
    for (TraverseMethod method : {TraverseMethod::Proportional, TraverseMethod::LeastSquares}) {
        FieldSurveyBuilder b = survey({"1", "2", "3", "4"}, false, true, "200");
        b.point("50", 1500, 1200, 95, false);
        b.store.append("50", 7, 7, 7, 0, kKindPoint);
        b.setUp("2", 17.3 * 2);  // the same circle as the path's set-up at 2, a set-up of its own
        const auto sightCount = static_cast<std::uint32_t>(b.list.sights.size());
        b.faces("50", 1.7);
        b.list.derived.push_back({static_cast<std::uint32_t>(b.store.count() - 1), sightCount});
        // Also from the path's own set-up at 2 : the one that is recomputed.
        std::vector<Sight> moved(b.list.sights.end() - 2, b.list.sights.end());
        for (Sight& s : moved) s.setUp = 1;
        b.list.sights.insert(b.list.sights.end(), moved.begin(), moved.end());
        b.list.derived.back().sight = sightCount + 2;
        const TraverseResult result =
            computed(b, {{"1", "2", "3", "4"}, TraverseShape::Link, {"100"}, {"200"}, method, {}});
        ASSERT_EQ(result.recomputed.size(), 1u);
        const AdjustedPoint& p = result.recomputed[0];
        EXPECT_EQ(p.point, b.store.count() - 1);
        EXPECT_NEAR(p.x, 1500, 0.0005);
        EXPECT_NEAR(p.y, 1200, 0.0005);
        EXPECT_NEAR(p.z, 95, 0.0005);
    }
}

TEST(Traverse, Refusals) {
    struct Case {
        const char* name;
        std::vector<std::string> path;
        std::vector<std::string> startSights;
        void (*spoil)(FieldSurveyBuilder&);
        const char* message;
    };
    const std::vector<Case> cases = {
        {"one station", {"1"}, {"100"}, nullptr, "меньше двух станций"},
        {"angles to the right", {"1", "2", "3", "4"}, {"100"},
         [](FieldSurveyBuilder& b) { b.list.anglesOption = '2'; }, "не «1»"},
        {"no observation between", {"1", "2", "4"}, {"100"}, nullptr, "нет наблюдений"},
        {"no distance", {"1", "2", "3", "4"}, {"100"},
         [](FieldSurveyBuilder& b) {
             for (Sight& s : b.list.sights)
                 if (b.list.stationOf(s) == "2" && b.list.targetOf(s) == "3") s.value[2] = NAN;
             for (Sight& s : b.list.sights)
                 if (b.list.stationOf(s) == "3" && b.list.targetOf(s) == "2") s.value[2] = NAN;
         },
         "не измерено расстояние"},
        {"first station not oriented", {"1", "2", "3", "4"}, {}, nullptr, "не ориентирована"},
        {"end station inside the path", {"1", "2", "3", "2"}, {"100"}, nullptr, "дважды"},
        {"two points numbered as an inner station", {"1", "2", "3", "4"}, {"100"},
         [](FieldSurveyBuilder& b) {
             b.store.append("2", 0, 0, 0, 0, kKindStation);
             b.store.append("2", 1, 1, 0, 0, kKindPoint);
         },
         "носят несколько точек"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FieldSurveyBuilder b = survey({"1", "2", "3", "4"}, false, true, "200");
        if (c.spoil) c.spoil(b);
        const TraverseRequest request{c.path, TraverseShape::Link, c.startSights, {"200"},
                                      TraverseMethod::Proportional, {}};
        const auto outcome = computeTraverse(b.store, b.list, request);
        ASSERT_TRUE(std::holds_alternative<TraverseRefusal>(outcome));
        EXPECT_NE(std::get<TraverseRefusal>(outcome).message.find(c.message), std::string::npos)
            << std::get<TraverseRefusal>(outcome).message;
    }
}

TEST(Traverse, WithoutObservationsTheElementsComeFromCoordinates) {
    // A right-angled path: 3-4-5 sides, a left angle of 90° + atan(4/3)... checked by its text.
    FieldSurveyBuilder b;
    b.point("A", 0, 0, 10, true);
    b.point("B", 30, 0, 12, true);
    b.point("C", 30, 40, 11, true);
    const TraverseRequest request{{"A", "B", "C"}, TraverseShape::Link, {}, {}, {}, {}};
    const TraverseResult result = computed(b, request);
    const std::string sheet = cp1251ToUtf8(result.sheet);
    EXPECT_TRUE(result.writesNothing());
    // B→C points along +Y: a left turn of 270° from the direction back to A.
    EXPECT_NE(sheet.find("B\t270° 00' 00\""), std::string::npos) << sheet;
    EXPECT_NE(sheet.find("\t90° 00' 00\"\t40.000\t-1.000"), std::string::npos);
    EXPECT_NE(sheet.find("Длина хода 70.000"), std::string::npos);
}

TEST(Reduction, FacePairsRoundsAndClosures) {
    FieldSurveyBuilder b;
    b.point("S", 0, 0, 0, true);
    b.point("A", 100, 0, 0, true);
    b.point("B", 0, 100, 0, true);
    b.setUp("S", 0);
    b.faces("A");
    b.faces("B", 1.2, 0, 0);
    b.list.sights.back().value[0] += 15;  // face right to B 15° off: listed, not averaged
    const std::vector<FacePairCheck> pairs = checkFacePairs(b.list, TraverseSettings{});
    ASSERT_EQ(pairs.size(), 2u);
    EXPECT_FALSE(pairs[0].beyondLimits);
    EXPECT_NEAR(pairs[0].collimationSeconds, 0, 1e-6);
    EXPECT_TRUE(pairs[1].beyondLimits);
    EXPECT_NEAR(pairs[1].collimationSeconds, -15 * 3600, 1e-6);
    const ReducedSetUp reduced = reduceSetUp(b.list, sightsBySetUp(b.list)[0], 0, {});
    EXPECT_NEAR(reduced.targets[0].direction, 0, 1e-9);
    EXPECT_TRUE(std::isnan(reduced.targets[1].direction));

    // A round closed on its first target 20" off: a check within 30", not a reading.
    FieldSurveyBuilder r;
    r.point("S", 0, 0, 0, true);
    r.point("A", 100, 0, 0, true);
    r.point("B", 0, 100, 0, true);
    r.setUp("S", 0);
    r.sight(SightKind::FaceLeft, "A", 0, {10, 90, 100});
    r.sight(SightKind::FaceLeft, "B", 0, {100, 90, 100});
    r.sight(SightKind::FaceLeft, "A", 0, {10 + 20.0 / 3600, 90, 100});
    const auto closures = checkHorizonClosures(r.list, TraverseSettings{});
    ASSERT_EQ(closures.size(), 1u);
    EXPECT_NEAR(closures[0].seconds, 20, 1e-6);
    EXPECT_FALSE(closures[0].beyondLimit);
    const ReducedSetUp round = reduceSetUp(r.list, sightsBySetUp(r.list)[0], 0, {});
    EXPECT_NEAR(round.targets[0].direction, 10, 1e-9);
    EXPECT_NEAR(round.targets[1].direction, 100, 1e-9);
}

TEST(Reduction, VerticalReadingsCountFromZenithOrHorizon) {
    // An elevation of 2° is a zenith angle of 88°: read as 88°/272° from the zenith, or as
    // 2°/178° from the horizon.
    const struct {
        VerticalReading vertical;
        double faceLeft, faceRight;
    } cases[] = {{VerticalReading::Zenith, 88, 272},
                 {VerticalReading::AssumedZenith, 88, 272},
                 {VerticalReading::Horizon, 2, 178}};
    for (const auto& c : cases) {
        FieldSurveyBuilder b;
        b.point("S", 0, 0, 0, true);
        b.setUp("S", 0, 0);
        b.list.setUps.back().vertical = c.vertical;
        b.sight(SightKind::FaceLeft, "A", 0, {10, c.faceLeft, 100});
        b.sight(SightKind::FaceRight, "A", 0, {190, c.faceRight, 100});
        const ReducedTarget t = reduceSetUp(b.list, sightsBySetUp(b.list)[0], 0, {}).targets[0];
        EXPECT_NEAR(t.zenith, 88, 1e-9);
        EXPECT_NEAR(t.horizontalDistance, 100 * std::sin(88 * std::numbers::pi / 180), 1e-9);
    }
}

TEST(AngleText, RoundsWithCarryAndSignsSmallAngles) {
    const struct {
        double degrees;
        const char* text;
    } angles[] = {{234.11767, "234° 07' 04\""}, {359.99999, "0° 00' 00\""},
                  {10 + 59.0 / 60 + 59.6 / 3600, "11° 00' 00\""}, {-90, "270° 00' 00\""}};
    for (const auto& c : angles) EXPECT_EQ(dmsText(c.degrees), c.text) << c.degrees;
    const struct {
        double seconds;
        const char* text;
    } seconds[] = {{-27.44, "-27.4\""}, {10, "+10.0\""}, {-0.04, "0.0\""}};
    for (const auto& c : seconds) EXPECT_EQ(signedSecondsText(c.seconds), c.text) << c.seconds;
}

}  // namespace
}  // namespace korvela
