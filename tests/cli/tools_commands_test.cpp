// korvela-cli's transform, csv-points and csv: outputs, options and statuses.
#include <gtest/gtest.h>

#include "cli_runner.h"

namespace korvela {
namespace {

using testing::runCli;

class ToolsCommands : public ::testing::Test {
protected:
    void SetUp() override {
        testing::writeFile(first, "A,1000,2000,10\r\nB,1000,2100,10\r\n\xCF\xD3,5,5,5\r\n");
        testing::writeFile(second, "A,0,0,0\r\nB,0,100,0\r\nC,50,50,1\r\n");
    }

    testing::TempDir dir;
    const std::string first = dir.file("first.txt");
    const std::string second = dir.file("second.txt");
};

TEST_F(ToolsCommands, TransformPrintsTheReportThenTheAppendedPoints) {
    // The second file has no heights at A and B: every point keeps the height it came with.
    const auto result = runCli({"transform", first, "A", "B", "ПУ", second});
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.out.rfind("\xCE\xE1\xF9\xE8\xF5 \xF2\xEE\xF7\xE5\xEA: 2\r\n", 0), 0u);
    EXPECT_NE(result.out.find("\r\n\xCF\xD3\r\n"), std::string::npos);  // left out, listed
    EXPECT_TRUE(result.out.ends_with(
        "\r\nA\t1000\t2000\t0\t1\nB\t1000\t2100\t0\t1\nC\t1050\t2050\t1\t1\n"))
        << result.out;
}

TEST_F(ToolsCommands, TransformWithoutTwoCommonPointsExitsWithTheNotice) {
    const struct {
        std::vector<std::string> arguments;
        int status;
    } cases[] = {
        {{"transform", first, "A", "ПУ", second}, 3},
        {{"transform", first, "A", "B", dir.file("missing.txt")}, 1},
        {{"transform", first, second}, 2},
    };
    for (const auto& c : cases) {
        const auto result = runCli(c.arguments);
        EXPECT_EQ(result.status, c.status) << c.arguments.size();
        EXPECT_EQ(result.out, "");
    }
    EXPECT_EQ(runCli(cases[0].arguments).err,
              "Надо выбрать не меньше двух точек, номера которых есть во втором файле ровно по "
              "одному разу\n");
}

TEST_F(ToolsCommands, CsvPointsTakesTheLayoutFromItsOptions) {
    const std::string file = dir.file("points.csv");
    testing::writeFile(file, "Y;X;N\r\n7412345,5;6123456,25;ПУ-1\r\nbad;row\r\n");
    const auto result = runCli({"csv-points", file, "--columns", "ENP", "--separator", ";",
                                "--decimal-comma", "--skip", "1"});
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.out, "\xCF\xD3-1\t6123456.25\t7412345.5\t0\t1\n");
    EXPECT_EQ(result.err, "Строк, которые не читаются как точки: 1\n");
    // Told to read Windows-1251, the UTF-8 bytes stay as they are.
    EXPECT_EQ(runCli({"csv-points", file, "--columns", "ENP", "--separator", ";", "--decimal-comma",
                      "--skip", "1", "--encoding", "cp1251"})
                  .out,
              "\xD0\x9F\xD0\xA3-1\t6123456.25\t7412345.5\t0\t1\n");
}

TEST_F(ToolsCommands, WrongOptionsExitWithTwo) {
    for (const std::vector<std::string>& options : {std::vector<std::string>{"--columns", "PNZ"},
                                                    {"--separator", ";;"},
                                                    {"--skip", "x"},
                                                    {"--encoding", "koi8-r"},
                                                    {"--bogus"},
                                                    {"--separator"}}) {
        std::vector<std::string> arguments = {"csv-points", first};
        arguments.insert(arguments.end(), options.begin(), options.end());
        const auto result = runCli(arguments);
        EXPECT_EQ(result.status, 2) << options[0];
        EXPECT_EQ(result.out, "");
    }
    EXPECT_EQ(runCli({"csv", first, dir.file("out.csv"), "--skip", "1"}).status, 2);
}

TEST_F(ToolsCommands, CsvWritesWhatCsvPointsReadsBack) {
    const std::string out = dir.file("out.csv");
    const auto written =
        runCli({"csv", first, out, "--separator", "tab", "--decimal-comma", "--encoding", "utf-8"});
    EXPECT_EQ(written.status, 0);
    EXPECT_EQ(written.out, "");
    EXPECT_EQ(testing::readFile(out),
              "A\t1000\t2000\t10\t1\t1\r\nB\t1000\t2100\t10\t1\t1\r\nПУ\t5\t5\t5\t1\t1\r\n");
    const auto back = runCli({"csv-points", out, "--separator", "tab", "--decimal-comma"});
    EXPECT_EQ(back.out, runCli({"points", first}).out);
}

}  // namespace
}  // namespace korvela

namespace korvela {
namespace {

// `dxf --layers-by-code`: with a code table each code goes on its layer and a joining code's
// run becomes a polyline; without one every code is a layer of its own and nothing is joined.
TEST(LayersByCodeCli, TheTableDecidesLayersAndLines) {
    testing::TempDir dir;
    const std::string survey = dir.file("coded.txt");
    // Two kerb points (КЮ) in a row, then a building corner (ЗД); Windows-1251 codes.
    testing::writeFile(survey, "1,100,200,10,\xCA\xDE\r\n2,110,210,11,\xCA\xDE\r\n"
                               "3,120,230,12,\xC7\xC4\r\n");
    const std::string table = dir.file("codes.csv");
    testing::writeFile(table, "\xEA\xEE\xE4;\xF1\xEB\xEE\xE9;\xF6\xE2\xE5\xF2 ACI;"
                              "\xEB\xE8\xED\xE8\xFF 0/1\r\n\xCA\xDE;KERB;1;1\r\n");
    const struct {
        const char* label;
        std::vector<std::string> extra;
        const char* kerbLayer;
        bool polyline;
    } cases[] = {
        {"with the table", {"--codes", table}, "KERB", true},
        {"without it", {}, "\xCA\xDE", false},
    };
    for (const auto& c : cases) {
        const std::string out = dir.file(std::string(c.label) + ".dxf");
        std::vector<std::string> arguments{"dxf", survey, out, "--layers-by-code"};
        arguments.insert(arguments.end(), c.extra.begin(), c.extra.end());
        const auto result = testing::runCli(arguments);
        ASSERT_EQ(result.status, 0) << c.label << ": " << result.err;
        const std::string dxf = testing::readFile(out);
        EXPECT_NE(dxf.find(std::string("\n8\r\n") + c.kerbLayer + "\r\n"), std::string::npos)
            << c.label;
        EXPECT_NE(dxf.find("\n8\r\n\xC7\xC4\r\n"), std::string::npos) << c.label;  // ЗД's own
        EXPECT_EQ(dxf.find("POLYLINE") != std::string::npos, c.polyline) << c.label;
    }
}

}  // namespace
}  // namespace korvela
