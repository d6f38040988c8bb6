#include "points/point_table_text.h"

#include <string>

#include "common/number_text.h"
#include "points/point_store.h"

namespace korvela {
namespace {

const char* const kHeaders[kPointTableColumnCount] = {"", "номер", "x", "y", "h", "ход точка"};

}  // namespace

const char* pointTableHeader(int column) {
    return column >= 0 && column < kPointTableColumnCount ? kHeaders[column] : "";
}

std::string pointTableCellText(const PointStore& store, std::size_t point, int column) {
    switch (column) {
        case kPointTableNumberColumn: return store.number()[point];
        case kPointTableXColumn: return formatNumber(store.x()[point]);
        case kPointTableYColumn: return formatNumber(store.y()[point]);
        case kPointTableHeightColumn: return formatNumber(store.z()[point]);
        case kPointTableKindColumn: return std::to_string(store.kind()[point]);
        default: return {};
    }
}

}  // namespace korvela
