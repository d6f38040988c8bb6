#include "area/area_sheet.h"

#include <iterator>

namespace korvela {
namespace {

struct SamplePoint {
    const char* x;
    const char* y;
};

const SamplePoint kSample[] = {
    {"+967,5", "+300,3"}, {"+697,4", "+641,2"}, {"+234,8", "+619,7"}, {"-70,7", "+382,8"},
    {"+12,2", "+92,9"},   {"+255,3", "-54,24"}, {"+452,9", "-246,9"}, {"+698,4", "+58,4"},
};

}  // namespace

AreaSheet::AreaSheet() : cells_(static_cast<std::size_t>(kSummaryRows) * ColumnCount) {}

void AreaSheet::buildTable(int count) {
    rows_ = count + kSummaryRows;
    cells_.assign(static_cast<std::size_t>(rows_) * ColumnCount, std::string());
    result_.clear();
    for (int row = 0; row < count; ++row)
        cells_[index(row, NumberColumn)] = std::to_string(row + 1);
}

void AreaSheet::emptyCells() {
    for (std::string& text : cells_) text.clear();
    result_.clear();
}

void fillSampleSheet(AreaSheet& sheet) {
    constexpr int kSampleCount = static_cast<int>(std::size(kSample));
    sheet.buildTable(kSampleCount);
    for (int row = 0; row < kSampleCount; ++row) {
        sheet.setCell(row, AreaSheet::XColumn, kSample[row].x);
        sheet.setCell(row, AreaSheet::YColumn, kSample[row].y);
    }
}

}  // namespace korvela
