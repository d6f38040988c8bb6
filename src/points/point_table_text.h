#pragma once

#include <cstddef>
#include <string>

namespace korvela {

class PointStore;

// The point table's columns, as the grid shows them.
enum PointTableColumn : int {
    kPointTableCheckColumn,
    kPointTableNumberColumn,
    kPointTableXColumn,
    kPointTableYColumn,
    kPointTableHeightColumn,
    kPointTableKindColumn,
    kPointTableColumnCount
};

// The header text of a column (UTF-8).
const char* pointTableHeader(int column);

// The text a freshly filled table shows for point `point` in `column` (Windows-1251): the
// number as stored, x, y and h as number text, the kind as a whole number, the check column
// empty. The table model and the table the exports read without a window both use it.
std::string pointTableCellText(const PointStore& store, std::size_t point, int column);

}  // namespace korvela
