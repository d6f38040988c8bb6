#include "points/typed_texts.h"

#include <algorithm>
#include <tuple>

namespace korvela {

std::vector<TypedText>::const_iterator TypedTexts::lowerBound(std::size_t row, int column) const {
    return std::lower_bound(texts_.begin(), texts_.end(), std::tuple(row, column),
                            [](const TypedText& typed, const std::tuple<std::size_t, int>& cell) {
                                return std::tie(typed.row, typed.column) < cell;
                            });
}

bool TypedTexts::holds(std::vector<TypedText>::const_iterator at, std::size_t row,
                       int column) const {
    return at != texts_.end() && at->row == row && at->column == column;
}

const std::string* TypedTexts::find(std::size_t row, int column) const {
    const auto at = lowerBound(row, column);
    return holds(at, row, column) ? &at->text : nullptr;
}

bool TypedTexts::put(std::size_t row, int column, std::string_view text) {
    const auto at = texts_.begin() + (lowerBound(row, column) - texts_.cbegin());
    if (!holds(at, row, column)) {
        texts_.insert(at, TypedText{row, column, std::string(text)});
        return true;
    }
    if (at->text == text) return false;
    at->text = text;
    return true;
}

bool TypedTexts::remove(std::size_t row, int column) {
    const auto at = lowerBound(row, column);
    if (!holds(at, row, column)) return false;
    texts_.erase(at);
    return true;
}

void TypedTexts::dropRowsFrom(std::size_t row) { texts_.erase(lowerBound(row, 0), texts_.end()); }

void TypedTexts::eraseRows(const std::vector<std::int32_t>& erasedFlags) {
    const auto erased = [&erasedFlags](std::size_t row) {
        return row < erasedFlags.size() && erasedFlags[row] == 1;
    };
    std::size_t counted = 0;  // the rows whose flags erasedBefore counts
    std::size_t erasedBefore = 0;
    auto kept = texts_.begin();
    for (TypedText& typed : texts_) {
        for (; counted < typed.row; ++counted) erasedBefore += erased(counted) ? 1 : 0;
        if (erased(typed.row)) continue;
        typed.row -= erasedBefore;
        if (&*kept != &typed) *kept = std::move(typed);
        ++kept;
    }
    texts_.erase(kept, texts_.end());
}

}  // namespace korvela
