#include "points/workspace.h"
#include "tasks/survey_join.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <numbers>
#include <optional>

#include "common/number_text.h"
#include "points/point_store.h"
#include "test_support.h"

namespace korvela {
namespace {

using testing::near;

PointStore storeOf(const std::vector<std::pair<std::string, Vector3>>& points) {
    PointStore store;
    for (const auto& [number, p] : points)
        store.append(number, p[0], p[1], p[2], kColourAqua, kKindPoint);
    return store;
}

const std::array<std::string, 3> kTypedABC = {"A", "B", "C"};

TEST(JoinSolver, PivotsOnTheLargestEntryAndSolvesEveryRightHandSide) {
    // The first column's largest entry is in the last row; the second step pivots as well.
    const JoinSolver solver({Vector3{1, 2, 3}, Vector3{2, 5, 1}, Vector3{4, 1, 2}});
    ASSERT_FALSE(solver.singular());
    const Vector3 want{1.5, -2, 0.25};
    const auto product = [](const Vector3& c) {
        return Vector3{c[0] + 2 * c[1] + 3 * c[2], 2 * c[0] + 5 * c[1] + c[2],
                       4 * c[0] + c[1] + 2 * c[2]};
    };
    const Vector3 got = solver.solve(product(want));
    for (int i = 0; i < 3; ++i) EXPECT_TRUE(near(want[i], got[i], 1e-14)) << i;
    const Vector3 again = solver.solve(product({-7, 0, 11}));  // the factors are reusable
    EXPECT_TRUE(near(-7, again[0], 1e-13));
    EXPECT_TRUE(near(11, again[2], 1e-13));
}

TEST(JoinSolver, AnExactlyZeroPivotMakesTheMatrixSingular) {
    EXPECT_EQ(JoinSolver({Vector3{0, 1, 2}, Vector3{0, 3, 4}, Vector3{0, 5, 7}}).singularStep(), 1);
    EXPECT_EQ(JoinSolver({Vector3{1, 0, 0}, Vector3{0, 1, 0}, Vector3{3, 4, 0}}).singularStep(), 3);
    EXPECT_EQ(JoinSolver({Vector3{1, 2, 3}, Vector3{2, 4, 7}, Vector3{3, 6, 1}}).singularStep(), 2);
    EXPECT_FALSE(JoinSolver({Vector3{1, 0, 0}, Vector3{0, 1, 0}, Vector3{0, 0, 1}}).singular());
}

// A scaling in space is no similarity: the similarity through the unit points and their ×10
// partners keeps heights (shifted by their mean difference), so the join is refused.
TEST(SurveyJoin, MapsTheSecondSurveyThroughTheBasePoints) {
    const struct {
        const char* name;
        std::array<Vector3, 3> first, second;
        Vector3 point;
        std::optional<Vector3> want;
    } cases[] = {
        {"scale by 10",
         {Vector3{10, 0, 0}, Vector3{0, 10, 0}, Vector3{0, 0, 10}},
         {Vector3{1, 0, 0}, Vector3{0, 1, 0}, Vector3{0, 0, 1}},
         {1, 1, 1},
         std::nullopt},
        {"turned by 90 degrees about Z",
         {Vector3{10, 0, 1}, Vector3{0, 10, 2}, Vector3{0, 0, 5}},
         {Vector3{0, 10, 1}, Vector3{-10, 0, 2}, Vector3{0, 0, 5}},
         {0, 5, 3},
         Vector3{5, 0, 3}},
    };
    for (const auto& c : cases) {
        PointStore first =
            storeOf({{"S1", c.first[0]}, {"x", {7, 7, 7}}, {"S2", c.first[1]}, {"S3", c.first[2]}});
        PointStore second =
            storeOf({{"C", c.second[2]}, {"N", c.point}, {"A", c.second[0]}, {"B", c.second[1]}});
        const JoinOutcome outcome =
            computeJoin(first, {1, 0, 1, 1}, second, kTypedABC, kDefaultJoinLimit);
        ASSERT_FALSE(outcome.notice) << c.name;
        EXPECT_EQ(outcome.departure.has_value(), !c.want) << c.name;
        if (!c.want) continue;
        ASSERT_EQ(outcome.points.size(), 4u);
        EXPECT_EQ(outcome.points[1].number, "N");
        EXPECT_EQ((Vector3{outcome.points[1].x, outcome.points[1].y, outcome.points[1].z}), c.want)
            << c.name;
        EXPECT_EQ(outcome.points[2].x, c.first[0][0]) << c.name;  // A lands on S1
        EXPECT_EQ(outcome.points[0].z, c.first[2][2]) << c.name;  // C lands on S3
    }
}

Vector3 minus(const Vector3& a, const Vector3& b) {
    return {a[0] - b[0], a[1] - b[1], a[2] - b[2]};
}
double dot(const Vector3& a, const Vector3& b) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; }
Vector3 cross(const Vector3& a, const Vector3& b) {
    return {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]};
}

// The first survey is the second turned about the vertical and shifted. The join's map is
// linear and takes each base point t onto its partner, so a point p = Σαᵢ·tᵢ lands at
// turned(p) + shift·Σαᵢ, where Σαᵢ = n·p / n·t₁ for n the normal of the base points' plane;
// the similarity puts it at turned(p) + shift. The two are |shift|·|Σαᵢ − 1| apart.
TEST(SurveyJoin, RefusesAMapThatStraysFromTheSimilarityBeyondTheLimit) {
    const std::array<Vector3, 3> flat = {Vector3{100, 0, 50}, Vector3{0, 100, 50},
                                         Vector3{-50, -50, 50}};
    const struct {
        const char* name;
        std::array<Vector3, 3> base;  // in the second survey
        Vector3 point;                // "N", in the second survey
        double turnDegrees;
        Vector3 shift;
        double limit;
    } cases[] = {
        {"a local survey on the national grid, N 0.1 m above the base plane", flat,
         Vector3{30, 30, 50.1}, 30, Vector3{6123456.789, 7412345.678, 101.2}, kDefaultJoinLimit},
        {"base points 1 cm off a straight line, N 60 m aside",
         {Vector3{1000, 2000, 150}, Vector3{1050, 2000.007, 150.007}, Vector3{1100, 2000, 150}},
         Vector3{1050, 2060, 150.5},
         -10,
         Vector3{5412000, 7312000, 0},
         kDefaultJoinLimit},
        {"turned about the vertical through the origin",
         {Vector3{10, 0, 1}, Vector3{0, 10, 2}, Vector3{-7, -3, 5}},
         Vector3{40, -25, 30},
         75,
         Vector3{0, 0, 0},
         0.001},
        {"0.04 m apart, limit above", flat, Vector3{30, 30, 54}, 0, Vector3{0.3, 0.4, 0}, 0.045},
        {"0.04 m apart, limit below", flat, Vector3{30, 30, 54}, 0, Vector3{0.3, 0.4, 0}, 0.035},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const double turn = c.turnDegrees * std::numbers::pi / 180;
        const auto place = [&](const Vector3& p, double shares) {
            return Vector3{p[0] * std::cos(turn) - p[1] * std::sin(turn) + shares * c.shift[0],
                           p[0] * std::sin(turn) + p[1] * std::cos(turn) + shares * c.shift[1],
                           p[2] + shares * c.shift[2]};
        };
        const PointStore first = storeOf(
            {{"1", place(c.base[0], 1)}, {"2", place(c.base[1], 1)}, {"3", place(c.base[2], 1)}});
        const PointStore second =
            storeOf({{"A", c.base[0]}, {"B", c.base[1]}, {"C", c.base[2]}, {"N", c.point}});
        const Vector3 normal = cross(minus(c.base[1], c.base[0]), minus(c.base[2], c.base[0]));
        const double shares = dot(normal, c.point) / dot(normal, c.base[0]);
        const double apart = std::sqrt(dot(c.shift, c.shift)) * std::fabs(shares - 1);

        const JoinOutcome outcome = computeJoin(first, {1, 1, 1}, second, kTypedABC, c.limit);
        ASSERT_FALSE(outcome.notice);
        ASSERT_EQ(outcome.departure.has_value(), apart > c.limit);
        if (outcome.departure) {
            EXPECT_EQ(outcome.departure->number, "N");
            EXPECT_TRUE(near(apart, outcome.departure->distance, apart * 1e-6));
            EXPECT_TRUE(outcome.points.empty());
            continue;
        }
        const Vector3 want = place(c.point, shares);
        const JoinedPoint& got = outcome.points.back();
        EXPECT_TRUE(near(want[0], got.x, 0.00006));
        EXPECT_TRUE(near(want[1], got.y, 0.00006));
        EXPECT_TRUE(near(want[2], got.z, 0.00006));
    }
}

// National-grid coordinates need all of double's digits: in single precision they keep
// about seven, and the joined points come out decimetres to metres off.
TEST(SurveyJoin, KeepsNationalGridCoordinatesToTheMillimetre) {
    const std::array<Vector3, 3> base = {Vector3{5412345.678, 7312456.789, 151.234},
                                         Vector3{5412512.345, 7312301.012, 148.75},
                                         Vector3{5412198.765, 7312611.321, 153.5}};
    const Vector3 extra{5412401.234, 7312500.5, 150.001};
    const double turn = 0.5235987755982988;  // 30 degrees about Z: a general, inexact map
    const auto toSecond = [&](const Vector3& p) {
        return Vector3{p[0] * std::cos(turn) - p[1] * std::sin(turn),
                       p[0] * std::sin(turn) + p[1] * std::cos(turn), p[2]};
    };
    const auto toSecondExactly = [](const Vector3& p) { return Vector3{-p[1], p[0], p[2]}; };
    for (const auto& transform : {std::function<Vector3(const Vector3&)>(toSecond),
                                  std::function<Vector3(const Vector3&)>(toSecondExactly)}) {
        const PointStore first = storeOf({{"1", base[0]}, {"2", base[1]}, {"3", base[2]}});
        const PointStore second = storeOf({{"A", transform(base[0])},
                                           {"B", transform(base[1])},
                                           {"C", transform(base[2])},
                                           {"N", transform(extra)}});
        const JoinOutcome outcome =
            computeJoin(first, {1, 1, 1}, second, kTypedABC, kDefaultJoinLimit);
        ASSERT_FALSE(outcome.notice);
        for (std::size_t i = 0; i < 4; ++i) {
            const Vector3& want = i < 3 ? base[i] : extra;
            const JoinedPoint& got = outcome.points[i];
            EXPECT_TRUE(near(want[0], got.x, 0.00015)) << i;
            EXPECT_TRUE(near(want[1], got.y, 0.00015)) << i;
            EXPECT_TRUE(near(want[2], got.z, 0.00015)) << i;
        }
        EXPECT_EQ(formatNumber(outcome.points[0].x), "5412345.678");
        EXPECT_EQ(formatNumber(outcome.points[0].y), "7312456.789");
    }
}

TEST(SurveyJoin, WrongBasePointsGiveTheFirstNotice) {
    const PointStore first =
        storeOf({{"1", {1, 0, 0}}, {"2", {0, 1, 0}}, {"3", {0, 0, 1}}, {"4", {1, 1, 1}}});
    const PointStore second = storeOf(
        {{"A", {1, 0, 0}}, {"B", {0, 1, 0}}, {"C", {0, 0, 1}}, {"D", {1, 1, 1}}, {"D", {2, 2, 2}}});
    const struct {
        const char* name;
        std::vector<std::int32_t> selected;
        std::array<std::string, 3> typed;
    } cases[] = {
        {"four selected", {1, 1, 1, 1}, kTypedABC},
        {"two selected", {1, 0, 1, 0}, kTypedABC},
        {"a number typed twice", {1, 1, 1, 0}, {"A", "A", "C"}},
        {"a number found twice", {1, 1, 1, 0}, {"A", "B", "D"}},
        {"a number not found", {1, 1, 1, 0}, {"A", "B", "c"}},
        {"a trailing blank", {1, 1, 1, 0}, {"A", "B ", "C"}},
    };
    for (const auto& c : cases) {
        const JoinOutcome outcome =
            computeJoin(first, c.selected, second, c.typed, kDefaultJoinLimit);
        EXPECT_EQ(outcome.notice, JoinNotice::WrongBasePoints) << c.name;
        EXPECT_TRUE(outcome.points.empty()) << c.name;
    }
    EXPECT_FALSE(computeJoin(first, {1, 1, 1, 0}, second, kTypedABC, kDefaultJoinLimit).notice);
    EXPECT_FALSE(computeJoin(first, {0, 2, 1, 1}, second, kTypedABC, kDefaultJoinLimit)
                     .notice);  // any flag not 0
}

// Also base points dependent in decimal (c = a + b) but not exactly in binary: the
// elimination finds no zero pivot, and the map, of huge coefficients, puts the base points
// far from their partners.
TEST(SurveyJoin, BasePointsInOnePlaneThroughTheOriginGiveTheSingularNotice) {
    const struct {
        const char* name;
        std::array<Vector3, 3> first, second;
        bool zeroPivot;
    } cases[] = {
        {"all at height 0",
         {Vector3{1, 0, 0}, Vector3{0, 1, 0}, Vector3{0, 0, 1}},
         {Vector3{1, 2, 0}, Vector3{3, 1, 0}, Vector3{5, 7, 0}},
         true},
        {"one at the origin",
         {Vector3{1, 0, 0}, Vector3{0, 1, 0}, Vector3{0, 0, 1}},
         {Vector3{0, 0, 0}, Vector3{3, 1, 2}, Vector3{5, 7, 1}},
         true},
        {"dependent in decimal",
         {Vector3{10, 0, 0}, Vector3{0, 10, 0}, Vector3{0, 0, 10}},
         {Vector3{1.1, 0.3, 0.7}, Vector3{0.2, 1.3, 0.9}, Vector3{1.3, 1.6, 1.6}},
         false},
        {"dependent in decimal, national grid",
         {Vector3{5412345.678, 7312456.789, 151.234}, Vector3{5412512.345, 7312301.012, 148.75},
          Vector3{5412198.765, 7312611.321, 153.5}},
         {Vector3{6123456.789, 412345.678, 150.2}, Vector3{6123501.013, 412398.117, 149.65},
          Vector3{12246957.802, 824743.795, 299.85}},
         false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(JoinSolver(c.second).singular(), c.zeroPivot) << c.name;
        const PointStore first = storeOf({{"1", c.first[0]}, {"2", c.first[1]}, {"3", c.first[2]}});
        const PointStore second =
            storeOf({{"A", c.second[0]}, {"B", c.second[1]}, {"C", c.second[2]}});
        const JoinOutcome outcome =
            computeJoin(first, {1, 1, 1}, second, kTypedABC, kDefaultJoinLimit);
        EXPECT_EQ(outcome.notice, JoinNotice::SingularMatrix) << c.name;
        EXPECT_TRUE(outcome.points.empty()) << c.name;
    }
    EXPECT_EQ(joinNoticeText(JoinNotice::SingularMatrix),
              "Матрица сингулярная. Бесконечно много решений. Поменяйте точки.");
    EXPECT_EQ(joinNoticeText(JoinNotice::WrongBasePoints),
              "Надо выбрать ровно о три точки с каждой стороны");
}

TEST(SurveyJoin, AppendedPointsAreGreenOrdinaryAndNotSelected) {
    Workspace points;
    points.replace(storeOf({{"1", {1, 2, 3}}}), {1}, "survey");
    points.append(joinedPoints({{"A", 4, 5, 6}, {"1", 7, 8, 9}}));
    const PointStore& store = points.store();
    ASSERT_EQ(store.count(), 3u);
    EXPECT_EQ(points.selected(), (std::vector<std::int32_t>{1, 0, 0}));
    EXPECT_EQ(store.number()[2], "1");  // numbers already in the store may repeat
    EXPECT_EQ(store.y()[2], 8);
    for (std::size_t i = 1; i < 3; ++i) {
        EXPECT_EQ(store.colour()[i], 0x00FF00);
        EXPECT_EQ(store.kind()[i], kKindPoint);
        EXPECT_EQ(store.active()[i], 1);
    }
}

}  // namespace
}  // namespace korvela
