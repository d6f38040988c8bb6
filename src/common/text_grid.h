#pragma once

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
};

}  // namespace korvela
