// korvela-cli observations: one line per sight, each kind's columns where its record has them.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "cli_runner.h"

namespace korvela {
namespace {

using testing::runCli;

std::string id(const std::string& text) { return std::string(16 - text.size(), ' ') + text; }
std::string value(const std::string& text) { return text + std::string(16 - text.size(), ' '); }

// Each kind after a station with instrument height 2 and a target height of 1.25; the
// values typed into the record come back in their columns (feet as metres: 10 ft = 3.048 m).
TEST(CliObservations, EachKindPrintsItsColumns) {
    const std::string setUp = "02TP" + id("\xCF\xD3" "1") + value("0") + value("0") + value("0") +
                              value("2") + "\r\n03NM" + value("1.25") + "\r\n";
    const struct {
        const char* options;
        std::string record;
        std::string line;
    } cases[] = {
        {"113111", "09F1" + id("\xCF\xD3" "1") + id("T") + value("25.5") + value("91.25") +
                       value("234.11767"),
         "\t234.11767\t91.25\t25.5\t2\t1.25\t"},
        {"113111", "09F2" + id("\xCF\xD3" "1") + id("T") + value("") + value("268.75") +
                       value("54.5"),
         "\t54.5\t268.75\t\t2\t1.25\t"},
        {"213111", "09MD" + id("\xCF\xD3" "1") + id("T") + value("7") + value("100") +
                       value("50"),
         "\t45\t90\t7\t2\t1.25\t"},
        {"113111", "09MC" + id("\xCF\xD3" "1") + id("T") + value("12") + value("88") +
                       value("45.5"),
         "\t\t88\t12\t2\t1.25\t45.5"},
        {"113111", "07TP" + id("\xCF\xD3" "1") + id("T") + value("202.5") + value("201.25"),
         "\t201.25\t\t\t2\t1.25\t202.5"},
        {"121111", "11KI" + id("\xCF\xD3" "1") + id("T") + value("0.5") + value("10") +
                       value("-2"),
         "\t\t\t3.048\t0.6096\t0.381\t0.5"},
    };
    testing::TempDir dir;
    for (const auto& c : cases) {
        const std::string path = dir.file("field.sdr");
        testing::writeFile(path, std::string("00NMSDR33 V04-04.02     01-Jan-10 00:00 ") +
                                     c.options + "\r\n" + setUp + c.record + "\r\n");
        const auto result = runCli({"observations", path});
        EXPECT_EQ(result.status, 0) << c.record;
        const std::string face = c.record.substr(0, 2) == "07"   ? "BS"
                                 : c.record.substr(0, 2) == "11" ? "RED"
                                                                 : c.record.substr(2, 2);
        EXPECT_EQ(result.out, "\xCF\xD3" "1\tT\t" + face + c.line + "\n") << c.record;
    }
}

// A real SDR2x file: a line per 09, 07 and 11 record, and one record's line as read off it
// (02TP 0001 with instrument height 1.595, then 03NM 1.474, then
// 09F1 0001 1001, no distance, vertical 90.2166666, horizontal 114.030555).
// A GSI-16 station with its coordinates and a sight that also carries the target's: the
// station is a traverse point (kind 0), the target an ordinary one; 45° and 90° in DDD.MMSSs.
TEST(CliObservations, AGsiFileGivesItsPointsAndSights) {
    testing::TempDir dir;
    const std::string path = dir.file("field.gsi");
    testing::writeFile(path,
                       "*110001+0000000000000001 84..10+0000000000001000 85..10+0000000000002000 "
                       "86..10+0000000000000100 88..10+0000000000001500\r\n"
                       "*110002+0000000000000002 21.324+0000000004500000 22.324+0000000009000000 "
                       "31..00+0000000000010000 87..10+0000000000001200 81..00+0000000000008071 "
                       "82..00+0000000000009071 83..00+0000000000000100\r\n");
    const auto points = runCli({"points", path});
    EXPECT_EQ(points.status, 0);
    EXPECT_EQ(points.out, "1\t2\t1\t0.1\t0\n2\t9.071\t8.071\t0.1\t1\n");
    const auto sights = runCli({"observations", path});
    EXPECT_EQ(sights.status, 0);
    EXPECT_EQ(sights.out, "1\t2\tF1\t45\t90\t10\t1.5\t1.2\t\n");
}

TEST(CliObservations, ARealFilePrintsEverySight) {
    const std::string path =
        std::string(KORVELA_REALDATA) + "/r-barnes_sdr33_triangulation__example.sdr";
    std::ifstream file(path, std::ios::binary);
    std::size_t sights = 0;
    for (std::string line; std::getline(file, line);) {
        const std::string type = line.substr(0, 2);
        sights += type == "09" || type == "07" || type == "11" ? 1 : 0;
    }
    const auto result = runCli({"observations", path});
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(static_cast<std::size_t>(std::count(result.out.begin(), result.out.end(), '\n')),
              sights);
    EXPECT_NE(result.out.find("\n0001\t1001\tF1\t114.030555\t90.2166666\t\t1.595\t1.474\t\n"),
              std::string::npos);
}

}  // namespace
}  // namespace korvela
