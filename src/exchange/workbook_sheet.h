#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace korvela {

// The largest sheet a workbook holds.
inline constexpr std::uint32_t kWorkbookMaxRows = 1048576;
inline constexpr std::uint32_t kWorkbookMaxColumns = 16384;
// The program exchanges columns A-E only: number, X, Y, Z, code.
inline constexpr int kWorkbookColumns = 5;

// One cell's value as the spreadsheet holds it (a formula by its cached value).
struct WorkbookCell {
    enum class Type { Empty, Number, Text, Boolean, Error };

    Type type = Type::Empty;
    double number = 0;  // Number; Boolean as 0 or 1
    std::string text;   // Text and Error (UTF-8)
};

// A cell's value while it is read; the text lies in the reader's buffers.
struct WorkbookCellView {
    WorkbookCell::Type type = WorkbookCell::Type::Empty;
    double number = 0;
    std::string_view text;
};

// The cell's name in the spreadsheet's A1 style: C7 for row 7, column 3.
std::string workbookCellName(std::uint32_t row, int column);

// The cell's value converted to text, as the spreadsheet's Value does: a number in the
// general format (12 rather than 12.0), a boolean True or False, an empty cell empty.
std::string workbookCellText(const WorkbookCellView& cell);

// The cell's value as a double: a number as it is, an empty cell (or an empty text) 0, a
// text that is one number ('.' or ',' as the decimal point) its value. Anything else throws
// the "not a valid floating point value" conversion error, led by the cell's name and place
// in Russian and quoting at most 40 characters of the text.
double workbookCellNumber(const WorkbookCellView& cell, std::uint32_t row, int column);

// Columns A-D of the first sheet of a workbook. Rows and columns count from 1.
class WorkbookSheet {
public:
    // Puts a cell; a later cell at the same place replaces an earlier one.
    void put(std::uint32_t row, int column, const WorkbookCellView& cell);
    // Sorts what was put; required before the cells are looked up.
    void finish();

    WorkbookCell cell(std::uint32_t row, int column) const;
    // The last row that holds a cell in A-D, 0 for an empty sheet.
    std::uint32_t lastRow() const { return cells_.empty() ? 0 : cells_.back().row; }

    // The cell's value as text and as a double, as workbookCellText and workbookCellNumber.
    std::string text(std::uint32_t row, int column) const;
    double number(std::uint32_t row, int column) const;

private:
    // A cell in a few bytes; its text lies in texts_ (a sheet can hold a million rows).
    struct Entry {
        std::uint32_t row;
        std::uint16_t column;
        WorkbookCell::Type type;
        double number;
        std::size_t textStart;
        std::size_t textLength;
    };
    const Entry* find(std::uint32_t row, int column) const;
    WorkbookCellView view(std::uint32_t row, int column) const;

    std::vector<Entry> cells_;
    std::string texts_;
};

}  // namespace korvela
