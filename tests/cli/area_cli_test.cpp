// korvela-cli area: which reader a file gets, and what failures report.
#include <gtest/gtest.h>

#include "cli_runner.h"

namespace korvela {
namespace {

using testing::runCli;

const std::string kTriangleSheet =
    "1\t0\t0\t-100\t-100\t0\t0\n"
    "2\t100\t0\t0\t100\t0\t10000\n"
    "3\t0\t100\t100\t0\t10000\t0\n"
    "\t\t\t+100\t+100\t+10000\t+10000\n"
    "\t\t\t-100\t-100\t0\t0\n"
    "\t\t\t0\t0\t2P = 10000\t2P = 10000\n"
    "P = 5000 \xEC^2 = 0.5 \xE3\xE0\n";

TEST(CliArea, ChoosesTheReaderByTheExtensionInAnyCase) {
    testing::TempDir dir;
    const std::string areaFile =
        "This is a TavRIN KRM 0.51 savefile. Please DO NOT EDIT!\r\n3\r\n1 0 0 \r\n2 100 0 \r\n3 0 "
        "100 \r\n";
    const std::string statement = "header\r\nN = 3\r\n[X]\r\n0 100 0\r\n[Y]\r\n0 0 100\r\n";
    const std::pair<std::string, const std::string*> files[] = {{"parcel.TDP", &areaFile},
                                                                {"parcel.Tdp", &areaFile},
                                                                {"parcel.txt", &statement},
                                                                {"parcel", &statement}};
    for (const auto& [name, content] : files) {
        testing::writeFile(dir.file(name), *content);
        const auto result = runCli({"area", dir.file(name)});
        EXPECT_EQ(result.status, 0) << name << ": " << result.err;
        EXPECT_EQ(result.out, kTriangleSheet) << name;
    }
}

// Hectares round half to even (450 m^2 is 0.04 ha) and a difference rounds as its decimal
// value (3539.429 - 4058.844 is -519.41).
TEST(CliArea, RoundsTiesAsTheirDecimalValues) {
    testing::TempDir dir;
    const std::pair<const char*, const char*> cases[] = {
        {"N = 4\n[X]\n0 30 30 0\n[Y]\n0 0 15 15\n", "\nP = 450 \xEC^2 = 0.04 \xE3\xE0\n"},
        {"N = 3\n[X]\n3539.429 0 4058.844\n[Y]\n0 0 0\n", "\n2\t0\t0\t-519.41\t"},
    };
    for (const auto& [statement, expected] : cases) {
        testing::writeFile(dir.file("ties.tdl"), std::string("header\n") + statement);
        const auto result = runCli({"area", dir.file("ties.tdl")});
        EXPECT_EQ(result.status, 0) << result.err;
        EXPECT_NE(result.out.find(expected), std::string::npos) << result.out;
    }
}

TEST(CliArea, AStatementWithoutPointsPrintsTheSummaryRows) {
    testing::TempDir dir;
    testing::writeFile(dir.file("empty.tdl"), "header\r\nN=0\r\n");
    const auto result = runCli({"area", dir.file("empty.tdl")});
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.out,
              "\t\t\t+0\t+0\t\t\n\t\t\t0\t0\t\t\n\t\t\t0\t0\t\t\nP = 0 \xEC^2 = 0 \xE3\xE0\n");
}

TEST(CliArea, AFileThatCannotBeReadExitsWithOne) {
    testing::TempDir dir;
    for (const std::string& path :
         {dir.file("missing.tdp"), dir.file("missing.tdl"), dir.path().string()}) {
        const auto result = runCli({"area", path});
        EXPECT_EQ(result.status, 1) << path;
        EXPECT_TRUE(result.out.empty());
        EXPECT_NE(result.err.find(path), std::string::npos) << result.err;
    }
}

TEST(CliArea, AValueTooLargeToComputeExitsWithThreeAndTheMessage) {
    testing::TempDir dir;
    testing::writeFile(dir.file("huge.tdl"), "header\nN = 3\n[X]\n0 1e10 0\n[Y]\n0 0 1e10\n");
    const auto result = runCli({"area", dir.file("huge.tdl")});
    EXPECT_EQ(result.status, 3);
    EXPECT_TRUE(result.out.empty());
    EXPECT_EQ(result.err, "Ошибка вычисления!\nПроверьте исходные данные.\n");
}

}  // namespace
}  // namespace korvela
