#include "area/area_hand_over.h"

#include "area/area_sheet.h"
#include "common/number_text.h"
#include "points/point_store.h"

namespace korvela {

std::vector<PlanePoint> areaHandOverPoints(const PointStore& store,
                                           const std::vector<std::int32_t>& selected) {
    std::vector<PlanePoint> vertices;
    for (std::size_t i = 0; i < store.count(); ++i) {
        if (selected[i] == 1 && store.active()[i] == 1)
            vertices.push_back({store.x()[i], store.y()[i]});
    }
    return vertices;
}

AreaSheet areaHandOverSheet(const PointStore& store, const std::vector<std::int32_t>& selected) {
    const std::vector<PlanePoint> points = areaHandOverPoints(store, selected);
    AreaSheet sheet;
    sheet.buildTable(static_cast<int>(points.size()));
    for (std::size_t k = 0; k < points.size(); ++k) {
        sheet.setCell(static_cast<int>(k), AreaSheet::XColumn, formatNumber(points[k].x));
        sheet.setCell(static_cast<int>(k), AreaSheet::YColumn, formatNumber(points[k].y));
    }
    return sheet;
}

}  // namespace korvela
