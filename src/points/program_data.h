#pragma once

#include <cstdint>
#include <vector>

#include "plan/view_state.h"
#include "points/point_store.h"

namespace korvela {

// The data the program works on for its whole run, created in this order before the first
// window: the selection flags (1 = selected, one per point), the points, the plan's view.
struct ProgramData {
    std::vector<std::int32_t> selected;
    PointStore store;
    ViewState view;
};

}  // namespace korvela
