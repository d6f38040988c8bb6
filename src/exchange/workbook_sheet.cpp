#include "exchange/workbook_sheet.h"

#include <algorithm>

#include "common/conversion_error.h"
#include "common/number_text.h"
#include "points/point_table_text.h"

namespace korvela {

void WorkbookSheet::put(std::uint32_t row, int column, WorkbookCell cell) {
    cells_.push_back({row, column, std::move(cell)});
}

void WorkbookSheet::finish() {
    const auto before = [](const Entry& a, const Entry& b) {
        return a.row != b.row ? a.row < b.row : a.column < b.column;
    };
    std::stable_sort(cells_.begin(), cells_.end(), before);
    // Of the cells put at one place the last one counts.
    std::vector<Entry> kept;
    kept.reserve(cells_.size());
    for (Entry& entry : cells_) {
        if (!kept.empty() && kept.back().row == entry.row && kept.back().column == entry.column) {
            kept.back() = std::move(entry);
        } else {
            kept.push_back(std::move(entry));
        }
    }
    cells_ = std::move(kept);
}

const WorkbookCell& WorkbookSheet::cell(std::uint32_t row, int column) const {
    static const WorkbookCell empty;
    const auto found = std::lower_bound(cells_.begin(), cells_.end(), std::pair(row, column),
                                        [](const Entry& entry, const std::pair<std::uint32_t, int>& at) {
                                            return entry.row != at.first ? entry.row < at.first
                                                                         : entry.column < at.second;
                                        });
    if (found == cells_.end() || found->row != row || found->column != column) return empty;
    return found->cell;
}

std::string WorkbookSheet::text(std::uint32_t row, int column) const {
    const WorkbookCell& value = cell(row, column);
    switch (value.type) {
        case WorkbookCell::Type::Empty: return {};
        case WorkbookCell::Type::Number: return formatNumber(value.number);
        case WorkbookCell::Type::Boolean: return value.number != 0 ? "True" : "False";
        case WorkbookCell::Type::Text:
        case WorkbookCell::Type::Error: return value.text;
    }
    return {};
}

double WorkbookSheet::number(std::uint32_t row, int column) const {
    const WorkbookCell& value = cell(row, column);
    switch (value.type) {
        case WorkbookCell::Type::Empty: return 0;
        case WorkbookCell::Type::Number: return value.number;
        case WorkbookCell::Type::Text: {
            if (value.text.empty()) return 0;
            if (const auto converted = parseTypedCoordinate(value.text)) return *converted;
            break;
        }
        case WorkbookCell::Type::Boolean:
        case WorkbookCell::Type::Error: break;
    }
    throw ConversionError::notFloatingPoint(text(row, column));
}

}  // namespace korvela
