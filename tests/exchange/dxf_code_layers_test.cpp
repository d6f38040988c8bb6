#include "exchange/dxf_code_layers.h"

#include <gtest/gtest.h>

#include <sstream>

#include "common/cp1251.h"
#include "exchange/dxf_writer.h"
#include "points/point_codes.h"
#include "test_support.h"
#include "vector_grid.h"

namespace korvela {
namespace {

std::string cp(const char* utf8) { return utf8ToCp1251(utf8); }

TEST(DxfCodeLayers, LayerNamesKeepLettersDigitsAndThreeSigns) {
    const struct {
        const char* code;
        const char* layer;
    } cases[] = {
        {"КЮ", "КЮ"},
        {"Ёлка-ёж_$1", "Ёлка-ёж_$1"},
        {"TOP WALL", "TOP_WALL"},
        {"ЗД*1/\"a\"", "ЗД_1__a_"},
        {"a.b,c;d", "a_b_c_d"},
        {"1234567890123456789012345678901234", "1234567890123456789012345678901"},
    };
    for (const auto& c : cases) EXPECT_EQ(dxfLayerName(cp(c.code)), cp(c.layer)) << c.code;
}

TEST(DxfCodeLayers, CodesShareTheTablesLayerAndClashesGetANumber) {
    CodeTable table;
    table.rules = {{cp("ЗД"), cp("Здания"), 5, false},
                   {cp("ЗД2"), cp("Здания"), 1, true},
                   {cp("КЮ"), "", 3, true}};
    const std::vector<std::string> codes = {cp("ЗД"), cp("a b"), cp("a/b"), "", cp("ЗД2"),
                                            cp("Имена"), cp("кю"), cp("КЮ")};
    std::vector<std::pair<std::size_t, std::string_view>> sparse;
    for (std::size_t i = 0; i < codes.size(); ++i)
        if (!codes[i].empty()) sparse.emplace_back(i, codes[i]);
    const DxfCodeLayers layers =
        dxfCodeLayers(PointCodes::fromSparse(codes.size(), sparse), table, dxfOwnLayers());

    // Expected by hand: one layer per wanted name, in the order the points first ask for it.
    const std::vector<std::pair<const char*, int>> expected = {
        {"Здания", 5}, {"a_b", 7}, {"a_b2", 7}, {"Имена2", 7}, {"кю", 7}, {"КЮ2", 3}};
    ASSERT_EQ(layers.layers.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(layers.layers[i].name, cp(expected[i].first)) << i;
        EXPECT_EQ(layers.layers[i].colour, expected[i].second) << i;
    }
    const std::vector<std::size_t> layerOfPoint = {0, 1, 2, 99, 0, 3, 4, 5};
    for (std::size_t point = 0; point < codes.size(); ++point) {
        const std::uint32_t code = layers.codeOfPoint[point];
        if (codes[point].empty()) {
            EXPECT_EQ(code, DxfCodeLayers::kNoCode);
            continue;
        }
        EXPECT_EQ(layers.codes[code].layer, layerOfPoint[point]) << point;
    }
}

// Counts the polylines and the vertices of each in a written drawing.
std::vector<std::size_t> polylineVertices(const std::string& dxf) {
    std::vector<std::size_t> vertices;
    std::istringstream lines(dxf);
    std::string code, value;
    while (std::getline(lines, code) && std::getline(lines, value)) {
        if (code != "0\r") continue;
        if (value == "POLYLINE\r") vertices.push_back(0);
        if (value == "VERTEX\r") ++vertices.back();
    }
    return vertices;
}

TEST(DxfCodeLayers, RunsOfAJoinedCodeBecomePolylines) {
    CodeTable table;
    table.rules = {{"K", "", 3, true}, {"Z", "", 1, false}};
    const struct {
        const char* name;
        std::vector<const char*> codes;
        std::vector<std::size_t> polylines;
    } cases[] = {
        {"one run", {"K", "K", "K"}, {3}},
        {"another code comes between", {"K", "K", "Z", "K", "K", "K"}, {2, 3}},
        {"a point without code ends a run", {"K", "", "K", "K"}, {2}},
        {"a single point draws no line", {"K", "Z", "K"}, {}},
        {"codes that are not joined", {"Z", "Z"}, {}},
    };
    for (const auto& c : cases) {
        std::vector<std::vector<std::string>> rows = {testing::tableHeader()};
        std::vector<std::pair<std::size_t, std::string_view>> sparse;
        for (std::size_t i = 0; i < c.codes.size(); ++i) {
            rows.push_back(testing::tableRow(std::to_string(i), std::to_string(i * 10), "5", "1"));
            if (*c.codes[i] != '\0') sparse.emplace_back(i, c.codes[i]);
        }
        const DxfCodeLayers layers =
            dxfCodeLayers(PointCodes::fromSparse(c.codes.size(), sparse), table, dxfOwnLayers());
        std::ostringstream out;
        WriteDxf(testing::VectorGrid(rows), kPointTableDxfColumns,
                 std::vector<std::uint8_t>(c.codes.size(), 1), true, out, &layers);
        EXPECT_EQ(polylineVertices(out.str()), c.polylines) << c.name;
    }
}

TEST(CodeTableFile, RulesSurviveTheFileAndBadLinesAreSkipped) {
    CodeTable table;
    table.rules = {{cp("ЗД"), cp("Здания"), 5, false}, {cp("КЮ"), "", 255, true}};
    std::size_t skipped = 99;
    EXPECT_EQ(parseCodeTable(codeTableText(table), &skipped), table);
    EXPECT_EQ(skipped, 0u);
    const std::string bad = codeTableText(table) +
                            "X;L;0;1\r\nX;L;256;1\r\nX;L;3;2\r\n;L;3;1\r\nX;L;3\r\nX;L;3;1;9\r\n";
    EXPECT_EQ(parseCodeTable(bad, &skipped), table);
    EXPECT_EQ(skipped, 6u);
}

// AutoCAD's own colours (as its colour dialog lists them, 0xRRGGBB), one channel off at most
// where the hue table's steps round.
TEST(PlanCodeColours, ColourIndicesGiveAutoCadsColours) {
    const struct {
        int index;
        int rgb;
    } cases[] = {{1, 0xFF0000},   {2, 0xFFFF00},   {3, 0x00FF00},  {5, 0x0000FF},  {7, 0xFFFFFF},
                 {10, 0xFF0000},  {11, 0xFF7F7F},  {30, 0xFF7F00}, {70, 0x7FFF00}, {90, 0x00FF00},
                 {150, 0x007FFF}, {250, 0x333333}, {255, 0xFFFFFF}};
    for (const auto& c : cases) {
        const std::int32_t colour = aciColour(c.index);  // 0x00BBGGRR
        for (const int shift : {0, 8, 16}) {
            const int expected = (c.rgb >> (16 - shift)) & 0xFF;
            EXPECT_NEAR((colour >> shift) & 0xFF, expected, 1) << c.index << " channel " << shift;
        }
    }
}

TEST(PlanCodeColours, PointsWithATableCodeTakeItsColourOthersKeepTheirOwn) {
    const CodeTable table{{{"KERB", "", 3, false}}};
    PointCodes codes;
    for (const char* code : {"KERB", "", "ZZ", "KERB"}) codes.append(code);
    EXPECT_EQ(coloursByCode(codes, {11, 12, 13, 14}, table),
              (std::vector<std::int32_t>{0x00FF00, 12, 13, 0x00FF00}));
    EXPECT_EQ(coloursByCode(PointCodes(), {11, 12}, table), (std::vector<std::int32_t>{11, 12}));
}

}  // namespace
}  // namespace korvela
