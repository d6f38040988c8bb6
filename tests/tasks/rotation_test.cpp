#include "tasks/rotation.h"

#include <gtest/gtest.h>

#include "points/point_store.h"

namespace korvela {
namespace {

struct Survey {
    PointStore store;
    std::vector<std::int32_t> selected;

    Survey& add(std::string number, double x, double y, double z, std::int32_t isSelected = 1,
                std::int32_t active = 1) {
        store.append(std::move(number), x, y, z, kColourAqua, kKindPoint);
        store.setActive(store.count() - 1, active);
        selected.push_back(isSelected);
        return *this;
    }
};

TEST(Rotation, TurnsAboutTheYAxisAndRoundsToFourDecimals) {
    Survey survey;
    survey.add("P", 10, 5, 2);
    const struct {
        double angle;
        const char *x, *y, *z;
    } cases[] = {
        {45, "5.6569", "5", "8.4853"}, {0, "-2", "5", "10"},   {30, "3.2679", "5", "9.6603"},
        {90, "10", "5", "2"},          {180, "2", "5", "-10"},
    };
    for (const auto& c : cases) {
        const std::vector<RotationRow> rows = rotatePoints(survey.store, survey.selected, c.angle);
        ASSERT_EQ(rows.size(), 1u);
        EXPECT_EQ(rows[0].number, "P");
        EXPECT_EQ(rows[0].x, c.x) << c.angle;
        EXPECT_EQ(rows[0].y, c.y) << c.angle;
        EXPECT_EQ(rows[0].z, c.z) << c.angle;
    }
}

TEST(Rotation, OnlySelectedPointsThatAreNotFrozenTakePart) {
    Survey survey;
    survey.add("1", 1, 0, 0).add("2", 2, 0, 0, 0).add("3", 3, 0, 0, 1, 0).add("4", 4, 0.5, 0);
    const std::vector<RotationRow> rows = rotatePoints(survey.store, survey.selected, 90);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].number, "1");
    EXPECT_EQ(rows[1].number, "4");
    EXPECT_EQ(rows[1].y, "0.5");
    EXPECT_TRUE(rotatePoints(survey.store, std::vector<std::int32_t>(4, 0), 90).empty());
}

TEST(Rotation, ProposesTheAngleOfTheFirstPairOnOneY) {
    const struct {
        const char* name;
        Survey survey;
        const char* proposal;
    } cases[] = {
        {"same Y", Survey{}.add("a", 0, 0, 0).add("b", 1, 0.005, 1), "45"},
        {"Y too far", Survey{}.add("a", 0, 0, 0).add("b", 1, 0.02, 1), "0"},
        {"same Z", Survey{}.add("a", 0, 0, 0).add("b", 1, 0, 0), "0"},
        {"first match stops the search",
         Survey{}.add("a", 0, 0, 0).add("b", 1, 0, 0).add("c", 1, 0, 1), "0"},
        {"negative", Survey{}.add("a", 0, 0, 0).add("b", -1, 0.009, 1), "-45"},
        {"frozen and unselected skipped",
         Survey{}.add("f", 9, 0, 9, 1, 0).add("a", 0, 0, 0).add("u", 5, 0, 1, 0).add("b", 1, 0, 1),
         "45"},
        {"a single point", Survey{}.add("a", 0, 0, 0), "0"},
        {"nothing selected", Survey{}.add("a", 0, 0, 0, 0).add("b", 1, 0, 1, 0), "0"},
        {"other slope", Survey{}.add("a", 0, 0, 0).add("b", 2, 0, 1), "63.434948822922"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(proposedRotationAngle(c.survey.store, c.survey.selected), c.proposal) << c.name;
    }
}

TEST(Rotation, RollScrollBarFollowsTheAngleWithinItsRangeAndWraps) {
    const struct {
        double angle;
        int position;
    } cases[] = {
        {45, 315},    {91, 1},     {90, 360},   {92, 362},   {0, 270},     {-30, 240},
        {-29.7, 241}, {45.9, 315}, {-270, 360}, {-271, 360}, {1e300, 362}, {-1e300, 360},
    };
    for (const auto& c : cases)
        EXPECT_EQ(rollScrollPositionAfterRotation(c.angle), c.position) << c.angle;
}

TEST(Rotation, ViewScrollBarsWrapAtBothEnds) {
    const int cases[][2] = {{0, 360}, {361, 1}, {362, 362}, {1, 1}, {360, 360}, {180, 180}};
    for (const auto& c : cases) EXPECT_EQ(wrapViewScrollPosition(c[0]), c[1]) << c[0];
}

}  // namespace
}  // namespace korvela
