#pragma once

#include <QFont>
#include <array>
#include <vector>

class QPrinter;

namespace korvela {

class AreaSheet;

// A heading above the sheet's columns: a label of the window, and a heading of every
// printed page.
struct AreaSheetHeading {
    int firstColumn;
    int lastColumn;
    bool upperHalf;  // "координаты (м)" stands over "X" and "Y"
    bool lowerHalf;
    const char* text;
};

extern const std::array<AreaSheetHeading, 8> kAreaSheetHeadings;

// How the sheet looks in the window, in screen pixels, so that it prints at that size.
struct AreaSheetLook {
    std::vector<int> columnWidths;
    int rowHeight = 0;
    int headingHeight = 0;
    int resultHeight = 0;
    QFont cellFont;
    QFont headingFont;
    int screenDpi = 96;
};

// The heading's rectangle above columns of the given widths, the first starting at left.
struct HeadingPlace {
    int left, top, width, height;
};
HeadingPlace headingPlace(const AreaSheetHeading& heading, const std::vector<int>& columnWidths,
                          int left, int top, int height);

// Prints the whole sheet, drawn as text and lines at the printer's resolution: the headings
// at the top of every page, then as many rows as the page holds (every point row and the
// three summary rows), and after the last row the result line; pages follow as needed.
// Placed at the top left of the page at its on-screen size. False when the printer cannot
// be used.
bool printAreaSheet(QPrinter& printer, const AreaSheet& sheet, const AreaSheetLook& look);

}  // namespace korvela
