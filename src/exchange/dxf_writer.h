#pragma once

#include <cstdint>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "common/file_error.h"

namespace korvela {

class TextGrid;

// The grid columns the DXF export reads. The survey puts x to the north and y to the east,
// so the table's "y" is the drawing's X (easting) and its "x" the drawing's Y (northing).
struct DxfColumns {
    int name;
    int easting;
    int northing;
    int height;
};

// "Export AutoCad": the point table ("номер", "x", "y", "h" in columns 1-4).
inline constexpr DxfColumns kPointTableDxfColumns{1, 3, 2, 4};
// ">> В AutoCAD >>": the rotation result grid (number, X, Y, H in columns 0-3).
inline constexpr DxfColumns kRotationGridDxfColumns{0, 2, 1, 3};

// One exported row: block "BLK" + row.
struct DxfPoint {
    int row = 0;
    std::string name;  // the cell's text, line breaks made blanks
    double easting = 0;
    double northing = 0;
    double height = 0;
};

// What the export reads from a grid: the extents over every data row and the rows exported.
struct DxfDrawing {
    double minEasting = 0;
    double maxEasting = 0;
    double minNorthing = 0;
    double maxNorthing = 0;
    std::vector<DxfPoint> points;
};

// Reads every cell the export uses, before anything is written: easting and northing of
// every data row (1 to rows() − 1) for the extents, then name and height of the exported
// rows: all of them, or with onlyFlagged those whose point (index row − 1) has kind 1.
// A cell that is not a number throws ConversionError quoting its text.
DxfDrawing readDxfDrawing(const TextGrid& grid, const DxfColumns& columns,
                          const std::vector<std::uint8_t>& kind, bool onlyFlagged);

// The drawing as a DXF release 12 file: Windows-1251, CR LF after every line.
void writeDxfDrawing(const DxfDrawing& drawing, std::ostream& out);

// Reads the grid and writes its drawing to out.
void WriteDxf(const TextGrid& grid, const DxfColumns& columns,
              const std::vector<std::uint8_t>& kind, bool onlyFlagged, std::ostream& out);

// WriteDxf into the file at path through the safe file writer. The grid is read first, so
// a conversion error (thrown) leaves no file and an existing file as it was.
std::optional<FileError> writeDxfFile(const std::string& path, const TextGrid& grid,
                                      const DxfColumns& columns,
                                      const std::vector<std::uint8_t>& kind, bool onlyFlagged);

}  // namespace korvela
