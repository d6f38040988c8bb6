#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "common/conversion_error.h"
#include "exchange/workbook_sheet.h"

namespace korvela {

class PointStore;

// The read pass of "Добавить много точек" and "Отредактировать всё в Excel" over the cells
// of columns A-E as a reader meets them: the rows from row 1 down to the first whose
// column A, as text, is empty become points: A the number (in Windows-1251), B-D X, Y, Z (an
// empty cell is 0), E the code (Windows-1251, empty for none), aqua, ordinary, active. Of two cells at one place the later counts.
class WorkbookPointRows {
public:
    explicit WorkbookPointRows(PointStore& points) : points_(points) {}

    // False when the cell lies in a row above the one before: the cells are out of order,
    // and the rows must be read from a whole sheet instead.
    bool put(std::uint32_t row, int column, const WorkbookCellView& cell);
    // Ends the last row. A B-D cell that is not a number in a row taken throws its conversion
    // error (the first one), so a caller gets every row or none.
    void finish();

private:
    void takePendingRow();

    PointStore& points_;
    std::uint32_t pendingRow_ = 0;
    std::array<WorkbookCell, kWorkbookColumns> pending_;
    bool stopped_ = false;
    std::optional<ConversionError> firstError_;
};

// The same rows from a whole sheet.
void readWorkbookPoints(const WorkbookSheet& sheet, PointStore& points);

// The workbook keeps numbers to 15 significant digits. A value read back from row k that is
// the 15-digit rendering of point k's coordinate gets the coordinate's full precision again,
// so an edit that did not touch a cell does not change it.
void restoreFullPrecision(PointStore& read, const PointStore& written);

// The first point (index) whose number is empty, if any: the read pass would stop there.
std::optional<std::size_t> firstPointWithoutNumber(const PointStore& store);

// The first point (index) whose number holds a NUL byte, which a workbook cannot keep.
std::optional<std::size_t> firstPointWithNulInNumber(const PointStore& store);

// Appends the points read as new ones after those of the store.
void appendWorkbookPoints(PointStore& store, const PointStore& read);

}  // namespace korvela
