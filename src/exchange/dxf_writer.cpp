#include "exchange/dxf_writer.h"

#include <charconv>
#include <cstring>
#include <string_view>

#include "common/conversion_error.h"
#include "common/cp1251.h"
#include "common/number_parse.h"
#include "common/number_text.h"
#include "common/output_buffer.h"
#include "common/safe_file_writer.h"
#include "common/single_line_text.h"
#include "common/text_grid.h"
#include "points/point_store.h"

namespace korvela {
namespace {

constexpr std::string_view kLineEnd = "\r\n";
constexpr std::string_view kPointLayer = "Точки_обоснования";  // blocks and insertions
constexpr std::string_view kNameLayer = "Имена";
constexpr std::string_view kHeightLayer = "Высоты";
constexpr std::string_view kEntityLayer = "sloika";  // not in the layer table
constexpr std::string_view kBlockPrefix = "BLK";
constexpr double kTextOffset = 0.5;  // the texts stand this far east and north or south

struct LineType {
    std::string_view name;
    std::string_view description;
    std::string_view total;
    std::initializer_list<std::string_view> elements;
};

// Written as these literal texts, not through the number format.
const LineType kLineTypes[] = {
    {"CONTINUOUS", "Solid Line", "0.0", {}},
    {"LTYPE01", "dot,short_space", "1.0", {"0.0", "-1.0"}},
    {"LTYPE02", "short_dash,short_space", "0.75", {"0.25", "-0.5"}},
    {"LTYPE03", "medium_dash,short_space", "1.0", {"0.5", "-0.5"}},
    {"LTYPE04", "large_dash,short_space", "1.25", {"0.75", "-0.5"}},
    {"LTYPE05", "huge_dash,short_space", "1.5", {"1.0", "-0.5"}},
    {"LTYPE06", "huge_dash,medium_space", "2.0", {"1.0", "-1.0"}},
    {"LTYPE07", "medium_dash,medium_space", "1.5", {"0.5", "-1.0"}},
    {"LTYPE08", "dot,medium_space", "1.5", {"0.0", "-1.5"}},
    {"LTYPE09", "medium_dash,huge_space", "2.0", {"0.5", "-1.5"}},
    {"LTYPE10", "large_dash,huge_space", "2.25", {"0.75", "-1.5"}},
    {"LTYPE11", "huge_dash,huge_space", "2.5", {"1.0", "-1.5"}},
    {"LTYPE12", "medium_dash,short_space,dot", "1.5", {"0.5", "-0.5", "0.0", "-0.5"}},
    {"LTYPE13",
     "medium_dash,short_space,double_dot",
     "2.0",
     {"0.5", "-0.5", "0.0", "-0.5", "0.0", "-0.5"}},
    {"LTYPE14",
     "medium_dash,short_space,triple_dot",
     "2.5",
     {"0.5", "-0.5", "0.0", "-0.5", "0.0", "-0.5", "0.0", "-0.5"}},
    {"LTYPE15", "medium_dash,medium_space,dot", "2.5", {"0.5", "-1.0", "0.0", "-1.0"}},
};

// The layer names as the file holds them.
struct LayerNames {
    std::string point = utf8ToCp1251(kPointLayer);
    std::string name = utf8ToCp1251(kNameLayer);
    std::string height = utf8ToCp1251(kHeightLayer);
};

const LayerNames& layerNames() {
    static const LayerNames names;
    return names;
}

double cellNumber(const TextGrid& grid, int row, int column) {
    const std::string text = grid.text(row, column);
    double value = 0;
    if (!parseWholeNumber(text, value)) throw ConversionError::notFloatingPoint(cp1251ToUtf8(text));
    return value;
}

bool isExported(int row, const std::vector<std::uint8_t>& kind, bool onlyFlagged) {
    if (!onlyFlagged) return true;
    const auto point = static_cast<std::size_t>(row - 1);
    return point < kind.size() && kind[point] == kKindPoint;
}

// A number in the program's number format, kept on the stack.
class NumberText {
public:
    explicit NumberText(double value) : length_(formatNumberInto(value, text_)) {}
    std::string_view view() const { return {text_, length_}; }

private:
    char text_[kNumberTextCapacity];
    std::size_t length_;
};

class BlockName {
public:
    explicit BlockName(int row) {
        std::memcpy(text_, kBlockPrefix.data(), kBlockPrefix.size());
        length_ = static_cast<std::size_t>(
            std::to_chars(text_ + kBlockPrefix.size(), text_ + sizeof text_, row).ptr - text_);
    }
    std::string_view view() const { return {text_, length_}; }

private:
    char text_[16];
    std::size_t length_;
};

// Group code and value, each on a line of its own.
class DxfPairs {
public:
    explicit DxfPairs(std::ostream& out) : out_(out) {}

    void pair(std::string_view code, std::string_view value) {
        const std::size_t length = code.size() + value.size() + 2 * kLineEnd.size();
        char* at = out_.reserve(length);
        at = put(at, code);
        at = put(at, kLineEnd);
        at = put(at, value);
        put(at, kLineEnd);
        out_.commit(length);
    }
    void number(std::string_view code, double value) { pair(code, NumberText(value).view()); }

private:
    static char* put(char* at, std::string_view text) {
        std::memcpy(at, text.data(), text.size());
        return at + text.size();
    }

    OutputBuffer out_;
};

void writeHeader(DxfPairs& dxf, const DxfDrawing& drawing) {
    const NumberText minEasting(drawing.minEasting), minNorthing(drawing.minNorthing);
    const NumberText maxEasting(drawing.maxEasting), maxNorthing(drawing.maxNorthing);
    dxf.pair("0", "SECTION");
    dxf.pair("2", "HEADER");
    dxf.pair("9", "$ACADVER");
    dxf.pair("1", "AC1009");
    // Without the code page, readers take the Cyrillic names for ANSI_1252.
    dxf.pair("9", "$DWGCODEPAGE");
    dxf.pair("3", "ANSI_1251");
    dxf.pair("9", "$EXTMIN");
    dxf.pair("10", minEasting.view());
    dxf.pair("20", minNorthing.view());
    dxf.pair("30", "0");
    dxf.pair("9", "$EXTMAX");
    dxf.pair("10", maxEasting.view());
    dxf.pair("20", maxNorthing.view());
    dxf.pair("30", "0");
    dxf.pair("9", "$LIMMIN");
    dxf.pair("10", minEasting.view());
    dxf.pair("20", minNorthing.view());
    dxf.pair("9", "$LIMMAX");
    dxf.pair("10", maxEasting.view());
    dxf.pair("20", maxNorthing.view());
    dxf.pair("0", "ENDSEC");
}

void writeLineTypes(DxfPairs& dxf) {
    dxf.pair("0", "TABLE");
    dxf.pair("2", "LTYPE");
    dxf.pair("70", "3");  // says 3 although sixteen follow, as the drawings always had it
    for (const LineType& type : kLineTypes) {
        dxf.pair("0", "LTYPE");
        dxf.pair("2", type.name);
        dxf.pair("70", "0");
        dxf.pair("3", type.description);
        dxf.pair("72", "65");
        dxf.pair("73", std::to_string(type.elements.size()));
        dxf.pair("40", type.total);
        for (std::string_view element : type.elements) dxf.pair("49", element);
    }
    dxf.pair("0", "ENDTAB");
}

void writeTables(DxfPairs& dxf) {
    dxf.pair("0", "SECTION");
    dxf.pair("2", "TABLES");
    writeLineTypes(dxf);
    dxf.pair("0", "TABLE");
    dxf.pair("2", "LAYER");
    dxf.pair("70", "3");
    for (const std::string* layer :
         {&layerNames().point, &layerNames().name, &layerNames().height}) {
        dxf.pair("0", "LAYER");
        dxf.pair("2", *layer);
        dxf.pair("6", "CONTINUOUS");
        dxf.pair("70", "0");
        dxf.pair("62", "255");
    }
    dxf.pair("0", "ENDTAB");
    dxf.pair("0", "TABLE");
    dxf.pair("2", "STYLE");
    dxf.pair("70", "0");
    dxf.pair("0", "ENDTAB");
    dxf.pair("0", "ENDSEC");
}

void writeText(DxfPairs& dxf, const std::string& layer, std::string_view easting,
               std::string_view northing, std::string_view height, std::string_view value) {
    dxf.pair("0", "TEXT");
    dxf.pair("8", layer);
    dxf.pair("10", easting);
    dxf.pair("20", northing);
    dxf.pair("30", height);
    dxf.pair("40", "0.5");
    dxf.pair("1", value);
    dxf.pair("72", "0");
    dxf.pair("73", "0");
    // A fixed alignment point; with both justifications 0 it does not move the text.
    dxf.pair("11", "7.500");
    dxf.pair("21", "1.500");
    dxf.pair("31", "0.000");
}

// The block's base point equals its insertion point, so what it holds keeps its
// absolute coordinates; only the point entity carries the height.
void writeBlock(DxfPairs& dxf, const DxfPoint& point) {
    const NumberText easting(point.easting), northing(point.northing), height(point.height);
    const NumberText textEasting(point.easting + kTextOffset);
    dxf.pair("0", "BLOCK");
    dxf.pair("8", layerNames().point);
    dxf.pair("2", BlockName(point.row).view());
    dxf.pair("70", "2");
    dxf.pair("10", easting.view());
    dxf.pair("20", northing.view());
    dxf.pair("30", "0");
    dxf.pair("0", "POINT");
    dxf.pair("8", kEntityLayer);
    dxf.pair("10", easting.view());
    dxf.pair("20", northing.view());
    dxf.pair("30", height.view());
    writeText(dxf, layerNames().name, textEasting.view(),
              NumberText(point.northing + kTextOffset).view(), height.view(), point.name);
    writeText(dxf, layerNames().height, textEasting.view(),
              NumberText(point.northing - kTextOffset).view(), height.view(), height.view());
    dxf.pair("0", "ENDBLK");
}

void writeInsert(DxfPairs& dxf, const DxfPoint& point) {
    dxf.pair("0", "INSERT");
    dxf.pair("2", BlockName(point.row).view());
    dxf.pair("8", layerNames().point);
    dxf.number("10", point.easting);
    dxf.number("20", point.northing);
    dxf.pair("30", "0");
}

}  // namespace

DxfDrawing readDxfDrawing(const TextGrid& grid, const DxfColumns& columns,
                          const std::vector<std::uint8_t>& kind, bool onlyFlagged) {
    DxfDrawing drawing;
    const int rows = grid.rows();
    // The extents first, over every data row, whether exported or not.
    for (int row = 1; row < rows; ++row) {
        const double easting = cellNumber(grid, row, columns.easting);
        const double northing = cellNumber(grid, row, columns.northing);
        if (row == 1) {
            drawing.minEasting = drawing.maxEasting = easting;
            drawing.minNorthing = drawing.maxNorthing = northing;
        } else {
            if (easting < drawing.minEasting) drawing.minEasting = easting;
            if (easting > drawing.maxEasting) drawing.maxEasting = easting;
            if (northing < drawing.minNorthing) drawing.minNorthing = northing;
            if (northing > drawing.maxNorthing) drawing.maxNorthing = northing;
        }
        if (isExported(row, kind, onlyFlagged)) {
            drawing.points.push_back({row, {}, easting, northing, 0});
        }
    }
    for (DxfPoint& point : drawing.points) {
        point.name = grid.text(point.row, columns.name);
        blankLineBreaks(point.name.data(), point.name.size());
        point.height = cellNumber(grid, point.row, columns.height);
    }
    return drawing;
}

void writeDxfDrawing(const DxfDrawing& drawing, std::ostream& out) {
    DxfPairs dxf(out);
    writeHeader(dxf, drawing);
    writeTables(dxf);
    dxf.pair("0", "SECTION");
    dxf.pair("2", "BLOCKS");
    for (const DxfPoint& point : drawing.points) writeBlock(dxf, point);
    dxf.pair("0", "ENDSEC");
    dxf.pair("0", "SECTION");
    dxf.pair("2", "ENTITIES");
    for (const DxfPoint& point : drawing.points) writeInsert(dxf, point);
    dxf.pair("0", "ENDSEC");
    dxf.pair("0", "EOF");
}

void WriteDxf(const TextGrid& grid, const DxfColumns& columns,
              const std::vector<std::uint8_t>& kind, bool onlyFlagged, std::ostream& out) {
    writeDxfDrawing(readDxfDrawing(grid, columns, kind, onlyFlagged), out);
}

std::optional<FileError> writeDxfFile(const std::string& path, const TextGrid& grid,
                                      const DxfColumns& columns,
                                      const std::vector<std::uint8_t>& kind, bool onlyFlagged) {
    const DxfDrawing drawing = readDxfDrawing(grid, columns, kind, onlyFlagged);
    return writeFileSafely(path, [&](std::ostream& out) { writeDxfDrawing(drawing, out); });
}

}  // namespace korvela
