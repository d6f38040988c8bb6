#pragma once

#include <cstdint>
#include <vector>

namespace korvela {

class AreaSheet;
class PointStore;

// A vertex handed over to the area window.
struct PlanePoint {
    double x = 0;
    double y = 0;
};

// The area hand-over: X and Y of the selected points that are not frozen, in store order.
// `selected` runs parallel to the store.
std::vector<PlanePoint> areaHandOverPoints(const PointStore& store,
                                           const std::vector<std::int32_t>& selected);

// The area sheet built for those points, X in column 1 and Y in column 2 as number text;
// the point numbers are not handed over and nothing is computed.
AreaSheet areaHandOverSheet(const PointStore& store, const std::vector<std::int32_t>& selected);

}  // namespace korvela
