#pragma once

#include <string>
#include <vector>

namespace korvela {

// The coordinate-method area sheet: a grid of 7 text columns with n point rows (the
// boundary points in order) followed by 3 summary rows, and the result text. Every cell is
// text, as the user typed it or the computation wrote it (Windows-1251 bytes).
class AreaSheet {
public:
    enum Column {
        NumberColumn,
        XColumn,
        YColumn,
        XDifferenceColumn,  // x(i-1) - x(i+1)
        YDifferenceColumn,  // y(i+1) - y(i-1)
        YProductColumn,     // y(i) times the x difference
        XProductColumn,     // x(i) times the y difference
        ColumnCount
    };
    static constexpr int kSummaryRows = 3;

    // A sheet for 0 points: the three summary rows, all empty.
    AreaSheet();

    int rowCount() const { return rows_; }
    int pointCount() const { return rows_ - kSummaryRows; }

    const std::string& cell(int row, int column) const { return cells_[index(row, column)]; }
    void setCell(int row, int column, std::string text) {
        cells_[index(row, column)] = std::move(text);
    }

    // The result field: "P = … м^2 = … га" after a computation.
    const std::string& result() const { return result_; }
    void setResult(std::string text) { result_ = std::move(text); }

    // Empties every cell and the result, then gives the sheet count + 3 rows with the
    // point numbers 1 … count in column 0. count must not be negative.
    void buildTable(int count);

    // Empties every cell and the result; the rows stay.
    void emptyCells();

    // Empties the sheet and builds it again for the same number of points ("Очистить").
    void clear() { buildTable(pointCount()); }

private:
    std::size_t index(int row, int column) const {
        return static_cast<std::size_t>(row) * ColumnCount + static_cast<std::size_t>(column);
    }

    int rows_ = kSummaryRows;
    std::vector<std::string> cells_;
    std::string result_;
};

// "Образец": the sheet built for 8 points with the sample coordinates, written with a
// decimal comma, in columns 1 and 2. Nothing is computed.
void fillSampleSheet(AreaSheet& sheet);

}  // namespace korvela
