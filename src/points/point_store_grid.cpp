#include "points/point_store_grid.h"

#include <algorithm>

#include "common/cp1251.h"
#include "points/point_store.h"
#include "points/point_table_text.h"

namespace korvela {

int PointStoreGrid::rows() const {
    return static_cast<int>(std::max<std::size_t>(1, store_.count())) + 1;
}

std::string PointStoreGrid::text(int row, int column) const {
    if (row == 0) return utf8ToCp1251(pointTableHeader(column));
    const auto point = static_cast<std::size_t>(row - 1);
    if (row < 0 || point >= store_.count()) return {};
    return pointCellText(store_, point, column);
}

std::optional<double> PointStoreGrid::shownNumber(int row, int column) const {
    const auto point = static_cast<std::size_t>(row - 1);
    if (row < 1 || point >= store_.count()) return std::nullopt;
    return pointCellNumber(store_, point, column);
}

}  // namespace korvela
