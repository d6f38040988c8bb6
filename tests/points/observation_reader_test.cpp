// The observation records of SDR files as the import reads them. Records are written here
// field by field with the published SDR33 layout (ids 16 characters from position 5, values 16
// characters each after them), so that the expected values are the ones typed into them.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>

#include "points/observations.h"
#include "points/point_store.h"
#include "points/survey_reader.h"

namespace korvela {
namespace {

std::string header(const char* options) {
    return std::string("00NMSDR33 V04-04.02     01-Jan-10 00:00 ") + options + "\r\n";
}
std::string id(const std::string& text) { return std::string(16 - text.size(), ' ') + text; }
std::string value(const std::string& text) { return text + std::string(16 - text.size(), ' '); }

std::string station(const std::string& name, const std::string& height) {
    return "02TP" + id(name) + value("0") + value("0") + value("0") + value(height) + "\r\n";
}
std::string sight(const char* record, const std::string& from, const std::string& to,
                  const std::string& first, const std::string& second, const std::string& third) {
    return record + id(from) + id(to) + value(first) + value(second) + value(third) + "\r\n";
}

ObservationList observationsOf(const std::string& bytes, std::size_t threads = 1) {
    PointStore store;
    ObservationList observations;
    readSurvey(bytes, store, threads, &observations);
    return observations;
}

// A blank field reads as not recorded; the expected values stand as typed, angles converted.
TEST(ObservationReader, EachSightRecordGivesItsValuesInDegrees) {
    const double none = kNotRecorded;
    const struct {
        const char* what;
        const char* options;
        std::string record;
        SightKind kind;
        double hz, v, sd, az;
    } cases[] = {
        {"F1 in degrees", "113111", sight("09F1", "S1", "T1", "25.5", "91.25", "234.11767"),
         SightKind::FaceLeft, 234.11767, 91.25, 25.5, none},
        {"F2 in gons", "213111", sight("09F2", "S1", "T1", "10", "300", "150"),
         SightKind::FaceRight, 135, 270, 10, none},
        {"MD in mils", "313111", sight("09MD", "S1", "T1", "7", "1600", "4800"), SightKind::Mean,
         270, 90, 7, none},
        {"MC holds an azimuth", "113111", sight("09MC", "S1", "T1", "12", "88", "45.5"),
         SightKind::Corrected, none, 88, 12, 45.5},
        {"blank distance", "113111", sight("09F1", "S1", "T1", "", "90", "10"),
         SightKind::FaceLeft, 10, 90, none, none},
        {"07 azimuth and reading", "113111", sight("07TP", "S1", "T1", "202.5", "201.25", ""),
         SightKind::Backsight, 201.25, none, none, 202.5},
        {"11 in gons", "213111", sight("11KI", "S1", "T1", "200", "15.5", "-0.25"),
         SightKind::Reduced, none, none, none, 180},
    };
    for (const auto& c : cases) {
        const ObservationList list =
            observationsOf(header(c.options) + station("S1", "1.5") + c.record);
        ASSERT_EQ(list.sights.size(), 1u) << c.what;
        const Sight& s = list.sights[0];
        EXPECT_EQ(s.kind, c.kind) << c.what;
        EXPECT_EQ(list.stationOf(s), "S1") << c.what;
        EXPECT_EQ(list.targetOf(s), "T1") << c.what;
        const auto same = [](double a, double b) {
            return (std::isnan(a) && std::isnan(b)) || std::abs(a - b) < 1e-12;
        };
        EXPECT_TRUE(same(horizontalReading(s), c.hz)) << c.what << horizontalReading(s);
        EXPECT_TRUE(same(verticalReading(s), c.v)) << c.what << verticalReading(s);
        EXPECT_TRUE(same(slopeDistance(s), c.sd)) << c.what << slopeDistance(s);
        EXPECT_TRUE(same(azimuth(s), c.az)) << c.what << azimuth(s);
    }
    const ObservationList reduced =
        observationsOf(header("113111") + sight("11KI", "S1", "T1", "10", "15.5", "-0.25"));
    EXPECT_EQ(reducedHorizontalDistance(reduced.sights[0]), 15.5);
    EXPECT_EQ(reducedHeightDifference(reduced.sights[0]), -0.25);
}

TEST(ObservationReader, HeaderOptionsAreTheRecordsLastSixCharacters) {
    const struct {
        std::string header;
        DistanceUnit unit;
        char angles;
    } cases[] = {
        {header("121112"), DistanceUnit::Feet, '2'},
        // A header with a UTF-8 month is longer than the layout; blanks after it do not count.
        {"00NMSDR33 V04-04.34    25-\xD0\x9D\xD0\xBE\xD1\x8F-15 12:33 111121   \r\n",
         DistanceUnit::Metres, '1'},
    };
    for (const auto& c : cases) {
        const ObservationList list =
            observationsOf(c.header + sight("09F1", "S", "T", "1", "90", "0"));
        EXPECT_EQ(list.distanceUnit, c.unit) << c.header;
        EXPECT_EQ(list.anglesOption, c.angles) << c.header;
    }
}

TEST(ObservationReader, RecordsBeforeASightGiveItsContext) {
    const std::string instrumentHorizon = "01NM:" + std::string(45, ' ') + "2" + "\r\n";
    const std::string instrumentSilent = "01NM:" + std::string(45, ' ') + " " + "\r\n";
    const std::string noteHorizon = "13NMZero VA: Horizon\r\n";
    const std::string f1 = sight("09F1", "A", "B", "10", "90", "0");
    const struct {
        const char* what;
        std::string records;
        VerticalReading vertical;
    } cases[] = {
        {"01 option", instrumentHorizon + station("A", "1"), VerticalReading::Horizon},
        {"note when 01 is silent", instrumentSilent + noteHorizon + station("A", "1"),
         VerticalReading::Horizon},
        {"01 before the note", instrumentHorizon + "13NMZero VA: Zenith\r\n" + station("A", "1"),
         VerticalReading::Horizon},
        {"nothing said", station("A", "1"), VerticalReading::AssumedZenith},
    };
    for (const auto& c : cases) {
        const ObservationList list = observationsOf(header("113111") + c.records + f1);
        ASSERT_EQ(list.setUps.size(), 1u) << c.what;
        EXPECT_EQ(list.setUps[0].vertical, c.vertical) << c.what;
    }

    // Target heights, sets and bad sets go with the sights after them; a new station starts
    // without a set.
    const ObservationList list = observationsOf(
        header("113111") + station("A", "1.55") + f1 + "03NM" + value("1.7") + "\r\n" +
        "12NM" + id("A") + "  4  2Y\r\n" + f1 + station("B", "1.4") +
        sight("09F1", "B", "C", "10", "90", "0"));
    ASSERT_EQ(list.sights.size(), 3u);
    EXPECT_EQ(list.setUps[list.sights[0].setUp].instrumentHeight, 1.55);
    EXPECT_EQ(list.sights[0].targetHeight, 0);
    EXPECT_EQ(list.sights[1].targetHeight, 1.7);
    EXPECT_EQ(list.sights[1].set, 2);
    EXPECT_TRUE(list.sights[1].inBadSet);
    EXPECT_EQ(list.stationOf(list.sights[2]), "B");
    EXPECT_EQ(list.sights[2].set, 0);
    EXPECT_FALSE(list.sights[2].inBadSet);
    EXPECT_EQ(list.sights[2].targetHeight, 1.7);
}

TEST(ObservationReader, SetUpsAndDerivedPoints) {
    const std::string tp = "08TP" + id("T") + value("5") + value("6") + value("7") + "\r\n";
    const std::string f1 = sight("09F1", "A", "T", "10", "90", "0");
    const struct {
        const char* what;
        std::string records;
        std::vector<std::string> setUpStations;
        std::vector<std::pair<std::uint32_t, std::uint32_t>> derived;  // point, sight
    } cases[] = {
        {"TP after a sight", station("A", "1") + f1 + tp + f1 + f1 + tp, {"A"}, {{1, 0}, {2, 2}}},
        {"TP before any sight", station("A", "1") + tp + f1, {"A"}, {}},
        {"TP after a new station", station("A", "1") + f1 + station("B", "1") + tp, {"A", "B"},
         {}},
        {"sight before any station", f1 + station("A", "1") + f1, {"A", "A"}, {}},
        {"sight from another station", station("A", "1") + sight("09F1", "C", "T", "1", "2", "3"),
         {"A", "C"}, {}},
    };
    for (const auto& c : cases) {
        const ObservationList list = observationsOf(header("113111") + c.records);
        std::vector<std::string> stations;
        for (const StationSetUp& setUp : list.setUps) {
            stations.emplace_back(list.names[setUp.station]);
        }
        EXPECT_EQ(stations, c.setUpStations) << c.what;
        std::vector<std::pair<std::uint32_t, std::uint32_t>> derived;
        for (const DerivedPoint& d : list.derived) derived.emplace_back(d.point, d.sight);
        EXPECT_EQ(derived, c.derived) << c.what;
    }
}

// Each sight with its set-up and context, as text: lists read in chunks hold the same.
std::vector<std::string> sightsAsText(const ObservationList& list) {
    std::vector<std::string> texts;
    for (const Sight& s : list.sights) {
        const StationSetUp& setUp = list.setUps[s.setUp];
        char text[256];
        std::snprintf(text, sizeof text, "%u %.17g %d %d %.17g %d %d %.17g %.17g %.17g", s.setUp,
                      setUp.instrumentHeight, static_cast<int>(setUp.vertical),
                      static_cast<int>(s.kind), s.targetHeight, s.set, s.inBadSet ? 1 : 0,
                      s.value[0], s.value[1], s.value[2]);
        texts.push_back(std::string(list.stationOf(s)) + " " + std::string(list.targetOf(s)) +
                        " " + text);
    }
    return texts;
}

TEST(ObservationReader, FourThreadsReadWhatOneThreadReadsAndThePointsStay) {
    std::string bytes = header("213111");
    for (int i = 0; i < 30'000; ++i) {
        const std::string n = std::to_string(i);
        if (i % 40 == 0) bytes += station("S" + n, n + ".5") + "03NM" + value(n) + "\r\n";
        bytes += sight(i % 3 == 0 ? "09F1" : "09F2", "S" + std::to_string(i - i % 40), "T" + n,
                       n, "100." + n, "0." + n);
        if (i % 7 == 0) bytes += "08TP" + id("T" + n) + value(n) + value("1") + value("2") + "\r\n";
    }
    ASSERT_GT(bytes.size(), std::size_t{1} << 20);
    const ObservationList one = observationsOf(bytes, 1);
    EXPECT_EQ(one.sights.size(), 30'000u);
    EXPECT_EQ(one.setUps.size(), 750u);
    EXPECT_EQ(one.derived.size(), 30'000u / 7 + 1);
    const ObservationList four = observationsOf(bytes, 4);
    EXPECT_EQ(sightsAsText(four), sightsAsText(one));
    EXPECT_EQ(four.setUps.size(), one.setUps.size());
    EXPECT_EQ(four.derived, one.derived);

    PointStore withList;
    PointStore without;
    ObservationList list;
    readSurvey(bytes, withList, 4, &list);
    readSurvey(bytes, without, 4);
    EXPECT_EQ(withList.count(), without.count());
    EXPECT_TRUE(std::equal(withList.number().begin(), withList.number().end(),
                           without.number().begin()));
    EXPECT_EQ(withList.x(), without.x());
    for (const DerivedPoint& d : one.derived) {
        ASSERT_LT(d.point, withList.count());
        EXPECT_EQ(withList.number()[d.point], one.targetOf(one.sights[d.sight]));
    }
}

// Every real file with observations reads without loss: the sights of each kind, the set-ups
// and the derived points against a plain scan of the file's lines.
TEST(ObservationReader, RealFilesReadWithoutLoss) {
    const std::filesystem::path folder = KORVELA_REALDATA;
    std::size_t filesWithSights = 0;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        const std::string path = entry.path().string();
        if (entry.path().extension() == ".md") continue;
        std::ifstream file(path, std::ios::binary);
        std::map<std::string, std::size_t> expected;
        std::size_t stations = 0;
        std::size_t derived = 0;
        bool sdr = false;
        std::string previous;
        for (std::string line; std::getline(file, line);) {
            sdr = sdr || line.find("NMSDR") != std::string::npos;
            const std::string code = line.substr(0, 4);
            const std::string type = line.substr(0, 2);
            if (type == "07") ++expected["BS"];
            if (type == "11") ++expected["RED"];
            if (type == "09") ++expected[code.substr(2)];
            if (type == "02") ++stations;
            if (code == "08TP" && previous == "09") ++derived;
            if (type != "13") previous = type;
        }
        if (!sdr) continue;
        PointStore store;
        ObservationList list;
        ASSERT_FALSE(readSurveyFile(path, store, 1, nullptr, &list)) << path;
        std::map<std::string, std::size_t> read;
        const char* names[] = {"F1", "F2", "MD", "MC", "BS", "RED"};
        for (const Sight& s : list.sights) ++read[names[static_cast<int>(s.kind)]];
        EXPECT_EQ(read, expected) << path;
        EXPECT_EQ(list.setUps.size(), stations) << path;
        EXPECT_EQ(list.derived.size(), derived) << path;
        filesWithSights += list.sights.empty() ? 0 : 1;
    }
    EXPECT_GE(filesWithSights, 6u);
}

}  // namespace
}  // namespace korvela
