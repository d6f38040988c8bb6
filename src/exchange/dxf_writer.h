#pragma once

#include <cstdint>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "common/file_error.h"
#include "common/safe_file_writer.h"
#include "common/work_progress.h"

namespace korvela {

class TextGrid;
struct DxfCodeLayers;

// The grid columns the DXF export reads. The survey puts x to the north and y to the east,
// so the table's "y" is the drawing's X (easting) and its "x" the drawing's Y (northing).
struct DxfColumns {
    int name;
    int easting;
    int northing;
    int height;
    // The grid's own rule for typed numbers: the point table takes the first ',' as the
    // decimal point (5138,5 is 5138.5), the rotation grid only '.'.
    bool decimalComma;
};

// "Export AutoCad": the point table ("номер", "x", "y", "h" in columns 1-4).
inline constexpr DxfColumns kPointTableDxfColumns{1, 3, 2, 4, true};
// ">> В AutoCAD >>": the rotation result grid (number, X, Y, H in columns 0-3).
inline constexpr DxfColumns kRotationGridDxfColumns{0, 2, 1, 3, false};

// Writes the grid as a DXF release 12 drawing (Windows-1251, CR LF after every line): the
// extents over every data row (1 to rows() − 1), then a block and an insertion for each
// exported row: all of them, or with onlyFlagged those whose point (index row − 1) has
// kind 1. Every cell that will be read is checked first: a cell that is not a number
// throws ConversionError quoting its text before anything is written. The drawing is
// streamed from the grid's cells: nothing is copied.
// With code layers (points in store order, row − 1), a point with a code has its block, its
// POINT, its texts and its insertion on its code's layer, and every run of two or more
// consecutive exported points of one joined code becomes a 3D POLYLINE on that layer.
void WriteDxf(const TextGrid& grid, const DxfColumns& columns,
              const std::vector<std::uint8_t>& kind, bool onlyFlagged, std::ostream& out,
              const DxfCodeLayers* codeLayers = nullptr);

// The drawing's own layer names (Windows-1251), which code layers never take.
std::vector<std::string> dxfOwnLayers();

// WriteDxf into the file at path through the safe file writer, counting rows into progress.
// A conversion error (thrown) leaves no file and an existing file as it was.
std::optional<FileError> writeDxfFile(
    const std::string& path, const TextGrid& grid, const DxfColumns& columns,
    const std::vector<std::uint8_t>& kind, bool onlyFlagged, WorkProgress* progress = nullptr,
    PipeWithoutReader pipeWithoutReader = PipeWithoutReader::Refuse,
    const DxfCodeLayers* codeLayers = nullptr);

}  // namespace korvela
