#include "points/point_table_text.h"

#include "common/conversion_error.h"
#include "common/cp1251.h"
#include "common/number_parse.h"
#include "common/number_text.h"
#include "points/point_store.h"

namespace korvela {
namespace {

std::string withDecimalPoint(std::string_view text) {
    std::string converted(text);
    const std::size_t comma = converted.find(',');
    if (comma != std::string::npos) converted[comma] = '.';
    return converted;
}

bool isTextColumn(int column) { return column == kNumberColumn || column == kCodeColumn; }

const char* const kHeaders[kMostPointColumns] = {"", "номер", "x", "y", "h", "ход точка", "код"};

}  // namespace

const char* pointTableHeader(int column) {
    return column >= 0 && column < kMostPointColumns ? kHeaders[column] : "";
}

std::string pointCellText(const PointStore& store, std::size_t index, int column) {
    switch (column) {
        case kNumberColumn:
            return std::string(store.number()[index]);
        case kXColumn:
            return formatNumber(store.x()[index]);
        case kYColumn:
            return formatNumber(store.y()[index]);
        case kHeightColumn:
            return formatNumber(store.z()[index]);
        case kKindColumn:
            return std::to_string(store.kind()[index]);
        case kCodeColumn:
            return std::string(store.code()[index]);
        default:
            return {};
    }
}

std::string pointCellTextUtf8(const PointStore& store, std::size_t index, int column) {
    std::string text = pointCellText(store, index, column);
    return isTextColumn(column) ? cp1251ToUtf8(text) : text;
}

std::optional<double> pointCellNumber(const PointStore& store, std::size_t index, int column) {
    switch (column) {
        case kXColumn:
            return store.x()[index];
        case kYColumn:
            return store.y()[index];
        case kHeightColumn:
            return store.z()[index];
        default:
            return std::nullopt;
    }
}

std::optional<double> parseTypedCoordinate(std::string_view text) {
    double value = 0;
    if (!parseWholeNumber(withDecimalPoint(text), value)) return std::nullopt;
    return value;
}

double toTypedCoordinateStrict(std::string_view text) {
    return toDoubleStrict(withDecimalPoint(text));
}

bool applyTypedCell(PointStore& store, std::size_t index, int column, std::string_view text) {
    if (column == kNumberColumn) {
        store.setNumber(index, utf8ToCp1251(text));
        return true;
    }
    if (column == kCodeColumn) {
        store.setCode(index, utf8ToCp1251(text));
        return true;
    }
    if (column < kXColumn || column > kHeightColumn) return false;
    const std::optional<double> value = parseTypedCoordinate(text);
    if (!value) return false;
    if (column == kXColumn) store.setX(index, *value);
    if (column == kYColumn) store.setY(index, *value);
    if (column == kHeightColumn) store.setZ(index, *value);
    return true;
}

}  // namespace korvela
