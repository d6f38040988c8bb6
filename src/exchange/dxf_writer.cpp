#include "exchange/dxf_writer.h"

#include <charconv>
#include <cmath>
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
#include "exchange/dxf_code_layers.h"
#include "points/point_store.h"
#include "points/point_table_text.h"

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

// A number in the program's number format, kept on the stack.
class NumberText {
public:
    explicit NumberText(double value, bool* readsBack = nullptr)
        : length_(formatNumberInto(value, text_, readsBack)) {}
    std::string_view view() const { return {text_, length_}; }

private:
    char text_[kNumberTextCapacity];
    std::size_t length_;
};

// A number cell as the drawing uses it: the value its text stands for, and that value in
// the number format.
struct CellNumber {
    double value;
    NumberText text;
};

// Reads the grid's cells as the export needs them. A cell showing a stored value is taken
// without a parse (its text is that value's number text); a typed cell is parsed.
class DxfGridReader {
public:
    DxfGridReader(const TextGrid& grid, const DxfColumns& columns,
                  const std::vector<std::uint8_t>& kind, bool onlyFlagged,
                  const DxfCodeLayers* codeLayers)
        : grid_(grid),
          columns_(columns),
          kind_(kind),
          onlyFlagged_(onlyFlagged),
          codeLayers_(codeLayers) {}

    const DxfColumns& columns() const { return columns_; }
    const DxfCodeLayers* codeLayers() const { return codeLayers_; }

    // The code of the row's point, or DxfCodeLayers::kNoCode.
    std::uint32_t code(int row) const {
        const auto point = static_cast<std::size_t>(row - 1);
        if (codeLayers_ == nullptr || point >= codeLayers_->codeOfPoint.size())
            return DxfCodeLayers::kNoCode;
        return codeLayers_->codeOfPoint[point];
    }
    // The code's layer name.
    const std::string& codeLayer(std::uint32_t code) const {
        return codeLayers_->layers[codeLayers_->codes[code].layer].name;
    }
    int rows() const { return grid_.rows(); }

    bool isExported(int row) const {
        if (!onlyFlagged_) return true;
        const auto point = static_cast<std::size_t>(row - 1);
        return point < kind_.size() && kind_[point] == kKindPoint;
    }

    double value(int row, int column) const {
        if (const auto shown = shownFinite(row, column)) return numberTextValue(*shown);
        return parseTyped(grid_.text(row, column));
    }

    CellNumber number(int row, int column) const {
        if (const auto shown = shownFinite(row, column)) {
            bool readsBack = false;
            const NumberText text(*shown, &readsBack);
            if (readsBack) return {*shown == 0 ? 0.0 : *shown, text};
            return numberOf(parseTyped(text.view()));
        }
        return numberOf(parseTyped(grid_.text(row, column)));
    }

    std::string name(int row) const {
        std::string text = grid_.text(row, columns_.name);
        blankLineBreaks(text.data(), text.size());
        return text;
    }

private:
    static CellNumber numberOf(double value) { return {value, NumberText(value)}; }

    // A word (NAN, INF) is left to the parser, which refuses it as it refuses it typed.
    std::optional<double> shownFinite(int row, int column) const {
        const std::optional<double> shown = grid_.shownNumber(row, column);
        if (shown && std::isfinite(*shown)) return shown;
        return std::nullopt;
    }

    double parseTyped(std::string_view text) const {
        if (columns_.decimalComma) {
            if (const auto value = parseTypedCoordinate(text)) return *value;
        } else if (double value = 0; parseWholeNumber(text, value)) {
            return value;
        }
        throw ConversionError::notFloatingPoint(cp1251ToUtf8(std::string(text)));
    }

    const TextGrid& grid_;
    const DxfColumns columns_;
    const std::vector<std::uint8_t>& kind_;
    const bool onlyFlagged_;
    const DxfCodeLayers* codeLayers_;
};

struct Extents {
    double minEasting = 0;
    double maxEasting = 0;
    double minNorthing = 0;
    double maxNorthing = 0;
};

// The extents over every data row, exported or not; then the height of every exported row
// is checked, so a bad cell stops the export before anything is written.
Extents readExtentsCheckingCells(const DxfGridReader& cells, ProgressCounter& progress) {
    Extents extents;
    const DxfColumns& columns = cells.columns();
    for (int row = 1; row < cells.rows(); ++row, progress.add()) {
        const double easting = cells.value(row, columns.easting);
        const double northing = cells.value(row, columns.northing);
        if (row == 1) {
            extents.minEasting = extents.maxEasting = easting;
            extents.minNorthing = extents.maxNorthing = northing;
            continue;
        }
        if (easting < extents.minEasting) extents.minEasting = easting;
        if (easting > extents.maxEasting) extents.maxEasting = easting;
        if (northing < extents.minNorthing) extents.minNorthing = northing;
        if (northing > extents.maxNorthing) extents.maxNorthing = northing;
    }
    for (int row = 1; row < cells.rows(); ++row) {
        if (cells.isExported(row)) cells.value(row, columns.height);
    }
    return extents;
}

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

private:
    static char* put(char* at, std::string_view text) {
        std::memcpy(at, text.data(), text.size());
        return at + text.size();
    }

    OutputBuffer out_;
};

void writeHeader(DxfPairs& dxf, const Extents& extents) {
    const NumberText minEasting(extents.minEasting), minNorthing(extents.minNorthing);
    const NumberText maxEasting(extents.maxEasting), maxNorthing(extents.maxNorthing);
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

void writeLayer(DxfPairs& dxf, std::string_view name, int colour) {
    dxf.pair("0", "LAYER");
    dxf.pair("2", name);
    dxf.pair("6", "CONTINUOUS");
    dxf.pair("70", "0");
    dxf.pair("62", std::to_string(colour));
}

void writeTables(DxfPairs& dxf, const DxfCodeLayers* codeLayers) {
    constexpr int kOwnLayerColour = 255;
    const std::size_t ownLayers = 3;
    const std::size_t extraLayers = codeLayers != nullptr ? codeLayers->layers.size() : 0;
    dxf.pair("0", "SECTION");
    dxf.pair("2", "TABLES");
    writeLineTypes(dxf);
    dxf.pair("0", "TABLE");
    dxf.pair("2", "LAYER");
    dxf.pair("70", std::to_string(ownLayers + extraLayers));
    for (const std::string* layer :
         {&layerNames().point, &layerNames().name, &layerNames().height}) {
        writeLayer(dxf, *layer, kOwnLayerColour);
    }
    if (codeLayers != nullptr) {
        for (const DxfCodeLayers::Layer& layer : codeLayers->layers)
            writeLayer(dxf, layer.name, layer.colour);
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

// The layers a row's entities go on: the drawing's own, or all on its code's layer.
struct RowLayers {
    const std::string* block;
    std::string_view point;
    const std::string* name;
    const std::string* height;
};

RowLayers rowLayers(const DxfGridReader& cells, int row) {
    const std::uint32_t code = cells.code(row);
    if (code == DxfCodeLayers::kNoCode) {
        return {&layerNames().point, kEntityLayer, &layerNames().name, &layerNames().height};
    }
    const std::string& layer = cells.codeLayer(code);
    return {&layer, layer, &layer, &layer};
}

// The block's base point equals its insertion point, so what it holds keeps its
// absolute coordinates; only the point entity carries the height.
void writeBlock(DxfPairs& dxf, const DxfGridReader& cells, int row) {
    const DxfColumns& columns = cells.columns();
    const RowLayers layers = rowLayers(cells, row);
    const CellNumber easting = cells.number(row, columns.easting);
    const CellNumber northing = cells.number(row, columns.northing);
    const CellNumber height = cells.number(row, columns.height);
    const NumberText textEasting(easting.value + kTextOffset);
    dxf.pair("0", "BLOCK");
    dxf.pair("8", *layers.block);
    dxf.pair("2", BlockName(row).view());
    dxf.pair("70", "2");
    dxf.pair("10", easting.text.view());
    dxf.pair("20", northing.text.view());
    dxf.pair("30", "0");
    dxf.pair("0", "POINT");
    dxf.pair("8", layers.point);
    dxf.pair("10", easting.text.view());
    dxf.pair("20", northing.text.view());
    dxf.pair("30", height.text.view());
    writeText(dxf, *layers.name, textEasting.view(),
              NumberText(northing.value + kTextOffset).view(), height.text.view(), cells.name(row));
    writeText(dxf, *layers.height, textEasting.view(),
              NumberText(northing.value - kTextOffset).view(), height.text.view(),
              height.text.view());
    dxf.pair("0", "ENDBLK");
}

void writeInsert(DxfPairs& dxf, const DxfGridReader& cells, int row) {
    const DxfColumns& columns = cells.columns();
    dxf.pair("0", "INSERT");
    dxf.pair("2", BlockName(row).view());
    dxf.pair("8", *rowLayers(cells, row).block);
    dxf.pair("10", cells.number(row, columns.easting).text.view());
    dxf.pair("20", cells.number(row, columns.northing).text.view());
    dxf.pair("30", "0");
}

void writePolyline(DxfPairs& dxf, const DxfGridReader& cells, const std::vector<int>& rows) {
    const std::string& layer = cells.codeLayer(cells.code(rows.front()));
    const DxfColumns& columns = cells.columns();
    dxf.pair("0", "POLYLINE");
    dxf.pair("8", layer);
    dxf.pair("66", "1");
    dxf.pair("10", "0");
    dxf.pair("20", "0");
    dxf.pair("30", "0");
    dxf.pair("70", "8");  // a 3D polyline: the vertices keep their heights
    for (const int row : rows) {
        dxf.pair("0", "VERTEX");
        dxf.pair("8", layer);
        dxf.pair("10", cells.number(row, columns.easting).text.view());
        dxf.pair("20", cells.number(row, columns.northing).text.view());
        dxf.pair("30", cells.number(row, columns.height).text.view());
        dxf.pair("70", "32");
    }
    dxf.pair("0", "SEQEND");
    dxf.pair("8", layer);
}

// Runs of consecutive exported rows of one joined code, two rows or more, as polylines.
void writeJoinedRuns(DxfPairs& dxf, const DxfGridReader& cells) {
    const DxfCodeLayers* codeLayers = cells.codeLayers();
    if (codeLayers == nullptr) return;
    std::vector<int> run;
    const auto endRun = [&] {
        if (run.size() >= 2) writePolyline(dxf, cells, run);
        run.clear();
    };
    for (int row = 1; row < cells.rows(); ++row) {
        if (!cells.isExported(row)) continue;
        const std::uint32_t code = cells.code(row);
        const bool joined = code != DxfCodeLayers::kNoCode && codeLayers->codes[code].joined;
        if (!run.empty() && (!joined || cells.code(run.front()) != code)) endRun();
        if (joined) run.push_back(row);
    }
    endRun();
}

void writeDrawing(const DxfGridReader& cells, const Extents& extents, std::ostream& out,
                  ProgressCounter& progress) {
    DxfPairs dxf(out);
    writeHeader(dxf, extents);
    writeTables(dxf, cells.codeLayers());
    dxf.pair("0", "SECTION");
    dxf.pair("2", "BLOCKS");
    for (int row = 1; row < cells.rows(); ++row, progress.add()) {
        if (cells.isExported(row)) writeBlock(dxf, cells, row);
    }
    dxf.pair("0", "ENDSEC");
    dxf.pair("0", "SECTION");
    dxf.pair("2", "ENTITIES");
    for (int row = 1; row < cells.rows(); ++row, progress.add()) {
        if (cells.isExported(row)) writeInsert(dxf, cells, row);
    }
    writeJoinedRuns(dxf, cells);
    dxf.pair("0", "ENDSEC");
    dxf.pair("0", "EOF");
}

}  // namespace

std::vector<std::string> dxfOwnLayers() {
    return {layerNames().point, layerNames().name, layerNames().height, std::string(kEntityLayer),
            "0"};
}

void WriteDxf(const TextGrid& grid, const DxfColumns& columns,
              const std::vector<std::uint8_t>& kind, bool onlyFlagged, std::ostream& out,
              const DxfCodeLayers* codeLayers) {
    const DxfGridReader cells(grid, columns, kind, onlyFlagged, codeLayers);
    ProgressCounter uncounted(nullptr);
    writeDrawing(cells, readExtentsCheckingCells(cells, uncounted), out, uncounted);
}

std::optional<FileError> writeDxfFile(const std::string& path, const TextGrid& grid,
                                      const DxfColumns& columns,
                                      const std::vector<std::uint8_t>& kind, bool onlyFlagged,
                                      WorkProgress* progress, PipeWithoutReader pipeWithoutReader,
                                      const DxfCodeLayers* codeLayers) {
    const DxfGridReader cells(grid, columns, kind, onlyFlagged, codeLayers);
    // Three passes over the rows: the extents, the blocks, the inserts.
    ProgressCounter counter(progress,
                            3 * static_cast<std::uint64_t>(std::max(cells.rows() - 1, 0)));
    const Extents extents = readExtentsCheckingCells(cells, counter);
    return writeFileSafely(
        path, [&](std::ostream& out) { writeDrawing(cells, extents, out, counter); },
        pipeWithoutReader);
}

}  // namespace korvela
