#pragma once

#include "common/text_grid.h"

namespace korvela {

class PointStore;

// The point table as it stands right after it was filled from the store, for the exports
// that run without a window (korvela-cli): the header row, then one row per point, or one
// empty row when there is no point.
class PointStoreGrid : public TextGrid {
public:
    explicit PointStoreGrid(const PointStore& store) : store_(store) {}

    int rows() const override;
    std::string text(int row, int column) const override;
    std::optional<double> shownNumber(int row, int column) const override;

private:
    const PointStore& store_;
};

}  // namespace korvela
