#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace korvela {

class PointStore;
class WorkbookSheet;

// A point as a row of the workbook holds it; the number in Windows-1251 as the store keeps it.
struct WorkbookPoint {
    std::string number;
    double x = 0;
    double y = 0;
    double z = 0;
};

// The read pass of "Добавить много точек" and "Отредактировать всё в Excel": the rows from
// row 1 down to the first whose column A, as text, is empty; A is the number, B-D are X, Y, Z
// (an empty cell is 0). A B-D cell that is not a number throws the conversion error, so a
// caller gets every row or none.
std::vector<WorkbookPoint> readWorkbookPoints(const WorkbookSheet& sheet);

// The workbook keeps numbers to 16 significant digits. A value read back from row k that is
// the 16-digit rendering of point k's coordinate gets the coordinate's full precision again,
// so an edit that did not touch a cell does not change it.
void restoreFullPrecision(std::vector<WorkbookPoint>& points, const PointStore& written);

// The first point (index) whose number is empty, if any: the read pass would stop there.
std::optional<std::size_t> firstPointWithoutNumber(const PointStore& store);

// Appends the points as new ones: aqua, ordinary points (kind 1), active.
void appendWorkbookPoints(PointStore& store, const std::vector<WorkbookPoint>& points);

}  // namespace korvela
