#include <gtest/gtest.h>

#include <string>

#include "points/observations.h"
#include "points/point_store.h"
#include "points/survey_reader.h"

namespace korvela {
namespace {

struct Read {
    PointStore points;
    ObservationList observations;
    SurveyNotes notes;
};

Read readGsi(const std::string& bytes) {
    Read read;
    readSurvey(bytes, read.points, 1, &read.observations, &read.notes);
    return read;
}

// Each file holds one point; the expected coordinates are the data digits scaled by hand.
TEST(GsiReader, ReadsAPointInEveryLengthUnitAndBothWidths) {
    const struct {
        const char* what;
        std::string line;
        const char* number;
        double x, y, z;
        const char* code;
    } cases[] = {
        {"GSI-16, millimetres",
         "*110001+0000000000009001 81..00+0000000005387123 "
         "82..00-0000000000992456 83..00+0000000000100050",
         "9001", -992.456, 5387.123, 100.050, ""},
        {"GSI-8 without '*', words in another order, a letter in the number",
         "110002+000000w1 83..00+00000100 82..00+00012345 81..00+00067890", "w1", 12.345, 67.890,
         0.100, ""},
        {"tenths of a millimetre, a height of dashes",
         "*110003+0000000000000003 81..06+0000000012345678 82..06+0000000000000010 "
         "83..06+----------------",
         "3", 0.001, 1234.5678, 0, ""},
        {"hundredths of a millimetre, a number of zeros",
         "*110004+0000000000000000 81..08+0000000123456789 82..08-0000000000000001 "
         "83..08+0000000000500000",
         "0", -0.00001, 1234.56789, 5, ""},
        {"thousandths of a foot", "110005+00000005 81..01+00001000 82..01+00002000 83..01+00000300",
         "5", 2, 1, 0.3, ""},
        {"ten-thousandths of a foot, a remark as the code",
         "110006+00000006 81..07+00012345 82..07+00000001 83..07+00000000 71....+0000KERB", "6",
         0.0001, 1.2345, 0, "KERB"},
        {"a code block's code goes to the point after it",
         "410001+00000011\r\n110007+00000007 81..00+00001000 82..00+00002000", "7", 2, 1, 0, "11"},
        {"station coordinates without target words: a station",
         "*110008+0000000000000008 84..10+0000000000001000 85..10+0000000000002000 "
         "86..10+0000000000000300 88..10+0000000000001500",
         "8", 2, 1, 0.3, ""},
    };
    for (const auto& c : cases) {
        const Read read = readGsi(c.line + "\r\n");
        ASSERT_EQ(read.points.count(), 1u) << c.what;
        EXPECT_EQ(read.points.number()[0], c.number) << c.what;
        EXPECT_NEAR(read.points.x()[0], c.x, 1e-9) << c.what;
        EXPECT_NEAR(read.points.y()[0], c.y, 1e-9) << c.what;
        EXPECT_NEAR(read.points.z()[0], c.z, 1e-9) << c.what;
        EXPECT_EQ(read.points.code()[0], c.code) << c.what;
        const bool station = std::string(c.what).starts_with("station");
        EXPECT_EQ(read.points.kind()[0], station ? kKindStation : kKindPoint) << c.what;
        EXPECT_EQ(read.notes.eightDigits, c.line.find('*') == std::string::npos) << c.what;
    }
}

// Angles by unit: 100 gon, 1600 mil and 90.00000° are all a right angle; 123°45'30.5" is
// 123.758472...°. A zenith over 180° is face right.
TEST(GsiReader, AFileOfObservationsGivesItsSightsAndNoPoints) {
    const Read read = readGsi(
        "*110001+0000000000000001 88..10+0000000000001550\n"
        "*110002+0000000000000002 21.324+0000000012345305 22.324+0000000027000000 "
        "31..00+0000000000123456 87..10+0000000000001700\n"
        "*110003+0000000000000003 21.322+0000000010000000 22.323+0000000003000000 "
        "32..00+0000000000050000\n"
        "*110004+0000000000000004 21.325+0000000160000000 22.323+0000000009000000 "
        "31..00+0000000000000000\n");
    EXPECT_EQ(read.points.count(), 0u);
    const ObservationList& list = read.observations;
    ASSERT_EQ(list.setUps.size(), 1u);
    EXPECT_EQ(list.names[list.setUps[0].station], "1");
    EXPECT_DOUBLE_EQ(list.setUps[0].instrumentHeight, 1.55);
    const struct {
        const char* target;
        SightKind face;
        double hz, v, sd, th;
    } expected[] = {
        {"2", SightKind::FaceRight, 123 + 45.0 / 60 + 30.5 / 3600, 270, 123.456, 1.7},
        {"3", SightKind::FaceLeft, 90, 30, 100, 1.7},  // 50 m level at 30° from the zenith
        {"4", SightKind::FaceLeft, 90, 90, kNotRecorded, 1.7},
    };
    ASSERT_EQ(list.sights.size(), std::size(expected));
    for (std::size_t i = 0; i < std::size(expected); ++i) {
        const Sight& sight = list.sights[i];
        const auto& e = expected[i];
        EXPECT_EQ(list.targetOf(sight), e.target);
        EXPECT_EQ(list.stationOf(sight), "1");
        EXPECT_EQ(sight.kind, e.face) << e.target;
        EXPECT_NEAR(horizontalReading(sight), e.hz, 1e-9) << e.target;
        EXPECT_NEAR(verticalReading(sight), e.v, 1e-9) << e.target;
        if (recorded(e.sd)) {
            EXPECT_NEAR(slopeDistance(sight), e.sd, 1e-9) << e.target;
        } else {
            EXPECT_FALSE(recorded(slopeDistance(sight))) << e.target;
        }
        EXPECT_DOUBLE_EQ(sight.targetHeight, e.th) << e.target;
    }
}

TEST(GsiReader, CodeBlockStartsAStationAndStrayLinesAreCounted) {
    const Read read = readGsi(
        "410001+00000002\n"
        "110010+00000010\n"
        "not a gsi line\n"
        "\n"
        "110011+00000011 21.104+09000000\n"
        "110012+00000012\n");
    const ObservationList& list = read.observations;
    ASSERT_EQ(list.sights.size(), 1u);
    EXPECT_EQ(list.stationOf(list.sights[0]), "10");
    EXPECT_EQ(list.targetOf(list.sights[0]), "11");
    EXPECT_TRUE(read.notes.gsi);
    EXPECT_TRUE(read.notes.eightDigits);
    EXPECT_EQ(read.notes.skippedLines, 2u);
    EXPECT_EQ(read.notes.statusText(), "GSI-8, 8 знаков, пропущено строк: 2");
}

TEST(GsiReader, OtherFormatsSayNothingInTheStatusLine) {
    for (const char* file : {"1,10,20,30,KERB\n", "Sokkia - sdr\n"}) {
        const Read read = readGsi(file);
        EXPECT_FALSE(read.notes.gsi) << file;
        EXPECT_EQ(read.notes.statusText(), "") << file;
    }
}

}  // namespace
}  // namespace korvela
