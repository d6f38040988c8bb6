#include "tasks/common_point_transform.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "common/cp1251.h"
#include "points/point_store.h"
#include "test_support.h"

namespace korvela {
namespace {

using testing::near;

// The map the tests hide in the first survey: a national-grid shift, 30°, 1.0002.
constexpr double kShiftX = 6123456.789;
constexpr double kShiftY = 7412345.678;
constexpr double kShiftZ = 151.25;
constexpr double kRotation = std::numbers::pi / 6;
constexpr double kScale = 1.0002;

SpacePoint knownMap(const SpacePoint& p, double rotation = kRotation) {
    const double a = kScale * std::cos(rotation), b = kScale * std::sin(rotation);
    return {kShiftX + a * p.x - b * p.y, kShiftY + b * p.x + a * p.y, p.z + kShiftZ};
}

// Local points on a 100 m grid, four to a row, numbered 1, 2, ...
std::vector<SpacePoint> gridPoints(std::size_t count) {
    std::vector<SpacePoint> points;
    for (std::size_t i = 0; i < count; ++i)
        points.push_back({100.0 * (i % 4), 100.0 * (i / 4), 0.5 * i});
    return points;
}

struct Surveys {
    PointStore first, second;
    std::vector<std::int32_t> selected;
};

// The first survey holds the common points mapped (one of them moved by `disturbance` in X,
// each scattered by up to `scatter`), selected; the second holds them in the local system with
// one more point, "extra".
Surveys surveysOf(std::size_t common, std::optional<std::size_t> disturbed, double disturbance,
                  double rotation = kRotation, double scatter = 0) {
    Surveys s;
    const std::vector<SpacePoint> local = gridPoints(common);
    for (std::size_t i = 0; i < common; ++i) {
        SpacePoint p = knownMap(local[i], rotation);
        if (disturbed == i) p.x += disturbance;
        p.x += scatter * std::sin(2.3 * i);
        p.y += scatter * std::cos(1.7 * i);
        s.first.append(std::to_string(i + 1), p.x, p.y, p.z, kColourAqua, kKindPoint);
        s.second.append(std::to_string(i + 1), local[i].x, local[i].y, local[i].z, kColourAqua,
                        i == 0 ? kKindStation : kKindPoint);
    }
    s.second.append("extra", 55, 66, 7, kColourAqua, kKindPoint);
    s.selected.assign(common, 1);
    return s;
}

TEST(CommonPointTransform, RecoversAKnownMapAndMarksTheDisturbedPoint) {
    const struct {
        const char* name;
        std::size_t common;
        std::optional<std::size_t> disturbed;
    } cases[] = {
        {"four points", 4, std::nullopt},
        {"two points are exact", 2, std::nullopt},
        {"one of twelve moved by 5 cm", 12, 5},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const Surveys s = surveysOf(c.common, c.disturbed, 0.05);
        const TransformOutcome outcome =
            computeCommonPointTransform(s.first, s.selected, s.second, kDefaultBlunderConfidence);
        ASSERT_FALSE(outcome.notice);
        ASSERT_EQ(outcome.residuals.size(), c.common);
        for (std::size_t i = 0; i < c.common; ++i) {
            const CommonPointResidual& r = outcome.residuals[i];
            EXPECT_EQ(r.suspect, c.disturbed == i) << r.number;
            if (!c.disturbed) {
                EXPECT_LT(std::hypot(r.vx, r.vy, r.vz), 1e-6) << r.number;
            }
        }
        if (c.disturbed) {
            EXPECT_GT(outcome.planeRms, 0.01);
            continue;
        }
        EXPECT_TRUE(near(kShiftX, outcome.map.shiftX(), 1e-6));
        EXPECT_TRUE(near(kShiftY, outcome.map.shiftY(), 1e-6));
        EXPECT_TRUE(near(kShiftZ, outcome.map.shiftZ, 1e-6));
        EXPECT_TRUE(near(kRotation, outcome.map.rotation(), 1e-9));
        EXPECT_TRUE(near(kScale, outcome.map.scale(), 1e-9));
        const SpacePoint extra = knownMap({55, 66, 7});
        const TransformedPoint& last = outcome.points.back();
        EXPECT_TRUE(near(extra.x, last.x, 0.00006));
        EXPECT_TRUE(near(extra.y, last.y, 0.00006));
    }
}

TEST(CommonPointTransform, NoticesWhenTheCommonPointsCannotCarryAMap) {
    constexpr double kHuge = 1e300;  // squares of such coordinates overflow
    const std::vector<SpacePoint> twoApart = {{0, 0, 0}, {10, 0, 0}};
    const struct {
        const char* name;
        std::vector<std::string> secondNumbers;
        std::vector<SpacePoint> secondPoints;
        TransformNotice notice;
        std::size_t unpaired;
        std::vector<SpacePoint> firstPoints;  // numbered "1", "2", ..., all selected
    } cases[] = {
        {"one partner", {"1", "9"}, {{0, 0, 0}, {1, 1, 0}}, TransformNotice::TooFewCommonPoints, 1,
         twoApart},
        {"a number twice in the second survey",
         {"1", "2", "2"},
         {{0, 0, 0}, {1, 0, 0}, {2, 0, 0}},
         TransformNotice::TooFewCommonPoints,
         1,
         twoApart},
        {"partners at one place",
         {"1", "2"},
         {{5, 5, 0}, {5, 5, 9}},
         TransformNotice::CommonPointsCoincide,
         0,
         twoApart},
        {"the first survey's points at one place",
         {"1", "2", "3"},
         {{0, 0, 0}, {10, 0, 0}, {0, 10, 0}},
         TransformNotice::FirstPointsCoincide,
         0,
         {{7, 7, 1}, {7, 7, 2}, {7, 7, 3}}},
        {"a mirror image, which no turn and scale gives",
         {"1", "2", "3", "4"},
         {{1, 0, 0}, {-1, 0, 0}, {0, 1, 0}, {0, -1, 0}},
         TransformNotice::ZeroScale,
         0,
         {{1, 0, 0}, {-1, 0, 0}, {0, -1, 0}, {0, 1, 0}}},
        {"coordinates too large to compute with",
         {"1", "2"},
         {{0, 0, 0}, {kHuge, kHuge, 0}},
         TransformNotice::NotFinite,
         0,
         {{0, 0, 0}, {kHuge, -kHuge, 0}}},
        {"another point of the second survey too far to map",
         {"1", "2", "9"},
         {{0, 0, 0}, {10, 0, 0}, {1e308, 1e308, 0}},
         TransformNotice::NotFinite,
         0,
         {{0, 0, 0}, {0, 20, 0}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        PointStore first;
        for (const SpacePoint& p : c.firstPoints) {
            first.append(std::to_string(first.count() + 1), p.x, p.y, p.z, kColourAqua, kKindPoint);
        }
        PointStore second;
        for (std::size_t i = 0; i < c.secondNumbers.size(); ++i) {
            const SpacePoint& p = c.secondPoints[i];
            second.append(c.secondNumbers[i], p.x, p.y, p.z, kColourAqua, kKindPoint);
        }
        const TransformOutcome outcome = computeCommonPointTransform(
            first, std::vector<std::int32_t>(first.count(), 1), second, kDefaultBlunderConfidence);
        EXPECT_EQ(outcome.notice, c.notice);
        EXPECT_EQ(outcome.unpaired.size(), c.unpaired);
        EXPECT_TRUE(outcome.points.empty());
        EXPECT_EQ(transformReport(outcome).rfind(utf8ToCp1251(transformNoticeText(c.notice)), 0),
                  0u);
    }
}

TEST(CommonPointTransform, ReportStatesTheMapResidualsAndLeftOutPoints) {
    constexpr double kTurnedBack = -(10 + 20 / 60.0 + 30 / 3600.0) * std::numbers::pi / 180;
    const struct {
        const char* name;
        Surveys surveys;
        std::vector<const char*> lines;
        std::size_t marks;
        double confidence = kDefaultBlunderConfidence;
    } cases[] = {
        {"exact",
         surveysOf(4, std::nullopt, 0, kTurnedBack),
         {"Общих точек: 4\r\n", "Сдвиг по X: 6123456.789 м\r\n", "Сдвиг по Z: 151.250 м\r\n",
          "Поворот: -10° 20' 30''\r\n", "Масштаб: 1.000200000 (200.0 ppm)\r\n",
          "Точка\tvX, мм\tvY, мм\tvZ, мм\r\n1\t0.0\t0.0\t0.0\r\n2\t",
          "\r\nСКО в плане: 0.0 мм\r\nСКО по высоте: 0.0 мм\r\nСКО единицы веса m0: 0.0 мм\r\n",
          "ошибки\r\n\r\n", "(не участвуют):\r\nПУ7\r\n"},
         0},
        {"one moved", surveysOf(12, 5, 0.05), {"Общих точек: 12\r\n", "\t0.0\t!\r\n7\t"}, 1},
        // Point 3 alone moved 5 cm: the sum of squares keeps (1 − h)·(5 cm)², h = 1/5 +
        // r²/Σr² = 0.2 + 6800/76000 for the distances from the centroid (120, 20); m0 =
        // sqrt(Σ/6). The other four fit exactly, so the move shows.
        {"a 5 cm blunder among five exact points",
         surveysOf(5, 2, 0.05),
         {"\t!\r\n4\t",
          "СКО единицы веса m0: 17.2 мм\r\n«!» — расхождение точки с трансформацией "
          "по остальным общим точкам превышает предел при вероятности 0.99\r\n\r\n"},
         1},
        {"a good job with 2 mm of scatter",
         surveysOf(6, std::nullopt, 0, kRotation, 0.002),
         {"при вероятности 0.99\r\n\r\n"},
         0},
        {"four points show only gross errors",
         surveysOf(4, 1, 0.05),
         {"\t!\r\n3\t", "0.99\r\nПри четырёх общих точках заметны только грубые ошибки\r\n"},
         1},
        {"three points cannot be tested",
         surveysOf(3, 0, 0.05),
         {" мм\r\nПри трёх и менее общих точках проверить их на промахи нельзя\r\n"},
         0},
        // Point 4 moved 5 mm among six scattered by 2 mm: d²/(2·(1 + q)·m0′²) from the fit of
        // the other five is 7.34, between F(2, 6) at 0.95 (5.14) and at 0.99 (10.92); the
        // other points' stay below 2.6.
        {"5 mm among 2 mm of scatter, at 0.95",
         surveysOf(6, 3, 0.005, kRotation, 0.002),
         {"\t!\r\n5\t", "при вероятности 0.95\r\n"},
         1,
         0.95},
        {"5 mm among 2 mm of scatter, at 0.99", surveysOf(6, 3, 0.005, kRotation, 0.002), {}, 0},
    };
    for (auto c : cases) {
        SCOPED_TRACE(c.name);
        c.surveys.first.append(
            "\xCF\xD3"
            "7",
            1, 2, 3, kColourAqua, kKindPoint);  // "ПУ7"
        c.surveys.selected.push_back(1);
        const std::string report = cp1251ToUtf8(transformReport(computeCommonPointTransform(
            c.surveys.first, c.surveys.selected, c.surveys.second, c.confidence)));
        for (const char* line : c.lines)
            EXPECT_NE(report.find(line), std::string::npos) << line << "\n" << report;
        std::size_t marks = 0;
        for (auto at = report.find("\t!"); at != std::string::npos; at = report.find("\t!", at + 1))
            ++marks;
        EXPECT_EQ(marks, c.marks);
    }
}

TEST(CommonPointTransform, AppendsEverySecondPointGreenWithItsKind) {
    const Surveys s = surveysOf(3, std::nullopt, 0);
    const PointStore appended = transformedPoints(
        computeCommonPointTransform(s.first, s.selected, s.second, kDefaultBlunderConfidence)
            .points);
    ASSERT_EQ(appended.count(), 4u);
    EXPECT_EQ(appended.kind(),
              (std::vector<std::uint8_t>{kKindStation, kKindPoint, kKindPoint, kKindPoint}));
    EXPECT_EQ(appended.colour(), std::vector<std::int32_t>(4, kColourGreen));
    EXPECT_EQ(appended.number()[3], "extra");
}

}  // namespace
}  // namespace korvela

namespace korvela {
namespace {

// A catalogue without heights at its common points leaves every height as it came.
TEST(CommonPointTransform, HeightsAreLeftAloneWhenOneSideHasNone) {
    const struct {
        const char* name;
        bool zeroFirst, zeroSecond;
        MissingHeights missing;
        double extraHeight;  // the appended point's height, "extra" came with 7
        const char* reportLine;
    } cases[] = {
        {"both with heights", false, false, MissingHeights::None, 7 + kShiftZ, "Сдвиг по Z: 151.250"},
        {"first without", true, false, MissingHeights::First, 7,
         "Высоты не преобразованы: в первом наборе нет высот"},
        {"second without", false, true, MissingHeights::Second, 7,
         "Высоты не преобразованы: во втором наборе нет высот"},
    };
    for (const auto& c : cases) {
        Surveys s = surveysOf(5, std::nullopt, 0);
        for (std::size_t i = 0; i < 5; ++i) {
            if (c.zeroFirst) s.first.setZ(i, 0);
            if (c.zeroSecond) s.second.setZ(i, 0);
        }
        const TransformOutcome outcome =
            computeCommonPointTransform(s.first, s.selected, s.second, kDefaultBlunderConfidence);
        ASSERT_FALSE(outcome.notice) << c.name;
        EXPECT_EQ(outcome.missingHeights, c.missing) << c.name;
        EXPECT_NEAR(outcome.points.back().z, c.extraHeight, 1e-4) << c.name;
        const std::string report = cp1251ToUtf8(transformReport(outcome));
        EXPECT_NE(report.find(c.reportLine), std::string::npos) << c.name << "\n" << report;
        EXPECT_EQ(report.find("СКО по высоте") == std::string::npos,
                  c.missing != MissingHeights::None)
            << c.name;
    }
}

}  // namespace
}  // namespace korvela
