#include "area/area_computation.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include "area/area_sheet.h"
#include "common/cp1251.h"
#include "common/number_text.h"

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

// Rounding divides by 10^-k: 450 m^2 is 0.045 ha in the last bit above the tie, which
// divided by 0.01 is the tie 4.5 (multiplied by 100 it would be above it and give 0.05).
TEST(AreaComputation, RoundsTiesToEvenAndRefusesWhatCannotBeRounded) {
    struct Case {
        double value;
        int decimals;
        const char* rounded;  // nullptr: cannot be rounded
    };
    const double infinity = std::numeric_limits<double>::infinity();
    const Case cases[] = {
        {0.5, 0, "0"},
        {1.5, 0, "2"},
        {2.5, 0, "2"},
        {-2.5, 0, "-2"},
        {2.51, 0, "3"},
        {0.125, 2, "0.12"},
        {0.375, 2, "0.38"},
        {-0.125, 2, "-0.12"},
        {123.456, 2, "123.46"},
        {450 * 0.0001, 2, "0.04"},
        {1050 * 0.0001, 2, "0.1"},
        {3539.429 - 4058.844, 2, "-519.41"},
        {5412101.75 - 5412130.002, 6, "-28.252"},
        {9.2e18, 0, "9.2E18"},
        {9.3e18, 0, nullptr},
        {1e17, 2, nullptr},
        {1e13, 6, nullptr},
        {infinity, 0, nullptr},
        {-infinity, 2, nullptr},
        {std::nan(""), 0, nullptr},
    };
    for (const Case& test : cases) {
        const auto rounded = roundToDecimals(test.value, test.decimals);
        const std::string text = rounded ? formatNumber(*rounded) : "none";
        EXPECT_EQ(text, test.rounded ? test.rounded : "none")
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

using Parcel = std::vector<std::pair<std::string, std::string>>;

// The shoelace area of coordinates given to the millimetre, exactly, in square metres.
double exactShoelaceArea(const Parcel& parcel) {
    std::vector<std::int64_t> x, y;  // millimetres
    for (const auto& [xText, yText] : parcel) {
        x.push_back(std::llround(std::stod(xText) * 1000));
        y.push_back(std::llround(std::stod(yText) * 1000));
    }
    const std::size_t n = parcel.size();
    __int128 doubled = 0;
    for (std::size_t i = 0; i < n; ++i)
        doubled += static_cast<__int128>(x[i]) * (y[(i + 1) % n] - y[(i + n - 1) % n]);
    return static_cast<double>(doubled) / 2e6;
}

double areaOf(const std::string& result) {
    return std::stod(result.substr(std::string("P = ").size()));
}

// National-grid parcels to the millimetre: every product of millions of metres takes its
// difference to the millimetre, so only the rounding of each product to whole square metres
// separates the sheet from the exact area. Rounded to centimetres, the differences of these
// parcels err the same way round the boundary and the area would be thousands of m^2 off.
TEST(AreaComputation, NationalGridParcelsToTheMillimetreKeepTheExactArea) {
    const Parcel parcels[] = {
        {{"6123456.789", "412345.678"},
         {"6123489.123", "412371.004"},
         {"6123471.457", "412402.336"},
         {"6123430.002", "412398.991"},
         {"6123421.116", "412360.443"}},
        {{"5412112.345", "7312105.678"},
         {"5412130.002", "7312098.417"},
         {"5412151.337", "7312117.093"},
         {"5412149.873", "7312140.251"},
         {"5412131.119", "7312161.007"},
         {"5412125.503", "7312140.259"},
         {"5412101.757", "7312131.003"},
         {"5412093.221", "7312119.887"},
         {"5412099.641", "7312107.113"}},
    };
    for (const Parcel& parcel : parcels) {
        AreaSheet sheet = sheetOf(parcel);
        ASSERT_TRUE(computeArea(sheet));
        EXPECT_NEAR(areaOf(sheet.result()), exactShoelaceArea(parcel), 1.0) << parcel[0].first;
    }
}

// The hectares of P round half to even; a difference rounds as its decimal value.
TEST(AreaComputation, HectareTiesAndCentimetreDifferences) {
    const std::pair<Parcel, const char*> cases[] = {
        {{{"0", "0"}, {"30", "0"}, {"30", "15"}, {"0", "15"}}, "P = 450 м^2 = 0.04 га"},
        {{{"0", "0"}, {"30", "0"}, {"30", "35"}, {"0", "35"}}, "P = 1050 м^2 = 0.1 га"},
    };
    for (const auto& [parcel, result] : cases) {
        AreaSheet sheet = sheetOf(parcel);
        ASSERT_TRUE(computeArea(sheet));
        EXPECT_EQ(sheet.result(), resultText(result));
    }
    AreaSheet sheet = sheetOf({{"3539.429", "0"}, {"0", "0"}, {"4058.844", "0"}});
    ASSERT_TRUE(computeArea(sheet));
    EXPECT_EQ(sheet.cell(1, AreaSheet::XDifferenceColumn), "-519.41");
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
