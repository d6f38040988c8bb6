#include "plan/pick_list.h"

#include <algorithm>

namespace korvela {

std::int32_t effectiveCursorRadius(std::int32_t cursorRadius) { return std::max(cursorRadius, 1); }

int PickAt(const PickList& pickList, std::int32_t cursorRadius, double bx, double by,
           std::vector<std::int32_t>& selected) {
    const std::int64_t radius = effectiveCursorRadius(cursorRadius);
    const auto radiusSquared = static_cast<double>(radius * radius);
    std::vector<int> caught;
    for (std::size_t i = 0; i < pickList.index.size(); ++i) {
        const double dx = bx - pickList.x[i];
        const double dy = by - pickList.y[i];
        if (dx * dx + dy * dy <= radiusSquared) caught.push_back(pickList.index[i]);
    }
    const bool anyUnselected =
        std::any_of(caught.begin(), caught.end(), [&](int point) { return selected[point] == 0; });
    for (const int point : caught) selected[point] = anyUnselected ? 1 : 0;
    return static_cast<int>(caught.size());
}

}  // namespace korvela
