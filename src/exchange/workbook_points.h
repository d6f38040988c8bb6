#pragma once

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

// Appends the points as new ones: aqua, ordinary points (kind 1), active.
void appendWorkbookPoints(PointStore& store, const std::vector<WorkbookPoint>& points);

}  // namespace korvela
