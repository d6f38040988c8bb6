#pragma once

#include <optional>
#include <string>

namespace korvela {

// A grid of text cells as the user sees them (the point table, the rotation result grid):
// what the writers that export "what is shown" read. Texts are Windows-1251 bytes. Row 0 is
// the header row of the point table (not data); data rows are 1 to rows() − 1.
class TextGrid {
public:
    virtual ~TextGrid() = default;
    virtual int rows() const = 0;
    virtual std::string text(int row, int column) const = 0;

    // The value a number cell shows when nobody typed into it: its text is then exactly
    // formatNumber(value), so a writer needs no parse. Nothing for any other cell.
    virtual std::optional<double> shownNumber(int /*row*/, int /*column*/) const {
        return std::nullopt;
    }
};

}  // namespace korvela
