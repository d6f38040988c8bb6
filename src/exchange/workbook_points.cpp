#include "exchange/workbook_points.h"

#include "common/cp1251.h"
#include "exchange/workbook_sheet.h"
#include "points/point_store.h"

namespace korvela {

std::vector<WorkbookPoint> readWorkbookPoints(const WorkbookSheet& sheet) {
    std::vector<WorkbookPoint> points;
    for (std::uint32_t row = 1; row <= kWorkbookMaxRows; ++row) {
        const std::string number = sheet.text(row, 1);
        if (number.empty()) break;
        points.push_back({utf8ToCp1251(number), sheet.number(row, 2), sheet.number(row, 3),
                          sheet.number(row, 4)});
    }
    return points;
}

void appendWorkbookPoints(PointStore& store, const std::vector<WorkbookPoint>& points) {
    store.reserve(store.count() + points.size());
    for (const WorkbookPoint& point : points) {
        store.append(point.number, point.x, point.y, point.z, kColourAqua, kKindPoint);
    }
}

}  // namespace korvela
