#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "cli/cli_runner.h"
#include "common/cp1251.h"
#include "tasks/field_survey_builder.h"

namespace korvela {
namespace {

using testing::FieldSurveyBuilder;
using testing::runCli;
using testing::TempDir;

std::string field(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%-16.9f", value);
    return std::string(text).substr(0, 16);
}
std::string id(const std::string& name) {
    char text[32];
    std::snprintf(text, sizeof text, "%16s", name.c_str());
    return text;
}
std::string blank() { return std::string(16, ' '); }

// An SDR33 file of the builder's points (08 KI) and set-ups; angles written in the unit the
// header names (per circle: 360 degrees, 400 gons, 6400 mils).
std::string sdrFile(const FieldSurveyBuilder& b, char angleUnit, double perCircle) {
    const double scale = perCircle / 360;
    const char distanceUnit = b.list.distanceUnit == DistanceUnit::Feet ? '2' : '1';
    std::string text = std::string("00NMSDR33 V04-04.02    01-Jan-00 00:00 ") + angleUnit +
                       distanceUnit + "1111\r\n";
    for (std::size_t i = 0; i < b.store.count(); ++i)
        text += "08KI" + id(std::string(b.store.number()[i])) + field(b.store.x()[i]) +
                field(b.store.y()[i]) + field(b.store.z()[i]) + "\r\n";
    for (std::uint32_t s = 0; s < b.list.setUps.size(); ++s) {
        const StationSetUp& setUp = b.list.setUps[s];
        const std::string station(b.list.names[setUp.station]);
        text += "02TP" + id(station) + blank() + blank() + blank() +
                field(setUp.instrumentHeight) + "\r\n";
        for (const Sight& sight : b.list.sights) {
            if (sight.setUp != s) continue;
            const std::string target(b.list.targetOf(sight));
            if (sight.kind == SightKind::Backsight) {
                text += "07TP" + id(station) + id(target) + field(sight.value[1] * scale) +
                        field(sight.value[0] * scale) + "\r\n";
                continue;
            }
            text += "03NM" + field(sight.targetHeight) + "\r\n";
            text += std::string("09") + (sight.kind == SightKind::FaceLeft ? "F1" : "F2") +
                    id(station) + id(target) + field(sight.value[2]) +
                    field(sight.value[1] * scale) + field(sight.value[0] * scale) + "\r\n";
        }
    }
    return text;
}

// A link traverse 1-2-3 between 100 and 200, and the same in feet.
FieldSurveyBuilder linkSurvey(DistanceUnit unit, double disturbance = 0) {
    FieldSurveyBuilder b;
    b.list.distanceUnit = unit;
    b.point("100", 1000, 1000, 100, true);
    b.point("1", 1200, 1100, 105, true);
    b.point("2", 1350, 1300, 98, false);
    b.point("3", 1300, 1550, 110, true);
    b.point("200", 1400, 1700, 101, true);
    b.setUp("1", 12.5);
    b.faces("100");
    b.faces("2");
    b.setUp("2", 200.25);
    b.faces("1");
    b.faces("3", 1.2, disturbance);
    b.setUp("3", 300);
    b.faces("2");
    b.faces("200");
    return b;
}

// The same file with its stations at provisional zeros, and its 08 records after every
// other record: each station number names a station at 0/0/0 before its known point.
std::string provisionalStationsFirst(const std::string& text) {
    std::istringstream lines(text);
    std::string line, others, coordinates;
    while (std::getline(lines, line)) {
        if (line.starts_with("02")) line.replace(20, 48, field(0) + field(0) + field(0));
        (line.starts_with("08") ? coordinates : others) += line + "\n";
    }
    return others + coordinates;
}

struct PointLine {
    std::string number;
    double x, y, z;
};
std::vector<PointLine> pointLines(const std::string& out) {
    std::vector<PointLine> points;
    std::istringstream lines(out);
    std::string line;
    while (std::getline(lines, line)) {
        PointLine p;
        std::istringstream cells(line);
        std::string x, y, z;
        std::getline(cells, p.number, '\t');
        std::getline(cells, x, '\t');
        std::getline(cells, y, '\t');
        std::getline(cells, z, '\t');
        p.x = std::stod(x), p.y = std::stod(y), p.z = std::stod(z);
        points.push_back(p);
    }
    return points;
}

TEST(TraverseCli, UnitsOfTheFieldFileGiveTheSameStations) {
    const struct {
        const char* name;
        DistanceUnit unit;
        char angleUnit;
        double perCircle;
        bool stationRecordsFirst = false;  // their provisional zeros before the known points
    } cases[] = {{"degrees, metres", DistanceUnit::Metres, '1', 360},
                 {"gons", DistanceUnit::Metres, '2', 400},
                 {"mils", DistanceUnit::Metres, '3', 6400},
                 {"feet", DistanceUnit::Feet, '1', 360},
                 {"station records first", DistanceUnit::Metres, '1', 360, true}};
    TempDir folder;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const FieldSurveyBuilder b = linkSurvey(c.unit);
        const std::string path = folder.file(std::string(c.name) + ".sdr");
        const std::string text = sdrFile(b, c.angleUnit, c.perCircle);
        std::ofstream(path, std::ios::binary)
            << (c.stationRecordsFirst ? provisionalStationsFirst(text) : text);
        const auto sheet = runCli({"traverse", path, "1", "2", "3", "--start-sight", "100",
                                   "--end-sight", "200"});
        ASSERT_EQ(sheet.status, 0) << sheet.err;
        EXPECT_NE(cp1251ToUtf8(sheet.out).find("fb = 0.0\""), std::string::npos)
            << cp1251ToUtf8(sheet.out);
        const auto points = runCli({"traverse", path, "1", "2", "3", "--start-sight", "100",
                                    "--end-sight", "200", "--points", "--method", "lsq"});
        ASSERT_EQ(points.status, 0) << points.err;
        const std::vector<PointLine> lines = pointLines(points.out);
        ASSERT_EQ(lines.size(), 3u);
        // A file in feet reports in feet: the coordinates come back as the builder chose them.
        EXPECT_EQ(lines[1].number, "2");
        EXPECT_NEAR(lines[1].x, 1350, 0.0005);
        EXPECT_NEAR(lines[1].y, 1300, 0.0005);
        EXPECT_NEAR(lines[1].z, 98, 0.0005);
    }
}

TEST(TraverseCli, StatusesOfLimitsRefusalsAndArguments) {
    TempDir folder;
    const std::string path = folder.file("disturbed.sdr");
    std::ofstream(path, std::ios::binary) << sdrFile(linkSurvey(DistanceUnit::Metres, 40), '1', 360);
    const std::vector<std::string> base = {"traverse", path, "1", "2", "3", "--start-sight",
                                           "100", "--end-sight", "200"};
    const auto with = [&](std::vector<std::string> extra) {
        std::vector<std::string> arguments = base;
        arguments.insert(arguments.end(), extra.begin(), extra.end());
        return arguments;
    };
    const struct {
        const char* name;
        std::vector<std::string> arguments;
        int status;
        const char* err;
    } cases[] = {
        // 40" over three angles against 10"·√3 = 17.3"
        {"beyond the limit the sheet is printed", with({"--angular-limit", "10"}), 0, ""},
        {"beyond the limit no points", with({"--angular-limit", "10", "--points"}), 3,
         "превышают допуск"},
        {"accepted beyond the limit", with({"--angular-limit", "10", "--points", "--accept"}), 0,
         ""},
        {"within the default limit", with({"--points"}), 0, ""},
        {"refused", {"traverse", path, "1"}, 3, "меньше двух станций"},
        {"no orientation", {"traverse", path, "3", "2", "--hanging"}, 3, "не ориентирована"},
        {"wrong method", with({"--method", "best"}), 2, "--method"},
        {"wrong limit", with({"--relative-limit", "-5"}), 2, "--relative-limit"},
        {"both shapes", with({"--closed", "--hanging"}), 2, "exclude"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto result = runCli(c.arguments);
        EXPECT_EQ(result.status, c.status) << result.err;
        EXPECT_NE(result.err.find(c.err), std::string::npos) << result.err;
    }
}

}  // namespace
}  // namespace korvela
