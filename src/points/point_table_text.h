#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace korvela {

class PointStore;

// The columns of the point table.
enum PointColumn {
    kCheckColumn,
    kNumberColumn,
    kXColumn,
    kYColumn,
    kHeightColumn,
    kKindColumn,
    kCodeColumn,  // shown only while some point has a code
    kMostPointColumns
};
// The columns of a table none of whose points has a code.
inline constexpr int kPointColumns = kCodeColumn;

// The header text of a column (UTF-8).
const char* pointTableHeader(int column);

// What the point table shows for a point when nobody typed into the cell: the number as
// stored (Windows-1251), x, y, h as number text, the kind as 0 or 1, the code as stored
// (Windows-1251). Column 0 is empty.
// The table model and the table the exports read without a window both use it.
std::string pointCellText(const PointStore& store, std::size_t index, int column);
// The same in UTF-8, as the table shows it and the user types it.
std::string pointCellTextUtf8(const PointStore& store, std::size_t index, int column);

// The value behind pointCellText's number text for the x, y and h columns; nothing for
// the others.
std::optional<double> pointCellNumber(const PointStore& store, std::size_t index, int column);

// A coordinate as the user types it: the first ',' counts as the decimal point.
// Nothing when the text is not one number.
std::optional<double> parseTypedCoordinate(std::string_view text);

// The same, throwing the "not a valid floating point value" conversion error.
double toTypedCoordinateStrict(std::string_view text);

// Applies text typed into a cell of point `index` (UTF-8): the number and code columns take the
// text in Windows-1251, the coordinate columns its value when it converts. Other columns, and coordinates that do not
// convert, leave the point as it was. Returns whether the point changed.
bool applyTypedCell(PointStore& store, std::size_t index, int column, std::string_view text);

}  // namespace korvela
