#include "points/point_codes.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "exchange/csv_points.h"
#include "points/point_store.h"
#include "points/project_extension.h"
#include "points/project_file.h"
#include "points/survey_reader.h"

namespace korvela {
namespace {

using Codes = std::vector<std::string>;

Codes codesOf(const PointStore& store) {
    Codes codes;
    for (std::size_t i = 0; i < store.count(); ++i) codes.emplace_back(store.code()[i]);
    return codes;
}

std::string padded(std::string text, std::size_t width) {
    text.resize(width, ' ');
    return text;
}

// An SDR33 record: the two-character type and derivation, then 16-character fields.
std::string sdr33(const std::string& head, const std::vector<std::string>& fields) {
    std::string line = head;
    for (const std::string& field : fields) line += padded(field, 16);
    return line + "\r\n";
}

const std::string kSdr33Header = "00NMSDR33 V04-04.02     01-Jan-10 00:00 113111\r\n";
const std::string kSdr2xHeader = "00NMSDR20     V03-05    25-Sep-10 22:10 113111\r\n";

TEST(PointCodes, SurveyFilesGiveTheirDescriptionsAsCodes) {
    struct Case {
        const char* name;
        std::string file;
        Codes codes;
    };
    const std::vector<Case> cases = {
        {"sdr33 coordinates carry their description, stations none",
         kSdr33Header + sdr33("08TP", {"1", "10", "20", "30", "ЗД"}) +
             sdr33("02TP", {"2", "1", "2", "3", "1.5", "ОП"}) +
             sdr33("08KI", {"3", "1", "2", "3"}) +
             sdr33("08TP", {"4", "1", "2", "3", "  TOP WALL/2 "}),
         {"ЗД", "", "", "TOP WALL/2"}},
        {"sdr2x descriptions from position 39",
         kSdr2xHeader + "08TP0001" + padded("10", 10) + padded("20", 10) + padded("30", 10) +
             "КЮ*\"1\"\r\n" + "08TP0002" + padded("1", 10) + padded("2", 10) + "3\r\n",
         {"КЮ*\"1\"", ""}},
        {"comma lines carry a fifth field",
         "1,538542.57,1455644.37,681.31,I\r\n2,1,2,3\r\n3,1,2,3, TOE WALL \r\n",
         {"I", "", "TOE WALL"}},
    };
    for (const Case& c : cases) {
        PointStore store;
        readSurvey(c.file, store);
        EXPECT_EQ(codesOf(store), c.codes) << c.name;
    }
}

// Each operation runs on the store and on a plain list of codes; both must agree after it.
TEST(PointCodes, StoreOperationsKeepEachCodeWithItsPoint) {
    PointStore store;
    Codes model;
    const auto add = [&](const std::string& code) {
        store.append("p", 0, 0, 0, kColourAqua, kKindPoint, code);
        model.push_back(code);
    };
    for (const char* code : {"", "", "ЗД", "", "КЮ"}) add(code);
    EXPECT_EQ(codesOf(store), model);

    store.erase(0);
    model.erase(model.begin());
    EXPECT_EQ(codesOf(store), model);

    const std::vector<std::int32_t> flags = {0, 1, 0, 1};  // "ЗД" and "КЮ" go
    PointSequences taken = store.takeFlagged(flags);
    EXPECT_EQ(taken.code[0], "ЗД");
    EXPECT_EQ(taken.code[1], "КЮ");
    EXPECT_EQ(codesOf(store), (Codes{"", ""}));
    EXPECT_FALSE(store.code().any());

    store.insertFlagged(flags, std::move(taken));
    EXPECT_EQ(codesOf(store), model);

    store.setCode(0, "ОП");
    model[0] = "ОП";
    PointSequences tail = store.takeFrom(2);
    EXPECT_EQ(codesOf(store), (Codes{"ОП", "ЗД"}));
    store.appendAll(std::move(tail));
    EXPECT_EQ(codesOf(store), model);

    for (std::size_t i = 0; i < model.size(); ++i) store.setCode(i, "");
    EXPECT_FALSE(store.code().any());
}

TEST(PointCodes, PointsWithoutCodesKeepNoArena) {
    PointStore store;
    for (int i = 0; i < 1000; ++i) store.append("1", i, i, i, kColourAqua, kKindPoint);
    EXPECT_EQ(store.code().allocatedBytes(), 0u);
    EXPECT_EQ(store.code().size(), 1000u);
    store.setCode(999, "");
    EXPECT_EQ(store.code().allocatedBytes(), 0u);
}

std::string projectBytes(const PointStore& store) {
    std::ostringstream out;
    writeProject(out, ViewState(), std::vector<std::int32_t>(store.count(), 0), store);
    return out.str();
}

TEST(PointCodes, ProjectKeepsCodesInABlockOfTheirOwn) {
    PointStore store;
    store.append("1", 1, 2, 3, kColourAqua, kKindPoint);
    store.append("2", 4, 5, 6, kColourAqua, kKindPoint);
    const std::string plain = projectBytes(store);
    EXPECT_EQ(plain.find(kProjectExtensionTag), std::string::npos);

    store.setCode(1, "ЗД 1/2");
    const std::string coded = projectBytes(store);
    ASSERT_EQ(coded.substr(0, plain.size()), plain);
    auto read = readProject(coded);
    ASSERT_TRUE(std::holds_alternative<ProjectContent>(read));
    EXPECT_EQ(codesOf(std::get<ProjectContent>(read).store), (Codes{"", "ЗД 1/2"}));
}

TEST(PointCodes, DamagedCodeBlocksAreDropped) {
    PointCodes codes = PointCodes::fromSparse(3, {{2, "КЮ"}});
    const std::string blocks = projectExtensionBytes(ObservationList(), codes)
                                   .substr(kProjectExtensionTag.size());
    struct Case {
        std::size_t points;
        bool damaged;
    };
    for (const Case c : {Case{3, false}, Case{2, true}}) {
        const ProjectExtension read = readProjectExtension(blocks, c.points);
        EXPECT_EQ(read.damaged, c.damaged) << c.points;
        EXPECT_EQ(read.codes.any(), !c.damaged) << c.points;
    }
}

TEST(PointCodes, CsvExportWritesTheCodesAfterZAndReadsThemBack) {
    PointStore store;
    store.append("1", 1, 2, 3, kColourAqua, kKindPoint, "ЗД");
    store.append("2", 4, 5, 6, kColourAqua, kKindPoint);
    store.append("3", 7, 8, 9, kColourAqua, kKindPoint, "a,b \"c\"");
    std::ostringstream out;
    writeCsvPoints(store, CsvWriteOptions(), out);
    PointStore read;
    readCsvPoints(out.str(), CsvLayout(), read);
    EXPECT_EQ(codesOf(read), (Codes{"ЗД", "", "a,b \"c\""}));
}

}  // namespace
}  // namespace korvela
