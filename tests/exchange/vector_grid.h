#pragma once

#include <string>
#include <vector>

#include "common/text_grid.h"

namespace korvela::testing {

// A grid of fixed texts (Windows-1251), row 0 first.
class VectorGrid : public TextGrid {
public:
    explicit VectorGrid(std::vector<std::vector<std::string>> cells) : cells_(std::move(cells)) {}

    int rows() const override { return static_cast<int>(cells_.size()); }
    std::string text(int row, int column) const override {
        const auto& cells = cells_.at(static_cast<std::size_t>(row));
        return static_cast<std::size_t>(column) < cells.size()
                   ? cells[static_cast<std::size_t>(column)]
                   : std::string();
    }

    void set(int row, int column, std::string text) {
        cells_.at(static_cast<std::size_t>(row)).at(static_cast<std::size_t>(column)) =
            std::move(text);
    }

private:
    std::vector<std::vector<std::string>> cells_;
};

// A point table row: check column, number, x, y, h, kind.
inline std::vector<std::string> tableRow(std::string number, std::string x, std::string y,
                                         std::string h, std::string kind = "1") {
    return {"", std::move(number), std::move(x), std::move(y), std::move(h), std::move(kind)};
}

// The point table's header row as the grid holds it.
inline std::vector<std::string> tableHeader() {
    return {"", "\xED\xEE\xEC\xE5\xF0", "x", "y", "h", "\xF5\xEE\xE4 \xF2\xEE\xF7\xEA\xE0"};
}

}  // namespace korvela::testing
