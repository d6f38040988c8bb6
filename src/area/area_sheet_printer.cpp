#include "area/area_sheet_printer.h"

#include <QPainter>
#include <QPrinter>
#include <numeric>

#include "area/area_sheet.h"
#include "ui/qt_text.h"

namespace korvela {

const std::array<AreaSheetHeading, 8> kAreaSheetHeadings = {{
    {0, 0, false, false, "№ точки"},
    {1, 2, true, false, "координаты (м)"},
    {1, 1, false, true, "X"},
    {2, 2, false, true, "Y"},
    {3, 3, false, false, "x(i-1) - x(i+1) (м)"},
    {4, 4, false, false, "y(i+1) - y(i-1) (м)"},
    {5, 5, false, false, "y(i)[x(i-1) - x(i+1)] м^2"},
    {6, 6, false, false, "x(i)[y(i+1) - y(i-1)] м^2"},
}};

namespace {

const QColor kSummaryBackground(0xDF, 0xDF, 0xDF);
constexpr int kTextLeft = 3;
constexpr int kResultGap = 4;

int sumOf(const std::vector<int>& widths, int count) {
    return std::accumulate(widths.begin(), widths.begin() + count, 0);
}

// Draws in screen pixels on pages of the printer's resolution.
class SheetPages {
public:
    SheetPages(QPrinter& printer, const AreaSheet& sheet, const AreaSheetLook& look)
        : printer_(printer), sheet_(sheet), look_(look),
          gridWidth_(sumOf(look.columnWidths, static_cast<int>(look.columnWidths.size()))) {}

    bool print();

private:
    void startPage();
    void drawHeadings();
    void drawRow(int row);
    void drawResult();
    bool fits(int height) const { return top_ + height <= pageHeight_; }

    QPrinter& printer_;
    const AreaSheet& sheet_;
    const AreaSheetLook& look_;
    const int gridWidth_;
    QPainter painter_;
    double pageHeight_ = 0;
    int top_ = 0;
};

bool SheetPages::print() {
    if (!painter_.begin(&printer_)) return false;
    const double scale = static_cast<double>(printer_.resolution()) / look_.screenDpi;
    pageHeight_ = printer_.height() / scale;
    painter_.scale(scale, scale);
    drawHeadings();
    for (int row = 0; row < sheet_.rowCount(); ++row) {
        if (!fits(look_.rowHeight)) startPage();
        drawRow(row);
    }
    if (!fits(kResultGap + look_.resultHeight)) startPage();
    drawResult();
    return painter_.end();
}

void SheetPages::startPage() {
    printer_.newPage();
    top_ = 0;
    drawHeadings();
}

void SheetPages::drawHeadings() {
    painter_.setFont(look_.headingFont);
    painter_.setPen(Qt::black);
    for (const AreaSheetHeading& heading : kAreaSheetHeadings) {
        const auto [left, top, width, height] =
            headingPlace(heading, look_.columnWidths, 0, top_, look_.headingHeight);
        const QRect place(left, top, width, height);
        painter_.drawRect(place);
        painter_.drawText(place, Qt::AlignCenter | Qt::TextWordWrap,
                          QString::fromUtf8(heading.text));
    }
    top_ += look_.headingHeight;
}

void SheetPages::drawRow(int row) {
    painter_.setFont(look_.cellFont);
    int left = 0;
    for (int column = 0; column < AreaSheet::ColumnCount; ++column) {
        const QRect cell(left, top_, look_.columnWidths[column], look_.rowHeight);
        if (row >= sheet_.pointCount()) painter_.fillRect(cell, kSummaryBackground);
        painter_.drawRect(cell);
        painter_.drawText(cell.adjusted(kTextLeft, 0, 0, 0), Qt::AlignLeft | Qt::AlignVCenter,
                          fromCp1251(sheet_.cell(row, column)));
        left += look_.columnWidths[column];
    }
    top_ += look_.rowHeight;
}

void SheetPages::drawResult() {
    const QRect place(0, top_ + kResultGap, gridWidth_, look_.resultHeight);
    painter_.setFont(look_.cellFont);
    painter_.drawRect(place);
    painter_.drawText(place, Qt::AlignCenter, fromCp1251(sheet_.result()));
}

}  // namespace

HeadingPlace headingPlace(const AreaSheetHeading& heading, const std::vector<int>& columnWidths,
                          int left, int top, int height) {
    const int half = height / 2;
    const int start = sumOf(columnWidths, heading.firstColumn);
    return {left + start, heading.lowerHalf ? top + half : top,
            sumOf(columnWidths, heading.lastColumn + 1) - start,
            heading.upperHalf || heading.lowerHalf ? half : height};
}

bool printAreaSheet(QPrinter& printer, const AreaSheet& sheet, const AreaSheetLook& look) {
    return SheetPages(printer, sheet, look).print();
}

}  // namespace korvela
