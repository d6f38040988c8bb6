#include "area/area_computation.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "area/area_sheet.h"
#include "common/cp1251.h"

namespace korvela {
namespace {

using Rows = std::vector<std::vector<std::string>>;

AreaSheet sheetOf(const std::vector<std::pair<std::string, std::string>>& points) {
    AreaSheet sheet;
    sheet.buildTable(static_cast<int>(points.size()));
    for (int row = 0; row < sheet.pointCount(); ++row) {
        sheet.setCell(row, AreaSheet::XColumn, points[row].first);
        sheet.setCell(row, AreaSheet::YColumn, points[row].second);
    }
    return sheet;
}

Rows rowsOf(const AreaSheet& sheet) {
    Rows rows;
    for (int row = 0; row < sheet.rowCount(); ++row) {
        rows.emplace_back();
        for (int column = 0; column < AreaSheet::ColumnCount; ++column)
            rows.back().push_back(sheet.cell(row, column));
    }
    return rows;
}

std::string resultText(const char* utf8) { return utf8ToCp1251(utf8); }

TEST(AreaComputation, TheWorkedTriangleInBothDirections) {
    struct Case {
        std::vector<std::pair<std::string, std::string>> points;
        Rows rows;
        const char* result;
    };
    const Case cases[] = {
        {{{"0", "0"}, {"100", "0"}, {"0", "100"}},
         {{"1", "0", "0", "-100", "-100", "0", "0"},
          {"2", "100", "0", "0", "100", "0", "10000"},
          {"3", "0", "100", "100", "0", "10000", "0"},
          {"", "", "", "+100", "+100", "+10000", "+10000"},
          {"", "", "", "-100", "-100", "0", "0"},
          {"", "", "", "0", "0", "2P = 10000", "2P = 10000"}},
         "P = 5000 м^2 = 0.5 га"},
        {{{"0", "0"}, {"0", "100"}, {"100", "0"}},
         {{"1", "0", "0", "100", "100", "0", "0"},
          {"2", "0", "100", "-100", "0", "-10000", "0"},
          {"3", "100", "0", "0", "-100", "0", "-10000"},
          {"", "", "", "+100", "+100", "+0", "+0"},
          {"", "", "", "-100", "-100", "-10000", "-10000"},
          {"", "", "", "0", "0", "2P = -10000", "2P = -10000"}},
         "P = -5000 м^2 = -0.5 га"},
    };
    for (const Case& test : cases) {
        AreaSheet sheet = sheetOf(test.points);
        ASSERT_TRUE(computeArea(sheet));
        EXPECT_EQ(rowsOf(sheet), test.rows);
        EXPECT_EQ(sheet.result(), resultText(test.result));
    }
}

TEST(AreaComputation, TheStartUpSheetComputesToZeros) {
    AreaSheet sheet;
    sheet.buildTable(8);
    ASSERT_TRUE(computeArea(sheet));
    for (int row = 0; row < 8; ++row) {
        EXPECT_EQ(rowsOf(sheet)[row],
                  (std::vector<std::string>{std::to_string(row + 1), "", "", "0", "0", "0", "0"}));
    }
    EXPECT_EQ(rowsOf(sheet)[8], (std::vector<std::string>{"", "", "", "+0", "+0", "+0", "+0"}));
    EXPECT_EQ(rowsOf(sheet)[9], (std::vector<std::string>{"", "", "", "0", "0", "0", "0"}));
    EXPECT_EQ(rowsOf(sheet)[10],
              (std::vector<std::string>{"", "", "", "0", "0", "2P = 0", "2P = 0"}));
    EXPECT_EQ(sheet.result(), resultText("P = 0 м^2 = 0 га"));
}

// The sums of the differences are rounded to whole metres after every addition, ties to
// the even neighbour: 0.5 gives 0, then 0 + 2.5 gives 2.
TEST(AreaComputation, DifferenceSumsAreRoundedAfterEveryAdditionWithTiesToEven) {
    AreaSheet sheet = sheetOf({{"0", "0"}, {"-3", "0"}, {"-2.5", "0"}});
    ASSERT_TRUE(computeArea(sheet));
    EXPECT_EQ(sheet.cell(0, 3), "0.5");
    EXPECT_EQ(sheet.cell(1, 3), "2.5");
    EXPECT_EQ(sheet.cell(2, 3), "-3");
    EXPECT_EQ(sheet.cell(3, 3), "+2");
    EXPECT_EQ(sheet.cell(4, 3), "-3");
    EXPECT_EQ(sheet.cell(5, 3), "0");
}

TEST(AreaComputation, RoundsTiesToEvenAndRefusesWhatCannotBeRounded) {
    struct Case {
        double value;
        int decimals;
        std::optional<double> rounded;
    };
    const double infinity = std::numeric_limits<double>::infinity();
    const Case cases[] = {
        {0.5, 0, 0.0},        {1.5, 0, 2.0},       {2.5, 0, 2.0},         {-2.5, 0, -2.0},
        {2.51, 0, 3.0},       {0.125, 2, 0.12},    {0.375, 2, 0.38},      {-0.125, 2, -0.12},
        {123.456, 2, 123.46}, {9.2e18, 0, 9.2e18}, {9.3e18, 0, {}},       {1e17, 2, {}},
        {infinity, 0, {}},    {-infinity, 2, {}},  {std::nan(""), 0, {}},
    };
    for (const Case& test : cases) {
        EXPECT_EQ(roundToDecimals(test.value, test.decimals), test.rounded)
            << test.value << " to " << test.decimals << " decimals";
    }
}

TEST(AreaComputation, ReadsCellsWithPointOrCommaAndCountsAnythingElseAsZero) {
    const std::pair<const char*, double> cases[] = {
        {"12.5", 12.5}, {"  -3  ", -3}, {"+967,5", 967.5}, {"-0,5", -0.5}, {"1e3", 1000},
        {"", 0},        {"   ", 0},     {"abc", 0},        {"12 a", 0},    {"12a", 0},
        {"1,2,3", 0},   {"1.5,2", 0},   {"1e999", 0},      {",", 0},       {"\t7\t", 7},
    };
    for (const auto& [text, value] : cases)
        EXPECT_EQ(readSheetNumber(text), value) << '"' << text << '"';
}

TEST(AreaComputation, OneTwoAndNoPoints) {
    AreaSheet one = sheetOf({{"5", "7"}});
    ASSERT_TRUE(computeArea(one));
    // The next row of the only point is the first summary row, read as 0.
    EXPECT_EQ(rowsOf(one)[0], (std::vector<std::string>{"1", "5", "7", "5", "-7", "35", "-35"}));
    EXPECT_EQ(one.result(), resultText("P = 0 м^2 = 0 га"));

    AreaSheet two = sheetOf({{"1", "2"}, {"3", "4"}});
    ASSERT_TRUE(computeArea(two));
    for (int row = 0; row < 2; ++row) {
        for (int column = 3; column < 7; ++column) EXPECT_EQ(two.cell(row, column), "0");
    }
    EXPECT_EQ(two.result(), resultText("P = 0 м^2 = 0 га"));

    AreaSheet none;
    ASSERT_TRUE(computeArea(none));
    EXPECT_EQ(rowsOf(none), (Rows{{"", "", "", "+0", "+0", "", ""},
                                  {"", "", "", "0", "0", "", ""},
                                  {"", "", "", "0", "0", "", ""}}));
    EXPECT_EQ(none.result(), resultText("P = 0 м^2 = 0 га"));
}

TEST(AreaComputation, TheSampleWithItsDecimalComma) {
    AreaSheet sheet;
    fillSampleSheet(sheet);
    EXPECT_EQ(sheet.pointCount(), 8);
    EXPECT_EQ(sheet.cell(5, AreaSheet::YColumn), "-54,24");
    EXPECT_EQ(sheet.result(), "");
    ASSERT_TRUE(computeArea(sheet));
    EXPECT_EQ(sheet.result(), resultText("P = 552138.75 м^2 = 55.21 га"));
}

// Surveyed coordinates: products of millions by tens are rounded to whole square metres,
// so the two doubled areas may each differ from the exact one.
TEST(AreaComputation, NationalGridCoordinates) {
    AreaSheet sheet = sheetOf({{"5412112.345", "7312105.678"},
                               {"5412130.002", "7312098.417"},
                               {"5412125.5", "7312140.25"},
                               {"5412101.75", "7312131"}});
    ASSERT_TRUE(computeArea(sheet));
    EXPECT_EQ(
        rowsOf(sheet),
        (Rows{{"1", "5412112.345", "7312105.678", "-28.25", "-32.58", "-206566985", "-176326620"},
              {"2", "5412130.002", "7312098.417", "-13.16", "34.57", "-96227215", "187097334"},
              {"3", "5412125.5", "7312140.25", "28.25", "32.58", "206567962", "176327049"},
              {"4", "5412101.75", "7312131", "13.16", "-34.57", "96227644", "-187096357"},
              {"", "", "", "+41", "+68", "+302795606", "+363424383"},
              {"", "", "", "-41", "-68", "-302794200", "-363422977"},
              {"", "", "", "0", "0", "2P = 1406", "2P = 1406"}}));
    EXPECT_EQ(sheet.result(), resultText("P = 703 м^2 = 0.07 га"));
}

// A product too large to round stops the computation: what was written stays, the product
// summaries show the rows done, the result text is the old one.
TEST(AreaComputation, AValueTooLargeStopsTheComputation) {
    AreaSheet sheet = sheetOf({{"0", "0"}, {"1e10", "0"}, {"0", "1e10"}});
    sheet.setResult("old");
    EXPECT_FALSE(computeArea(sheet));
    EXPECT_EQ(rowsOf(sheet)[0],
              (std::vector<std::string>{"1", "0", "0", "-10000000000", "-10000000000", "0", "0"}));
    EXPECT_EQ(rowsOf(sheet)[1],
              (std::vector<std::string>{"2", "1e10", "0", "0", "10000000000", "0", ""}));
    EXPECT_EQ(rowsOf(sheet)[3],
              (std::vector<std::string>{"", "", "", "+10000000000", "+10000000000", "+0", "+0"}));
    EXPECT_EQ(rowsOf(sheet)[5],
              (std::vector<std::string>{"", "", "", "0", "0", "2P = 0", "2P = 0"}));
    EXPECT_EQ(sheet.result(), "old");

    AreaSheet first = sheetOf({{"1e300", "0"}, {"0", "0"}, {"0", "0"}});
    EXPECT_FALSE(computeArea(first));
    EXPECT_EQ(first.cell(0, 3), "0");
    EXPECT_EQ(first.cell(1, 3), "");  // row 1 cannot be rounded: the summary rows stay empty
    EXPECT_EQ(first.cell(3, 3), "");
}

TEST(AreaSheet, BuildingEmptiesEverythingAndNumbersThePoints) {
    AreaSheet sheet = sheetOf({{"1", "2"}, {"3", "4"}});
    sheet.setCell(4, 6, "x");
    sheet.setResult("r");
    sheet.buildTable(3);
    EXPECT_EQ(rowsOf(sheet), (Rows{{"1", "", "", "", "", "", ""},
                                   {"2", "", "", "", "", "", ""},
                                   {"3", "", "", "", "", "", ""},
                                   {"", "", "", "", "", "", ""},
                                   {"", "", "", "", "", "", ""},
                                   {"", "", "", "", "", "", ""}}));
    EXPECT_EQ(sheet.result(), "");

    sheet.setCell(1, 1, "x");
    sheet.setCell(0, 0, "A");
    sheet.clear();
    EXPECT_EQ(sheet.cell(0, 0), "1");
    EXPECT_EQ(sheet.cell(1, 1), "");
    sheet.emptyCells();
    EXPECT_EQ(sheet.rowCount(), 6);
    EXPECT_EQ(sheet.cell(0, 0), "");
}

}  // namespace
}  // namespace korvela
