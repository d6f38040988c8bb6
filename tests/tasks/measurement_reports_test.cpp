#include "tasks/measurement_reports.h"

#include "area/area_hand_over.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "common/cp1251.h"
#include "points/point_store.h"

namespace korvela {
namespace {

struct Survey {
    PointStore store;
    std::vector<std::int32_t> selected;

    Survey& add(std::string number, double x, double y, double z, std::int32_t isSelected = 1) {
        store.append(std::move(number), x, y, z, kColourAqua, kKindPoint);
        selected.push_back(isSelected);
        return *this;
    }
    Survey& freezeLast() {
        store.setActive(store.count() - 1, 0);
        return *this;
    }
};

const std::string kThreeMessage = utf8ToCp1251("Надо выбрать ровно три точки!");
const std::string kTwoMessage = utf8ToCp1251("Надо выбрать ровно две точки!");
const std::string kCoincide = utf8ToCp1251("Точки совпадают!");

TEST(LengthReport, ListsEverySelectedPairInStoreOrder) {
    Survey survey;
    survey.add("1", 0, 0, 0).add("x", 9, 9, 9, 0).add("2", 3, 4, 0).freezeLast().add("3", 1, 1, 0);
    EXPECT_EQ(lengthReport(survey.store, survey.selected),
              "1 2\r\n5\r\n\r\n"
              "1 3\r\n1.4142135623731\r\n\r\n"
              "2 3\r\n3.60555127546399\r\n\r\n");
}

TEST(LengthReport, IsEmptyWithFewerThanTwoPoints) {
    Survey survey;
    EXPECT_EQ(lengthReport(survey.store, survey.selected), "");
    survey.add("1", 0, 0, 0).add("2", 1, 0, 0, 0);
    EXPECT_EQ(lengthReport(survey.store, survey.selected), "");
}

TEST(InteriorAnglesReport, GivesOneBlockPerVertexInStoreOrder) {
    Survey survey;
    survey.add("A", 0, 0, 0)
        .add("skip", 5, 5, 5, 0)
        .add("B", 10, 0, 0)
        .freezeLast()
        .add("\xCF", 0, 10, 0);
    EXPECT_EQ(interiorAnglesReport(survey.store, survey.selected),
              "A\r\n90\xB0 0' 0''\r\n\r\n"
              "B\r\n45\xB0 0' 0''\r\n\r\n"
              "\xCF\r\n45\xB0 0' 0''\r\n\r\n");
}

TEST(InteriorAnglesReport, DifferentHeightsGiveSpatialAngles) {
    Survey survey;
    survey.add("1", 0, 0, 0).add("2", 10, 0, 0).add("3", 0, 0, 10);
    EXPECT_EQ(interiorAnglesReport(survey.store, survey.selected).substr(0, 17),
              "1\r\n90\xB0 0' 0''\r\n\r\n");
}

TEST(InteriorAnglesReport, AnyCountButThreeGivesTheMessageLine) {
    for (int count : {0, 1, 2, 4}) {
        Survey survey;
        for (int i = 0; i < count; ++i) survey.add(std::to_string(i), i, i * i, 0);
        EXPECT_EQ(interiorAnglesReport(survey.store, survey.selected), kThreeMessage) << count;
    }
}

TEST(InteriorAnglesReport, CoincidentPointsAndStraightLinesGiveNoNan) {
    Survey coincident;
    coincident.add("1", 5, 5, 5).add("2", 5, 5, 5).add("3", 8, 9, 5);
    EXPECT_EQ(interiorAnglesReport(coincident.store, coincident.selected),
              "1\r\n" + kCoincide +
                  "\r\n\r\n"
                  "2\r\n" +
                  kCoincide +
                  "\r\n\r\n"
                  "3\r\n0\xB0 0' 0''\r\n\r\n");

    // Cosines that rounding pushes just past ±1 are clamped.
    Survey straight;
    straight.add("1", 0, 0, 0).add("2", 1.1, 4.7, 0.3).add("3", -2.2, -9.4, -0.6);
    EXPECT_EQ(interiorAnglesReport(straight.store, straight.selected),
              "1\r\n180\xB0 0' 0''\r\n\r\n2\r\n0\xB0 0' 0''\r\n\r\n3\r\n0\xB0 0' 0''\r\n\r\n");
}

TEST(DirectionalAngleReport, FindsEachNumberExactlyOnce) {
    Survey survey;
    survey.add("1", 0, 0, 0, 0).add("\xCF\xD3", 3, 4, 0, 0).add("d", 1, 1, 0).add("d", 2, 2, 0);
    EXPECT_EQ(directionalAngleReport(survey.store, "1", "\xCF\xD3"), "53\xB0 7' 48''\r\n");
    EXPECT_EQ(directionalAngleReport(survey.store, "\xCF\xD3", "1"), "233\xB0 7' 48''\r\n");
    const struct {
        const char* from;
        const char* to;
    } failing[] = {
        {"1 ", "\xCF\xD3"},  // a trailing blank matches nothing
        {"1", "2"},          // not found
        {"1", "d"},          // found twice
        {"1", "1"},          // both fields name the same point
        {"", "1"},
    };
    for (const auto& c : failing) {
        EXPECT_EQ(directionalAngleReport(survey.store, c.from, c.to), kTwoMessage)
            << c.from << '/' << c.to;
    }
}

TEST(AreaHandOver, TakesSelectedPointsThatAreNotFrozenInStoreOrder) {
    Survey survey;
    survey.add("1", 1, 2, 3)
        .add("2", 4, 5, 6, 0)
        .add("3", 7, 8, 9)
        .freezeLast()
        .add("4", 10, 11, 12);
    const std::vector<PlanePoint> vertices = areaHandOverPoints(survey.store, survey.selected);
    ASSERT_EQ(vertices.size(), 2u);
    EXPECT_EQ(vertices[0].x, 1);
    EXPECT_EQ(vertices[0].y, 2);
    EXPECT_EQ(vertices[1].x, 10);
    EXPECT_EQ(vertices[1].y, 11);
}

TEST(LengthReport, ASelectionWithTooManyPairsIsRefusedWithItsCounts) {
    EXPECT_FALSE(lengthReportRefusal(std::vector<std::int32_t>(3162, 1)));  // 4,997,541 pairs
    std::vector<std::int32_t> selected(5000, 0);
    std::fill(selected.begin(), selected.begin() + 3163, 1);  // 5,000,703 pairs
    const auto refusal = lengthReportRefusal(selected);
    ASSERT_TRUE(refusal);
    EXPECT_NE(refusal->find("3163"), std::string::npos);
    EXPECT_NE(refusal->find("5000703"), std::string::npos);
}

}  // namespace
}  // namespace korvela
