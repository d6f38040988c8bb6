#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace korvela {

// A text the point table shows in a cell in place of the store's value (UTF-8).
struct TypedText {
    std::size_t row = 0;
    int column = 0;
    std::string text;
    friend bool operator==(const TypedText&, const TypedText&) = default;
};

// The texts the point table shows in place of the store's values: what the user typed into a
// cell where it differs from what the store holds ("12.50" for 12.5, a text that is no number,
// a text typed before any data was present), and cells left empty on purpose. As a string grid
// keeps what was typed into it. Few as a rule, so kept in a vector sorted by row, then column.
class TypedTexts {
public:
    // The cell's text, or nullptr when the cell shows the store's value.
    const std::string* find(std::size_t row, int column) const;
    bool contains(std::size_t row, int column) const { return find(row, column) != nullptr; }
    // Keeps `text` for the cell, or forgets the cell's text; both return whether it changed.
    bool put(std::size_t row, int column, std::string_view text);
    bool remove(std::size_t row, int column);
    // The rows from `row` on lose their texts.
    void dropRowsFrom(std::size_t row);
    // The rows flagged 1 (one flag per row before) went: their texts go, and the texts of later
    // rows move up with their rows.
    void eraseRows(const std::vector<std::int32_t>& erasedFlags);
    void clear() { texts_.clear(); }

    bool empty() const { return texts_.empty(); }
    const std::vector<TypedText>& all() const { return texts_; }
    friend bool operator==(const TypedTexts&, const TypedTexts&) = default;

private:
    std::vector<TypedText>::const_iterator lowerBound(std::size_t row, int column) const;
    bool holds(std::vector<TypedText>::const_iterator at, std::size_t row, int column) const;

    std::vector<TypedText> texts_;
};

}  // namespace korvela
