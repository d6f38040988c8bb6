#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <string>
#include <vector>

#include "common/angle_parse.h"
#include "common/angle_text.h"
#include "tasks/field_survey_builder.h"
#include "tasks/station_readings.h"

namespace korvela {
namespace {

using testing::FieldSurveyBuilder;

// Station S set up twice (circle zeros 40° and 200°, the second sighting one target more);
// E's sights to T1 struck out of the journal.
FieldSurveyBuilder survey() {
    FieldSurveyBuilder b;
    b.point("S", 500, 500, 100, false);
    b.point("T1", 600, 520, 101, true);
    b.point("T2", 450, 620, 99, true);
    b.point("T3", 380, 430, 102, true);
    b.point("E", 700, 400, 100, true);
    b.setUp("S", 40, 1.5);
    b.faces("T1");
    b.faces("T2");
    b.setUp("S", 200, 1.62);
    b.faces("T1", 1.3);
    b.faces("T2");
    b.faces("T3");
    b.setUp("E", 10);
    b.faces("T1");
    b.faces("T2");
    b.list.sights[b.list.sights.size() - 3].excluded = true;
    b.list.sights[b.list.sights.size() - 4].excluded = true;
    return b;
}

double azimuthDegrees(const FieldSurveyBuilder::Position& a,
                      const FieldSurveyBuilder::Position& b) {
    return std::atan2(b.y - a.y, b.x - a.x) * 180 / std::numbers::pi;
}

TEST(StationReadingsTest, TheSetUpSightingMostOfTheTargetsGivesThemAll) {
    const FieldSurveyBuilder b = survey();
    const struct {
        const char* name;
        const char* station;
        std::vector<std::string> targets;
        double circleZero;  // of the set-up expected to answer
        double instrumentHeight;
        std::vector<bool> observed;
    } cases[] = {
        {"the second set-up sights all three", "S", {"T3", "T1", "T2"}, 200, 1.62, {true, true, true}},
        {"equal counts: the first set-up", "S", {"T1", "T2"}, 40, 1.5, {true, true}},
        {"an unsighted target", "S", {"T1", "X"}, 40, 1.5, {true, false}},
        {"excluded sights", "E", {"T1", "T2"}, 10, 1.5, {false, true}},
        {"no such station", "Q", {"T1"}, 0, 0, {false}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const StationReadings readings =
            readingsAtStation(b.list, c.station, c.targets, TraverseSettings{});
        ASSERT_EQ(readings.targets.size(), c.targets.size());
        EXPECT_DOUBLE_EQ(readings.instrumentHeight, c.instrumentHeight);
        for (std::size_t i = 0; i < c.targets.size(); ++i) {
            SCOPED_TRACE(c.targets[i]);
            ASSERT_EQ(readings.targets[i].has_value(), c.observed[i]);
            if (!c.observed[i]) continue;
            const auto &from = b.at(c.station), &to = b.at(c.targets[i]);
            const double expected = azimuthDegrees(from, to) - c.circleZero;
            EXPECT_NEAR(signedDegrees(readings.targets[i]->direction - expected) * 3600, 0, 0.01);
            EXPECT_NEAR(readings.targets[i]->horizontalDistance,
                        std::hypot(to.x - from.x, to.y - from.y), 1e-5);
        }
    }
}

// The field text reads back as the angle to a tenth of a second, carrying up to degrees.
TEST(StationReadingsTest, AnglesAreWrittenAsTheFieldsReadThem) {
    const struct {
        double degrees;
        const char* text;
    } cases[] = {
        {234 + 7 / 60.0 + 4.08 / 3600, "234 07 04.1"},
        {10.5, "10 30 00.0"},
        {59.96 / 3600, "0 01 00.0"},
        {359 + 59 / 60.0 + 59.96 / 3600, "0 00 00.0"},
        {-0.5, "359 30 00.0"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(dmsFieldText(c.degrees), c.text);
        const auto back = parseAngle(c.text);
        ASSERT_TRUE(back.has_value());
        EXPECT_NEAR(signedDegrees(*back - c.degrees) * 3600, 0, 0.05);
    }
}

}  // namespace
}  // namespace korvela
