#include "exchange/workbook_sheet.h"

#include <algorithm>

#include "common/conversion_error.h"
#include "common/number_text.h"
#include "exchange/workbook_package.h"
#include "points/point_table_text.h"

namespace korvela {

void WorkbookSheet::put(std::uint32_t row, int column, const WorkbookCellView& cell) {
    cells_.push_back({row, static_cast<std::uint16_t>(column), cell.type, cell.number,
                      texts_.size(), cell.text.size()});
    texts_ += cell.text;
}

void WorkbookSheet::finish() {
    const auto before = [](const Entry& a, const Entry& b) {
        return a.row != b.row ? a.row < b.row : a.column < b.column;
    };
    // Spreadsheet programs write the cells in order; other writers need not.
    if (!std::is_sorted(cells_.begin(), cells_.end(), before)) {
        std::stable_sort(cells_.begin(), cells_.end(), before);
    }
    // Of the cells put at one place the last one counts.
    std::size_t kept = 0;
    for (std::size_t i = 0; i < cells_.size(); ++i) {
        const bool samePlace = kept > 0 && cells_[kept - 1].row == cells_[i].row &&
                               cells_[kept - 1].column == cells_[i].column;
        if (!samePlace) ++kept;
        cells_[kept - 1] = cells_[i];
    }
    cells_.resize(kept);
}

const WorkbookSheet::Entry* WorkbookSheet::find(std::uint32_t row, int column) const {
    const auto found = std::lower_bound(
        cells_.begin(), cells_.end(), std::pair(row, column),
        [](const Entry& entry, const std::pair<std::uint32_t, int>& at) {
            return entry.row != at.first ? entry.row < at.first : entry.column < at.second;
        });
    if (found == cells_.end() || found->row != row || found->column != column) return nullptr;
    return &*found;
}

WorkbookCell WorkbookSheet::cell(std::uint32_t row, int column) const {
    const Entry* entry = find(row, column);
    if (entry == nullptr) return {};
    return {entry->type, entry->number, texts_.substr(entry->textStart, entry->textLength)};
}

WorkbookCellView WorkbookSheet::view(std::uint32_t row, int column) const {
    const Entry* entry = find(row, column);
    if (entry == nullptr) return {};
    return {entry->type, entry->number,
            std::string_view(texts_).substr(entry->textStart, entry->textLength)};
}

std::string WorkbookSheet::text(std::uint32_t row, int column) const {
    return workbookCellText(view(row, column));
}

double WorkbookSheet::number(std::uint32_t row, int column) const {
    return workbookCellNumber(view(row, column), row, column);
}

std::string workbookCellName(std::uint32_t row, int column) {
    std::string letters;
    for (int rest = column; rest > 0; rest = (rest - 1) / 26) {
        letters.insert(letters.begin(), static_cast<char>('A' + (rest - 1) % 26));
    }
    return letters + std::to_string(row);
}

std::string workbookCellText(const WorkbookCellView& cell) {
    switch (cell.type) {
        case WorkbookCell::Type::Empty:
            return {};
        case WorkbookCell::Type::Number:
            return formatNumber(cell.number);
        case WorkbookCell::Type::Boolean:
            return cell.number != 0 ? "True" : "False";
        case WorkbookCell::Type::Text:
        case WorkbookCell::Type::Error:
            return std::string(cell.text);
    }
    return {};
}

double workbookCellNumber(const WorkbookCellView& cell, std::uint32_t row, int column) {
    switch (cell.type) {
        case WorkbookCell::Type::Empty:
            return 0;
        case WorkbookCell::Type::Number:
            return cell.number;
        case WorkbookCell::Type::Text:
            if (cell.text.empty()) return 0;
            if (const auto converted = parseTypedCoordinate(cell.text)) return *converted;
            break;
        case WorkbookCell::Type::Boolean:
        case WorkbookCell::Type::Error:
            break;
    }
    const std::string name = workbookCellName(row, column);
    const std::string place = "Ячейка " + name + " (строка " + std::to_string(row) + ", столбец " +
                              name.substr(0, name.find_first_of("0123456789")) + "): ";
    throw ConversionError::notFloatingPoint(textExcerpt(workbookCellText(cell))).locatedAt(place);
}

}  // namespace korvela
