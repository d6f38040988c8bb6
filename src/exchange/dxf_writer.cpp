#include "exchange/dxf_writer.h"

#include <charconv>
#include <cmath>
#include <cstring>
#include <string_view>
#include <utility>

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

// A number written into the drawing: the value its text stands for, and the text's length.
struct WrittenNumber {
    double value;
    std::size_t length;
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

    // Writes the cell's number text at out (kNumberTextCapacity bytes).
    WrittenNumber writeNumber(int row, int column, char* out) const {
        double value = 0;
        if (const auto shown = shownFinite(row, column)) {
            bool readsBack = false;
            const std::size_t length = formatNumberInto(*shown, out, &readsBack);
            if (readsBack) return {*shown == 0 ? 0.0 : *shown, length};
            value = parseTyped(std::string_view(out, length));
        } else {
            value = parseTyped(grid_.text(row, column));
        }
        return {value, formatNumberInto(value, out)};
    }

    std::string name(int row) const {
        std::string text = grid_.text(row, columns_.name);
        blankLineBreaks(text.data(), text.size());
        return text;
    }

private:
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

constexpr std::size_t kLongestGroupCode = 2;
// The room a pair takes at most, unless its value is a text longer than a number's.
constexpr std::size_t kPairRoom = kLongestGroupCode + 2 * kLineEnd.size() + kNumberTextCapacity;

// Pairs of group code and value, each on a line of its own, written straight into the output
// buffer: the room of a whole record (an entity, a block) is taken at once and filled from
// left to right, numbers formatted where they stand. A text value longer than a number's
// needs its length added to the room.
class DxfRecord {
public:
    DxfRecord(OutputBuffer& out, std::size_t pairs, std::size_t longTexts = 0)
        : out_(out), start_(out.reserve(pairs * kPairRoom + longTexts)), at_(start_) {}
    ~DxfRecord() { out_.commit(static_cast<std::size_t>(at_ - start_)); }
    DxfRecord(const DxfRecord&) = delete;
    DxfRecord& operator=(const DxfRecord&) = delete;

    // Each pair gives its value's text as written, to be repeated.
    std::string_view pair(std::string_view code, std::string_view value) {
        line(code);
        return line(value);
    }
    std::string_view pair(std::string_view code, double value) {
        line(code);
        return textLine(formatNumberInto(value, at_));
    }
    // A cell's number pair; gives the value its text stands for, and the text.
    std::pair<double, std::string_view> pair(std::string_view code, const DxfGridReader& cells,
                                             int row, int column) {
        line(code);
        const WrittenNumber number = cells.writeNumber(row, column, at_);
        return {number.value, textLine(number.length)};
    }

private:
    std::string_view line(std::string_view text) {
        std::memcpy(at_, text.data(), text.size());
        return textLine(text.size());
    }
    // The line of the `length` bytes at at_.
    std::string_view textLine(std::size_t length) {
        const std::string_view text(at_, length);
        std::memcpy(at_ + length, kLineEnd.data(), kLineEnd.size());
        at_ += length + kLineEnd.size();
        return text;
    }

    OutputBuffer& out_;
    char* const start_;
    char* at_;
};

// The drawing's output, and its pairs one at a time (the header and the tables).
class DxfPairs {
public:
    explicit DxfPairs(std::ostream& out) : out_(out) {}

    OutputBuffer& buffer() { return out_; }
    void pair(std::string_view code, std::string_view value) {
        DxfRecord(out_, 1, value.size()).pair(code, value);
    }
    void pair(std::string_view code, double value) { DxfRecord(out_, 1).pair(code, value); }

private:
    OutputBuffer out_;
};

void writeHeader(DxfPairs& dxf, const Extents& extents) {
    dxf.pair("0", "SECTION");
    dxf.pair("2", "HEADER");
    dxf.pair("9", "$ACADVER");
    dxf.pair("1", "AC1009");
    // Without the code page, readers take the Cyrillic names for ANSI_1252.
    dxf.pair("9", "$DWGCODEPAGE");
    dxf.pair("3", "ANSI_1251");
    dxf.pair("9", "$EXTMIN");
    dxf.pair("10", extents.minEasting);
    dxf.pair("20", extents.minNorthing);
    dxf.pair("30", "0");
    dxf.pair("9", "$EXTMAX");
    dxf.pair("10", extents.maxEasting);
    dxf.pair("20", extents.maxNorthing);
    dxf.pair("30", "0");
    dxf.pair("9", "$LIMMIN");
    dxf.pair("10", extents.minEasting);
    dxf.pair("20", extents.minNorthing);
    dxf.pair("9", "$LIMMAX");
    dxf.pair("10", extents.maxEasting);
    dxf.pair("20", extents.maxNorthing);
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

constexpr std::size_t kTextPairs = 12;

// The text's easting is the same for both texts of a block: given as its value for the
// first, which writes it, and as that text for the second.
template <typename Easting>
std::string_view writeText(DxfRecord& dxf, std::string_view layer, Easting easting,
                           double northing, std::string_view height, std::string_view value) {
    dxf.pair("0", "TEXT");
    dxf.pair("8", layer);
    const std::string_view eastingText = dxf.pair("10", easting);
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
    return eastingText;
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
    constexpr std::size_t kBlockPairs = 7 + 6 + 2 * kTextPairs + 1;
    const DxfColumns& columns = cells.columns();
    const RowLayers layers = rowLayers(cells, row);
    const std::string name = cells.name(row);
    DxfRecord block(dxf.buffer(), kBlockPairs,
                    name.size() + layers.block->size() + layers.point.size() +
                        layers.name->size() + layers.height->size());
    block.pair("0", "BLOCK");
    block.pair("8", *layers.block);
    block.pair("2", BlockName(row).view());
    block.pair("70", "2");
    const auto [easting, eastingText] = block.pair("10", cells, row, columns.easting);
    const auto [northing, northingText] = block.pair("20", cells, row, columns.northing);
    block.pair("30", "0");
    block.pair("0", "POINT");
    block.pair("8", layers.point);
    block.pair("10", eastingText);
    block.pair("20", northingText);
    const std::string_view height = block.pair("30", cells, row, columns.height).second;
    const std::string_view textEasting = writeText(block, *layers.name, easting + kTextOffset,
                                                   northing + kTextOffset, height, name);
    writeText(block, *layers.height, textEasting, northing - kTextOffset, height, height);
    block.pair("0", "ENDBLK");
}

void writeInsert(DxfPairs& dxf, const DxfGridReader& cells, int row) {
    const DxfColumns& columns = cells.columns();
    const std::string& layer = *rowLayers(cells, row).block;
    DxfRecord insert(dxf.buffer(), 6, layer.size());
    insert.pair("0", "INSERT");
    insert.pair("2", BlockName(row).view());
    insert.pair("8", layer);
    insert.pair("10", cells, row, columns.easting);
    insert.pair("20", cells, row, columns.northing);
    insert.pair("30", "0");
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
        DxfRecord vertex(dxf.buffer(), 6, layer.size());
        vertex.pair("0", "VERTEX");
        vertex.pair("8", layer);
        vertex.pair("10", cells, row, columns.easting);
        vertex.pair("20", cells, row, columns.northing);
        vertex.pair("30", cells, row, columns.height);
        vertex.pair("70", "32");
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
