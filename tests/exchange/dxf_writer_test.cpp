#include "exchange/dxf_writer.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "buffer_edge_survey.h"
#include "common/conversion_error.h"
#include "points/point_store_grid.h"
#include "test_support.h"
#include "vector_grid.h"

namespace korvela {
namespace {

using testing::tableHeader;
using testing::tableRow;
using testing::VectorGrid;
using Pairs = std::vector<std::pair<std::string, std::string>>;

// The file as (group code, value) pairs; every line must end with CR LF.
Pairs pairsOf(const std::string& file) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < file.size()) {
        const std::size_t end = file.find("\r\n", start);
        if (end == std::string::npos) {
            ADD_FAILURE() << "a line without CR LF at byte " << start;
            break;
        }
        const std::string line = file.substr(start, end - start);
        EXPECT_EQ(line.find_first_of("\r\n"), std::string::npos) << "a bare line break in " << line;
        lines.push_back(line);
        start = end + 2;
    }
    EXPECT_EQ(lines.size() % 2, 0u);
    Pairs pairs;
    for (std::size_t i = 0; i + 1 < lines.size(); i += 2)
        pairs.emplace_back(lines[i], lines[i + 1]);
    return pairs;
}

std::string dxfOf(const TextGrid& grid, const DxfColumns& columns,
                  const std::vector<std::uint8_t>& kind, bool onlyFlagged) {
    std::ostringstream out;
    WriteDxf(grid, columns, kind, onlyFlagged, out);
    return out.str();
}

Pairs tableDxf(const VectorGrid& grid, const std::vector<std::uint8_t>& kind) {
    return pairsOf(dxfOf(grid, kPointTableDxfColumns, kind, true));
}

// The pairs of a section, between (2, name) and its (0, ENDSEC).
Pairs section(const Pairs& pairs, const std::string& name) {
    const Pairs::value_type start{"2", name};
    auto begin = std::find(pairs.begin(), pairs.end(), start);
    if (begin == pairs.end()) {
        ADD_FAILURE() << "no section " << name;
        return {};
    }
    ++begin;
    const auto end = std::find(begin, pairs.end(), Pairs::value_type{"0", "ENDSEC"});
    return Pairs(begin, end);
}

// The values that follow the header variable `name` up to the next variable.
Pairs headerVariable(const Pairs& pairs, const std::string& name) {
    const Pairs header = section(pairs, "HEADER");
    auto at = std::find(header.begin(), header.end(), Pairs::value_type{"9", name});
    if (at == header.end()) return {};
    const auto end =
        std::find_if(at + 1, header.end(), [](const auto& pair) { return pair.first == "9"; });
    return Pairs(at + 1, end);
}

std::vector<std::string> valuesWithCode(const Pairs& pairs, const std::string& code) {
    std::vector<std::string> values;
    for (const auto& [groupCode, value] : pairs) {
        if (groupCode == code) values.push_back(value);
    }
    return values;
}

TEST(DxfWriter, APointBecomesABlockWithItsTextsAndOneInsertion) {
    const VectorGrid grid({tableHeader(), tableRow("12", "200", "100", "15.25")});
    const Pairs pairs = tableDxf(grid, {1});
    const std::string pointLayer =
        "\xD2\xEE\xF7\xEA\xE8_\xEE\xE1\xEE\xF1\xED\xEE\xE2\xE0\xED\xE8\xFF";
    const std::string nameLayer = "\xC8\xEC\xE5\xED\xE0";
    const std::string heightLayer = "\xC2\xFB\xF1\xEE\xF2\xFB";
    const Pairs expectedBlocks = {
        {"0", "BLOCK"},     {"8", pointLayer}, {"2", "BLK1"},   {"70", "2"},      {"10", "100"},
        {"20", "200"},      {"30", "0"},       {"0", "POINT"},  {"8", "sloika"},  {"10", "100"},
        {"20", "200"},      {"30", "15.25"},   {"0", "TEXT"},   {"8", nameLayer}, {"10", "100.5"},
        {"20", "200.5"},    {"30", "15.25"},   {"40", "0.5"},   {"1", "12"},      {"72", "0"},
        {"73", "0"},        {"11", "7.500"},   {"21", "1.500"}, {"31", "0.000"},  {"0", "TEXT"},
        {"8", heightLayer}, {"10", "100.5"},   {"20", "199.5"}, {"30", "15.25"},  {"40", "0.5"},
        {"1", "15.25"},     {"72", "0"},       {"73", "0"},     {"11", "7.500"},  {"21", "1.500"},
        {"31", "0.000"},    {"0", "ENDBLK"}};
    EXPECT_EQ(section(pairs, "BLOCKS"), expectedBlocks);
    const Pairs expectedEntities = {{"0", "INSERT"}, {"2", "BLK1"}, {"8", pointLayer},
                                    {"10", "100"},   {"20", "200"}, {"30", "0"}};
    EXPECT_EQ(section(pairs, "ENTITIES"), expectedEntities);
    // A single row: the extents are that point.
    EXPECT_EQ(headerVariable(pairs, "$EXTMIN"), (Pairs{{"10", "100"}, {"20", "200"}, {"30", "0"}}));
    EXPECT_EQ(headerVariable(pairs, "$EXTMAX"), (Pairs{{"10", "100"}, {"20", "200"}, {"30", "0"}}));
    EXPECT_EQ(headerVariable(pairs, "$LIMMIN"), (Pairs{{"10", "100"}, {"20", "200"}}));
    EXPECT_EQ(headerVariable(pairs, "$LIMMAX"), (Pairs{{"10", "100"}, {"20", "200"}}));
    EXPECT_EQ(pairs.back(), (Pairs::value_type{"0", "EOF"}));
}

TEST(DxfWriter, TheHeaderNamesReleaseTwelveAndTheCyrillicCodePage) {
    const Pairs pairs = tableDxf(VectorGrid({tableHeader(), tableRow("1", "2", "3", "4")}), {1});
    const Pairs expectedStart = {{"0", "SECTION"}, {"2", "HEADER"},       {"9", "$ACADVER"},
                                 {"1", "AC1009"},  {"9", "$DWGCODEPAGE"}, {"3", "ANSI_1251"},
                                 {"9", "$EXTMIN"}};
    EXPECT_EQ(Pairs(pairs.begin(), pairs.begin() + 7), expectedStart);
}

TEST(DxfWriter, TheTablesHoldSixteenLineTypesThreeLayersAndNoStyle) {
    const Pairs tables =
        section(tableDxf(VectorGrid({tableHeader(), tableRow("1", "2", "3", "4")}), {1}), "TABLES");
    ASSERT_GE(tables.size(), 3u);
    EXPECT_EQ(Pairs(tables.begin(), tables.begin() + 3),
              (Pairs{{"0", "TABLE"}, {"2", "LTYPE"}, {"70", "3"}}));
    const auto lineTypesEnd =
        std::find(tables.begin(), tables.end(), Pairs::value_type{"0", "ENDTAB"});
    const Pairs lineTypes(tables.begin() + 3, lineTypesEnd);
    std::vector<std::string> names = {"CONTINUOUS"};
    for (int i = 1; i <= 15; ++i)
        names.push_back((i < 10 ? "LTYPE0" : "LTYPE") + std::to_string(i));
    EXPECT_EQ(valuesWithCode(lineTypes, "2"), names);
    EXPECT_EQ(valuesWithCode(lineTypes, "73"),
              (std::vector<std::string>{"0", "2", "2", "2", "2", "2", "2", "2", "2", "2", "2", "2",
                                        "4", "6", "8", "4"}));
    EXPECT_EQ(valuesWithCode(lineTypes, "49").size(), 2u * 11 + 4 + 6 + 8 + 4);
    // LTYPE13, literal texts, not the number format.
    const auto ltype13 =
        std::find(lineTypes.begin(), lineTypes.end(), Pairs::value_type{"2", "LTYPE13"});
    ASSERT_NE(ltype13, lineTypes.end());
    EXPECT_EQ(Pairs(ltype13 - 1, ltype13 + 12), (Pairs{{"0", "LTYPE"},
                                                       {"2", "LTYPE13"},
                                                       {"70", "0"},
                                                       {"3", "medium_dash,short_space,double_dot"},
                                                       {"72", "65"},
                                                       {"73", "6"},
                                                       {"40", "2.0"},
                                                       {"49", "0.5"},
                                                       {"49", "-0.5"},
                                                       {"49", "0.0"},
                                                       {"49", "-0.5"},
                                                       {"49", "0.0"},
                                                       {"49", "-0.5"}}));

    const Pairs rest(lineTypesEnd + 1, tables.end());
    const Pairs expectedRest = {
        {"0", "TABLE"},
        {"2", "LAYER"},
        {"70", "3"},
        {"0", "LAYER"},
        {"2", "\xD2\xEE\xF7\xEA\xE8_\xEE\xE1\xEE\xF1\xED\xEE\xE2\xE0\xED\xE8\xFF"},
        {"6", "CONTINUOUS"},
        {"70", "0"},
        {"62", "255"},
        {"0", "LAYER"},
        {"2", "\xC8\xEC\xE5\xED\xE0"},
        {"6", "CONTINUOUS"},
        {"70", "0"},
        {"62", "255"},
        {"0", "LAYER"},
        {"2", "\xC2\xFB\xF1\xEE\xF2\xFB"},
        {"6", "CONTINUOUS"},
        {"70", "0"},
        {"62", "255"},
        {"0", "ENDTAB"},
        {"0", "TABLE"},
        {"2", "STYLE"},
        {"70", "0"},
        {"0", "ENDTAB"}};
    EXPECT_EQ(rest, expectedRest);
}

TEST(DxfWriter, StationsGetNoBlockButCountForTheExtents) {
    const VectorGrid grid({tableHeader(), tableRow("S1", "10", "-5", "1", "0"),
                           tableRow("S2", "30", "7.5", "1", "0"),
                           tableRow("S3", "-2", "3", "1", "0")});
    const Pairs pairs = tableDxf(grid, {0, 0, 0});
    EXPECT_TRUE(section(pairs, "BLOCKS").empty());
    EXPECT_TRUE(section(pairs, "ENTITIES").empty());
    EXPECT_EQ(headerVariable(pairs, "$EXTMIN"), (Pairs{{"10", "-5"}, {"20", "-2"}, {"30", "0"}}));
    EXPECT_EQ(headerVariable(pairs, "$EXTMAX"), (Pairs{{"10", "7.5"}, {"20", "30"}, {"30", "0"}}));
}

TEST(DxfWriter, BlocksAreNamedAfterTheirRowsLeavingGapsForStations) {
    std::vector<std::vector<std::string>> cells = {tableHeader()};
    for (int row = 1; row <= 6; ++row)
        cells.push_back(tableRow(std::to_string(row), "1", "2", "3"));
    const Pairs pairs = tableDxf(VectorGrid(cells), {0, 1, 0, 0, 1, 0});
    EXPECT_EQ(valuesWithCode(section(pairs, "BLOCKS"), "2"),
              (std::vector<std::string>{"BLK2", "BLK5"}));
    EXPECT_EQ(valuesWithCode(section(pairs, "ENTITIES"), "2"),
              (std::vector<std::string>{"BLK2", "BLK5"}));
    EXPECT_EQ(valuesWithCode(section(pairs, "BLOCKS"), "1"),
              (std::vector<std::string>{"2", "3", "5", "3"}));
}

TEST(DxfWriter, NumbersAreParsedAndWrittenInTheNumberFormat) {
    const std::pair<const char*, const char*> cases[] = {
        {"15.250", "15.25"}, {"7", "7"},    {" 3.0 ", "3"},
        {"1e-7", "1E-7"},    {"-0.0", "0"}, {"123456789.123456789", "123456789.123457"},
        {"+2.50E1", "25"}};
    for (const auto& [cell, written] : cases) {
        const Pairs blocks = section(
            tableDxf(VectorGrid({tableHeader(), tableRow("1", cell, cell, cell)}), {1}), "BLOCKS");
        EXPECT_EQ(valuesWithCode(blocks, "1").at(1), written) << cell;  // the height text
        EXPECT_EQ(valuesWithCode(blocks, "10").at(0), written) << cell;
        EXPECT_EQ(valuesWithCode(blocks, "20").at(0), written) << cell;
    }
}

// pairsOf checks every line end; the values are read back by the C library.
TEST(DxfWriter, PairsAreWholeAroundTheOutputBuffersEnds) {
    const PointStore store = testing::bufferEdgeSurvey();
    const Pairs pairs =
        pairsOf(dxfOf(PointStoreGrid(store), kPointTableDxfColumns, store.kind(), true));
    const std::vector<std::string> texts = valuesWithCode(section(pairs, "BLOCKS"), "1");
    const std::vector<std::string> eastings = valuesWithCode(section(pairs, "BLOCKS"), "10");
    const std::vector<std::string> northings = valuesWithCode(section(pairs, "ENTITIES"), "20");
    ASSERT_EQ(texts.size(), 2 * store.count());
    ASSERT_EQ(eastings.size(), 4 * store.count());  // block, point and both texts
    ASSERT_EQ(northings.size(), store.count());
    const auto read = [](const std::string& text) { return std::strtod(text.c_str(), nullptr); };
    for (std::size_t i = 0; i < store.count(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(texts[2 * i], store.number()[i]);
        EXPECT_EQ(read(texts[2 * i + 1]), testing::fifteenDigits(store.z()[i]));
        EXPECT_EQ(read(eastings[4 * i]), testing::fifteenDigits(store.y()[i]));
        EXPECT_EQ(eastings[4 * i + 1], eastings[4 * i]);
        EXPECT_EQ(read(eastings[4 * i + 2]), testing::fifteenDigits(store.y()[i] + 0.5));
        EXPECT_EQ(read(northings[i]), testing::fifteenDigits(store.x()[i]));
    }
}

TEST(DxfWriter, TheRotationGridExportsEveryRowWithColumnTwoAsEasting) {
    const VectorGrid grid({{"", "", "", ""}, {"A", "10", "20", "30"}, {"B", "11", "21", "31"}});
    const Pairs pairs = pairsOf(dxfOf(grid, kRotationGridDxfColumns, {0, 0}, false));
    const Pairs entities = section(pairs, "ENTITIES");
    EXPECT_EQ(valuesWithCode(entities, "2"), (std::vector<std::string>{"BLK1", "BLK2"}));
    EXPECT_EQ(valuesWithCode(entities, "10"), (std::vector<std::string>{"20", "21"}));
    EXPECT_EQ(valuesWithCode(entities, "20"), (std::vector<std::string>{"10", "11"}));
    const Pairs blocks = section(pairs, "BLOCKS");
    EXPECT_EQ(valuesWithCode(blocks, "1"), (std::vector<std::string>{"A", "30", "B", "31"}));
    // No kind sequence is needed when every row goes.
    EXPECT_EQ(dxfOf(grid, kRotationGridDxfColumns, {}, false),
              dxfOf(grid, kRotationGridDxfColumns, {0, 0}, false));
}

TEST(DxfWriter, NamesAreWrittenAsTheCellHoldsThemExceptLineBreaks) {
    const VectorGrid grid({tableHeader(), tableRow("\xCF\xD3-7", "1", "2", "3"),
                           tableRow("A\r\nB\rC\nD", "1", "2", "3"),
                           tableRow(" x ", "1", "2", "3")});
    const Pairs blocks = section(tableDxf(grid, {1, 1, 1}), "BLOCKS");
    EXPECT_EQ(valuesWithCode(blocks, "1"),
              (std::vector<std::string>{"\xCF\xD3-7", "3", "A  B C D", "3", " x ", "3"}));
}

// Every cell that will be read is checked before anything is written; the extents come
// first, so a bad coordinate anywhere is reported before a bad height.
TEST(DxfWriter, ACellThatIsNoNumberStopsTheExportWithTheConversionMessage) {
    struct Case {
        std::vector<std::vector<std::string>> rows;
        std::vector<std::uint8_t> kind;
        const char* message;
    };
    const Case cases[] = {
        {{tableRow("", "", "", "", "")}, {}, "'' is not a valid floating point value"},
        {{tableRow("1", "1", "2", "3"), tableRow("S", "1", "12a", "3", "0")},
         {1, 0},
         "'12a' is not a valid floating point value"},
        {{tableRow("1", "1", "2", "h?"), tableRow("2", "x?", "2", "3")},
         {1, 1},
         "'x?' is not a valid floating point value"},
        {{tableRow("1", "1", "2", "3"), tableRow("2", "1", "2", "\xE0\xE1\xE2")},
         {1, 1},
         "'абв' is not a valid floating point value"},
        {{tableRow("1", "1", "2", "3"), tableRow("2", "1", "2", "1,5,5")},
         {1, 1},
         "'1,5,5' is not a valid floating point value"},
    };
    for (const Case& test : cases) {
        std::vector<std::vector<std::string>> rows = {tableHeader()};
        rows.insert(rows.end(), test.rows.begin(), test.rows.end());
        std::ostringstream out;
        try {
            WriteDxf(VectorGrid(rows), kPointTableDxfColumns, test.kind, true, out);
            ADD_FAILURE() << "no conversion error, expected " << test.message;
        } catch (const ConversionError& error) {
            EXPECT_STREQ(error.what(), test.message);
        }
        EXPECT_TRUE(out.str().empty()) << test.message;
    }
}

// The point table takes a typed decimal comma as it took it when typed; the rotation grid
// never did.
TEST(DxfWriter, APointTableCellTypedWithADecimalCommaIsItsNumber) {
    const VectorGrid table({tableHeader(), tableRow("1", "5138,5", "7049,25", "142,5")});
    const Pairs blocks = section(tableDxf(table, {1}), "BLOCKS");
    EXPECT_EQ(valuesWithCode(blocks, "10").at(0), "7049.25");
    EXPECT_EQ(valuesWithCode(blocks, "20").at(0), "5138.5");
    EXPECT_EQ(valuesWithCode(blocks, "20").at(2), "5139");  // the number text 0.5 north
    EXPECT_EQ(valuesWithCode(blocks, "1").at(1), "142.5");

    const VectorGrid rotated({{"", "", "", ""}, {"A", "5138,5", "20", "30"}});
    EXPECT_THROW(dxfOf(rotated, kRotationGridDxfColumns, {}, false), ConversionError);
}

TEST(DxfWriter, TheHeightOfAStationIsNeverRead) {
    const VectorGrid grid(
        {tableHeader(), tableRow("S", "1", "2", "", "0"), tableRow("1", "5", "6", "7")});
    EXPECT_NO_THROW(tableDxf(grid, {0, 1}));
}

TEST(DxfWriter, AConversionErrorLeavesNoFileAndAnOldFileAsItWas) {
    testing::TempDir dir;
    const VectorGrid empty({tableHeader(), tableRow("", "", "", "", "")});
    const std::string fresh = dir.file("fresh.dxf");
    EXPECT_THROW(writeDxfFile(fresh, empty, kPointTableDxfColumns, {}, true), ConversionError);
    EXPECT_FALSE(std::filesystem::exists(fresh));

    const std::string old = dir.file("old.dxf");
    testing::writeFile(old, "old drawing");
    EXPECT_THROW(writeDxfFile(old, empty, kPointTableDxfColumns, {}, true), ConversionError);
    EXPECT_EQ(testing::readFile(old), "old drawing");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);
}

TEST(DxfWriter, TheFileHoldsWhatTheStreamGetsAndAnUnwritableFileIsReported) {
    testing::TempDir dir;
    const VectorGrid grid({tableHeader(), tableRow("1", "5", "6", "7")});
    const std::string path = dir.file("out.dxf");
    testing::writeFile(path, "old drawing");
    EXPECT_EQ(writeDxfFile(path, grid, kPointTableDxfColumns, {1}, true), std::nullopt);
    EXPECT_EQ(testing::readFile(path), dxfOf(grid, kPointTableDxfColumns, {1}, true));

    const std::string missing = dir.file("missing/out.dxf");
    const auto error = writeDxfFile(missing, grid, kPointTableDxfColumns, {1}, true);
    ASSERT_TRUE(error.has_value());
    EXPECT_NE(error->message().find(missing), std::string::npos);
}

}  // namespace
}  // namespace korvela
