// korvela-cli workbook-write and workbook-points.
#include <gtest/gtest.h>

#include <filesystem>

#include "cli_runner.h"
#include "exchange/workbook_test_support.h"

namespace korvela {
namespace {

using testing::runCli;

// Numbers in Windows-1251 ("ПУ1"), a number that looks like a number, 7-digit coordinates.
const std::string kSurvey =
    "header\r\n"
    "\xCF\xD3"
    "1,--------,6543210.125,-1234567.5,100.25\r\n"
    "12,--------,0,0,0\r\n"
    "007,--------,-0.5,1e-7,99999.99\r\n";

class SpreadsheetCommands : public ::testing::Test {
protected:
    void SetUp() override { testing::writeFile(survey, kSurvey); }

    testing::TempDir dir;
    const std::string survey = dir.file("site.txt");
    const std::string workbook = dir.file("1.xlsx");
};

TEST_F(SpreadsheetCommands, AWrittenWorkbookReadsBackAsTheSurveysPoints) {
    const auto written = runCli({"workbook-write", survey, workbook});
    EXPECT_EQ(written.status, 0);
    EXPECT_TRUE(written.out.empty());
    EXPECT_TRUE(written.err.empty());
    const auto points = runCli({"workbook-points", workbook});
    EXPECT_EQ(points.status, 0);
    EXPECT_EQ(points.out, runCli({"points", survey}).out);
    EXPECT_EQ(points.out.substr(0, 4),
              "\xCF\xD3"
              "1\t");

    // Written again over the old workbook: an empty survey leaves an empty one.
    testing::writeFile(survey, "header\r\n");
    EXPECT_EQ(runCli({"workbook-write", survey, workbook}).status, 0);
    const auto empty = runCli({"workbook-points", workbook});
    EXPECT_EQ(empty.status, 0);
    EXPECT_TRUE(empty.out.empty());
}

TEST_F(SpreadsheetCommands, FilesThatCannotBeReadOrWrittenExitWithOne) {
    const auto missingSurvey = runCli({"workbook-write", dir.file("missing.sdr"), workbook});
    EXPECT_EQ(missingSurvey.status, 1);
    EXPECT_FALSE(std::filesystem::exists(workbook));

    const auto missingFolder = runCli({"workbook-write", survey, dir.file("missing/1.xlsx")});
    EXPECT_EQ(missingFolder.status, 1);
    EXPECT_NE(missingFolder.err.find(dir.file("missing/1.xlsx")), std::string::npos);

    const auto missingWorkbook = runCli({"workbook-points", workbook});
    EXPECT_EQ(missingWorkbook.status, 1);
    EXPECT_EQ(missingWorkbook.err, "korvela-cli: Не удаётся прочитать файл \"" + workbook +
                                       "\": нет такого файла или папки\n");

    const auto notWorkbook = runCli({"workbook-points", survey});
    EXPECT_EQ(notWorkbook.status, 1);
    EXPECT_EQ(notWorkbook.err, "korvela-cli: Не удаётся прочитать книгу \"" + survey +
                                   "\": это не книга .xlsx, или файл повреждён\n");
    EXPECT_TRUE(notWorkbook.out.empty());
}

TEST_F(SpreadsheetCommands, ACoordinateThatIsNoNumberEndsWithTheConversionMessage) {
    testing::writeFile(workbook,
                       testing::workbookBytes("<row r=\"1\"><c r=\"A1\"><v>1</v></c></row>"
                                              "<row r=\"2\"><c r=\"A2\"><v>2</v></c><c r=\"B2\" "
                                              "t=\"inlineStr\"><is><t>1,5x</t></is></c></row>"));
    const auto result = runCli({"workbook-points", workbook});
    EXPECT_EQ(result.status, 3);
    EXPECT_EQ(result.err,
              "Ячейка B2 (строка 2, столбец B): '1,5x' is not a valid floating point value\n");
    EXPECT_TRUE(result.out.empty());
}

TEST_F(SpreadsheetCommands, WrongArgumentsExitWithTwo) {
    for (const std::vector<std::string>& arguments :
         {std::vector<std::string>{"workbook-write", survey},
          {"workbook-points"},
          {"workbook-points", "a", "b"}}) {
        EXPECT_EQ(runCli(arguments).status, 2);
    }
}

}  // namespace
}  // namespace korvela
