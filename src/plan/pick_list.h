#pragma once

#include <cstdint>
#include <vector>

namespace korvela {

// Where the last picture put each point it drew: bitmap position (before truncation) and
// the point's index in the store, in store order. Picking uses it instead of projecting again.
struct PickList {
    std::vector<double> x;
    std::vector<double> y;
    std::vector<int> index;

    void clear() {
        x.clear();
        y.clear();
        index.clear();
    }
    void append(double atX, double atY, int point) {
        x.push_back(atX);
        y.push_back(atY);
        index.push_back(point);
    }
};

// The pick radius actually used: a radius below 1 counts as 1.
std::int32_t effectiveCursorRadius(std::int32_t cursorRadius);

// Toggles the selection of the points within cursorRadius bitmap pixels of (bx, by), the
// circle's edge included: when any of them is unselected all become selected, otherwise all
// become unselected. Returns how many points the circle caught.
int PickAt(const PickList& pickList, std::int32_t cursorRadius, double bx, double by,
           std::vector<std::int32_t>& selected);

}  // namespace korvela
