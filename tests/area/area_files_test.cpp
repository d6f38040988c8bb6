#include "area/area_files.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <sstream>
#include <string>
#include <vector>

#include "area/area_computation.h"
#include "area/area_sheet.h"
#include "common/cp1251.h"
#include "test_support.h"

namespace korvela {
namespace {

using Rows = std::vector<std::vector<std::string>>;

const std::string kHeader = "This is a TavRIN KRM 0.51 savefile. Please DO NOT EDIT!\r\n";

Rows rowsOf(const AreaSheet& sheet, int columns = AreaSheet::ColumnCount) {
    Rows rows;
    for (int row = 0; row < sheet.rowCount(); ++row) {
        rows.emplace_back();
        for (int column = 0; column < columns; ++column)
            rows.back().push_back(sheet.cell(row, column));
    }
    return rows;
}

std::vector<std::string> column(const AreaSheet& sheet, int which) {
    std::vector<std::string> texts;
    for (int row = 0; row < sheet.pointCount(); ++row) texts.push_back(sheet.cell(row, which));
    return texts;
}

AreaSheet triangle() {
    AreaSheet sheet;
    sheet.buildTable(3);
    const char* const coordinates[][2] = {{"0", "0"}, {"100", "0"}, {"0", "100"}};
    for (int row = 0; row < 3; ++row) {
        sheet.setCell(row, AreaSheet::XColumn, coordinates[row][0]);
        sheet.setCell(row, AreaSheet::YColumn, coordinates[row][1]);
    }
    return sheet;
}

std::string written(const AreaSheet& sheet) {
    std::ostringstream out;
    writeAreaFile(out, sheet);
    return out.str();
}

TEST(AreaFile, WritesEachCellWithOneSpaceAndTheResultWithoutLineEnd) {
    AreaSheet sheet = triangle();
    ASSERT_TRUE(computeArea(sheet));
    EXPECT_EQ(written(sheet), kHeader +
                                  "3\r\n"
                                  "1 0 0 -100 -100 0 0 \r\n"
                                  "2 100 0 0 100 0 10000 \r\n"
                                  "3 0 100 100 0 10000 0 \r\n"
                                  "P = 5000 \xEC^2 = 0.5 \xE3\xE0");

    AreaSheet empty;
    EXPECT_EQ(written(empty), kHeader + "0\r\n");
}

TEST(AreaFile, SavedSheetsOpenUnchangedAlsoWithEmptyCells) {
    testing::TempDir dir;
    AreaSheet computed = triangle();
    ASSERT_TRUE(computeArea(computed));
    AreaSheet withEmptyCells = triangle();
    withEmptyCells.setCell(0, AreaSheet::NumberColumn, "");
    withEmptyCells.setCell(1, AreaSheet::XColumn, "");
    withEmptyCells.setCell(2, AreaSheet::YProductColumn, "\xCF\xD3");  // Windows-1251 text

    for (AreaSheet* sheet : {&computed, &withEmptyCells}) {
        const std::string path = dir.file("sheet.tdp");
        ASSERT_FALSE(saveAreaFile(path, *sheet));
        AreaSheet opened;
        opened.buildTable(5);
        ASSERT_FALSE(openAreaFile(path, opened));
        // The summary rows are not stored; everything in the point rows comes back.
        for (int row = 0; row < 3; ++row) EXPECT_EQ(rowsOf(opened)[row], rowsOf(*sheet)[row]);
        EXPECT_EQ(opened.rowCount(), 6);
        EXPECT_EQ(opened.result(), "");  // the stored result is not read
        if (sheet == &computed) {
            ASSERT_TRUE(computeArea(opened));
            EXPECT_EQ(rowsOf(opened), rowsOf(computed));
            EXPECT_EQ(opened.result(), computed.result());
        }
    }
}

TEST(AreaFile, SavingRemovesBlanksFromPointNumbersInTheSheetToo) {
    testing::TempDir dir;
    AreaSheet sheet = triangle();
    sheet.setCell(0, AreaSheet::NumberColumn, " 12 a ");
    ASSERT_FALSE(saveAreaFile(dir.file("a.tdp"), sheet));
    EXPECT_EQ(sheet.cell(0, AreaSheet::NumberColumn), "12a");
    const std::string bytes = testing::readFile(dir.file("a.tdp"));
    EXPECT_NE(bytes.find("\r\n12a 0 0 "), std::string::npos) << bytes;
}

TEST(AreaFile, AFileThatCannotBeWrittenLeavesSheetAndOldFileAsTheyWere) {
    testing::TempDir dir;
    AreaSheet sheet = triangle();
    sheet.setCell(0, AreaSheet::NumberColumn, "1 2");
    const auto error = saveAreaFile(dir.file("missing/a.tdp"), sheet);
    ASSERT_TRUE(error);
    EXPECT_EQ(error->operation, FileError::Operation::Write);
    EXPECT_EQ(sheet.cell(0, AreaSheet::NumberColumn), "1 2");
}

TEST(AreaFile, ReadsTheCountFromTheFirstFourCharactersOfLineTwo) {
    const std::pair<const char*, int> cases[] = {
        {"3", 3},  {"3.9", 3}, {"2,5", 2}, {" 2 ", 2},   {"12345", 1234},
        {"-2", 0}, {"abc", 0}, {"", 0},    {"1e2", 100}, {"0.5", 0},
    };
    for (const auto& [line, count] : cases) {
        AreaSheet sheet;
        readAreaFile(kHeader + line + "\r\n", sheet);
        EXPECT_EQ(sheet.pointCount(), count) << '"' << line << '"';
    }
    AreaSheet noCountLine;
    noCountLine.buildTable(4);
    readAreaFile("only a header", noCountLine);
    EXPECT_EQ(noCountLine.pointCount(), 0);
}

TEST(AreaFile, LinesWithoutSevenSpacesGiveTheirFirstSevenWords) {
    AreaSheet sheet;
    sheet.setResult("previous");
    readAreaFile(kHeader +
                     "4\r\n"
                     "1\t2  3 4 5 6 7 8 9\r\n"
                     "a b\n"
                     "x  y  z       \r\n"
                     "P = 5 \xEC^2 = 0 \xE3\xE0",
                 sheet);
    EXPECT_EQ(rowsOf(sheet), (Rows{{"1", "2", "3", "4", "5", "6", "7"},
                                   {"a", "b", "", "", "", "", ""},
                                   {"x", "y", "z", "", "", "", ""},
                                   {"P", "=", "5", "\xEC^2", "=", "0", "\xE3\xE0"},
                                   {"", "", "", "", "", "", ""},
                                   {"", "", "", "", "", "", ""},
                                   {"", "", "", "", "", "", ""}}));
    EXPECT_EQ(sheet.result(), "");
}

TEST(AreaFile, AFileThatEndsEarlyLeavesTheRemainingRowsEmpty) {
    AreaSheet sheet;
    readAreaFile(kHeader + "3\r\n1 5 6 \r\n", sheet);
    EXPECT_EQ(rowsOf(sheet, 3), (Rows{{"1", "5", "6"},
                                      {"", "", ""},
                                      {"", "", ""},
                                      {"", "", ""},
                                      {"", "", ""},
                                      {"", "", ""}}));
}

TEST(AreaFile, AFileThatCannotBeOpenedLeavesTheSheetUnchanged) {
    testing::TempDir dir;
    AreaSheet sheet = triangle();
    for (const std::string& path : {dir.file("missing.tdp"), dir.path().string()}) {
        const auto error = openAreaFile(path, sheet);
        ASSERT_TRUE(error) << path;
        EXPECT_EQ(error->path, path);
        EXPECT_EQ(rowsOf(sheet), rowsOf(triangle()));
    }
}

TEST(Statement, ReadsTheSectionsInEitherOrderAndAcrossLines) {
    const std::string statements[] = {
        "Ведомость\r\nN = 4\r\n[X]\r\n0\r\n100\r\n100\r\n0\r\n[Y]\r\n0 0 100 100\r\n",
        "Ведомость\nN = 4\n[Y]\n0 0\n\n  100\t100\n[X]\n0 100 100 0",
    };
    for (const std::string& statement : statements) {
        AreaSheet sheet;
        readStatement(statement, sheet);
        ASSERT_EQ(sheet.pointCount(), 4);
        EXPECT_EQ(column(sheet, AreaSheet::NumberColumn),
                  (std::vector<std::string>{"1", "2", "3", "4"}));
        EXPECT_EQ(column(sheet, AreaSheet::XColumn),
                  (std::vector<std::string>{"0", "100", "100", "0"}));
        EXPECT_EQ(column(sheet, AreaSheet::YColumn),
                  (std::vector<std::string>{"0", "0", "100", "100"}));
        EXPECT_EQ(sheet.cell(0, AreaSheet::XDifferenceColumn), "");
    }
}

TEST(Statement, SectionHeadingsAreWholeLines) {
    struct Case {
        const char* body;
        std::vector<std::string> x;
        std::vector<std::string> y;
    };
    const Case cases[] = {
        {"[X]\n1 2\n", {"1", "2"}, {"", ""}},             // the [Y] section is missing
        {"[X] \n1 2\n[Y]\n3 4\n", {"", ""}, {"3", "4"}},  // "[X] " is not a heading
        {" [X]\n1 2\n[x]\n1 2\n", {"", ""}, {"", ""}},
        // After a section, the rest of its last line is read as a line: " [Y]" is none.
        {"[X]\n1 2 [Y]\n5 6\n[Y]\n7 8 9\n", {"1", "2"}, {"7", "8"}},
        {"[X]\nabc 1,5\n", {"abc", "1,5"}, {"", ""}},       // words are kept as they are
        {"[X]\n1\n", {"1", ""}, {"", ""}},                  // the file ends early
        {"[X]\n1 2\n[X]\n3\n", {"3", ""}, {"", ""}},        // a repeated section ends early
        {"[Y]\r\n[X]\r\n1 2\r\n", {"", ""}, {"[X]", "1"}},  // a heading inside a section is a word
    };
    for (const Case& test : cases) {
        AreaSheet sheet;
        readStatement(std::string("header\nN = 2\n") + test.body, sheet);
        ASSERT_EQ(sheet.pointCount(), 2) << test.body;
        EXPECT_EQ(column(sheet, AreaSheet::XColumn), test.x) << test.body;
        EXPECT_EQ(column(sheet, AreaSheet::YColumn), test.y) << test.body;
    }
}

TEST(Statement, ReadsTheCountFromTheFifthCharacterOfLineTwo) {
    const std::pair<std::string, int> cases[] = {
        {"N = 12", 12},
        {"N = 3.7", 3},
        {"N=4", 0},
        {"N = ", 0},
        {"", 0},
        {"N = -3", 0},
        {"N = 12 points", 0},
        {"abcd5", 5},
        // A statement that ends early still gets the rows its count asks for.
        {"N = 500", 500},
        {"N = 100000", 100000},
        // Only the first 99 characters of the line count.
        {"N = " + std::string(94, ' ') + "7", 7},
        {"N = " + std::string(95, ' ') + "7", 0},
    };
    for (const auto& [line, count] : cases) {
        AreaSheet sheet;
        readStatement("header\r\n" + line + "\r\n" + std::string(100, ' '), sheet);
        EXPECT_EQ(sheet.pointCount(), count) << '"' << line << '"';
    }
    AreaSheet noCountLine;
    noCountLine.buildTable(4);
    readStatement("header only", noCountLine);
    EXPECT_EQ(noCountLine.pointCount(), 0);
}

// A few bytes claiming millions of points must not take the machine's memory.
TEST(AreaFiles, CountsBeyondWhatTheFormatHoldsAreRefusedAndTheSheetStays) {
    const struct {
        bool statement;
        std::string count;
    } cases[] = {
        {false, "1e7"},       {false, "1e4"},           {false, "9e99"},
        {true, "N = 100001"}, {true, "N = 2000000000"}, {true, "N = 1e300"},
    };
    testing::TempDir dir;
    for (const auto& test : cases) {
        const std::string bytes = (test.statement ? "header\r\n" : kHeader) + test.count + "\r\n";
        AreaSheet sheet = triangle();
        const auto refusal =
            test.statement ? readStatement(bytes, sheet) : readAreaFile(bytes, sheet);
        ASSERT_TRUE(refusal) << test.count;
        EXPECT_EQ(*refusal,
                  test.statement ? "число точек больше 100000" : "число точек больше 9999");
        EXPECT_EQ(rowsOf(sheet), rowsOf(triangle())) << test.count;

        const std::string path = dir.file("bomb");
        testing::writeFile(path, bytes);
        const auto error =
            test.statement ? loadStatementFile(path, sheet) : openAreaFile(path, sheet);
        ASSERT_TRUE(error) << test.count;
        EXPECT_EQ(error->message(), "Не удаётся прочитать файл \"" + path + "\": " + *refusal);
        EXPECT_EQ(rowsOf(sheet), rowsOf(triangle())) << test.count;
    }
}

TEST(AreaFiles, APipeIsRefusedAtOnce) {
    testing::TempDir dir;
    const std::string pipe = dir.file("pipe");
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    AreaSheet sheet = triangle();
    for (const auto& error : {openAreaFile(pipe, sheet), loadStatementFile(pipe, sheet)}) {
        ASSERT_TRUE(error);
        EXPECT_EQ(error->errorNumber, kNotRegularFile);
    }
}

TEST(Statement, AFileThatCannotBeOpenedLeavesTheSheetEmptied) {
    testing::TempDir dir;
    AreaSheet sheet = triangle();
    sheet.setResult("r");
    const auto error = loadStatementFile(dir.file("missing.tdl"), sheet);
    ASSERT_TRUE(error);
    EXPECT_EQ(error->path, dir.file("missing.tdl"));
    EXPECT_EQ(sheet.rowCount(), 6);
    EXPECT_EQ(rowsOf(sheet), Rows(6, std::vector<std::string>(7)));
    EXPECT_EQ(sheet.result(), "");

    const std::string path = dir.file("parcel.tdl");
    testing::writeFile(path, "header\r\nN = 2\r\n[Y]\r\n5 6\r\n");
    ASSERT_FALSE(loadStatementFile(path, sheet));
    EXPECT_EQ(column(sheet, AreaSheet::YColumn), (std::vector<std::string>{"5", "6"}));
    EXPECT_EQ(sheet.rowCount(), 5);
}

}  // namespace
}  // namespace korvela
