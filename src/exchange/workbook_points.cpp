#include "exchange/workbook_points.h"

#include <algorithm>

#include "common/cp1251.h"
#include "common/number_parse.h"
#include "common/number_text.h"
#include "points/point_store.h"

namespace korvela {
namespace {

WorkbookCellView viewOf(const WorkbookCell& cell) { return {cell.type, cell.number, cell.text}; }

void appendPoint(PointStore& points, const std::string& number, double x, double y, double z,
                 const std::string& code) {
    points.append(utf8ToCp1251(number), x, y, z, kColourAqua, kKindPoint, utf8ToCp1251(code));
}

}  // namespace

bool WorkbookPointRows::put(std::uint32_t row, int column, const WorkbookCellView& cell) {
    if (row < pendingRow_) return false;
    if (row > pendingRow_) {
        takePendingRow();
        pendingRow_ = row;
        pending_.fill({});
    }
    WorkbookCell& slot = pending_[static_cast<std::size_t>(column - 1)];
    slot.type = cell.type;
    slot.number = cell.number;
    slot.text.assign(cell.text);
    return true;
}

void WorkbookPointRows::finish() {
    takePendingRow();
    pendingRow_ = kWorkbookMaxRows + 1;
    if (firstError_) throw *firstError_;
}

// Rows follow each other from row 1; a missing row or an empty number ends the points.
void WorkbookPointRows::takePendingRow() {
    if (stopped_ || pendingRow_ == 0) return;
    const std::string number = workbookCellText(viewOf(pending_[0]));
    if (pendingRow_ != points_.count() + 1 || number.empty()) {
        stopped_ = true;
        return;
    }
    try {
        const double x = workbookCellNumber(viewOf(pending_[1]), pendingRow_, 2);
        const double y = workbookCellNumber(viewOf(pending_[2]), pendingRow_, 3);
        const double z = workbookCellNumber(viewOf(pending_[3]), pendingRow_, 4);
        appendPoint(points_, number, x, y, z, workbookCellText(viewOf(pending_[4])));
    } catch (const ConversionError& error) {
        firstError_ = error;
        stopped_ = true;
    }
}

void readWorkbookPoints(const WorkbookSheet& sheet, PointStore& points) {
    for (std::uint32_t row = 1; row <= kWorkbookMaxRows; ++row) {
        const std::string number = sheet.text(row, 1);
        if (number.empty()) break;
        appendPoint(points, number, sheet.number(row, 2), sheet.number(row, 3),
                    sheet.number(row, 4), sheet.text(row, 5));
    }
}

void appendWorkbookPoints(PointStore& store, const PointStore& read) {
    store.reserve(store.count() + read.count());
    for (std::size_t i = 0; i < read.count(); ++i) {
        store.append(read.number()[i], read.x()[i], read.y()[i], read.z()[i], kColourAqua,
                     kKindPoint, read.code()[i]);
    }
}

namespace {

// The double that the workbook's rendering of value reads back as.
double asWritten(double value) {
    char text[kNumberTextCapacity];
    const std::size_t length = formatNumberInto(value, text);
    double read = value;
    parseWholeNumber(std::string_view(text, length), read);
    return read;
}

void restore(PointStore& read, std::size_t k, double readValue, double original,
             void (PointStore::*set)(std::size_t, double)) {
    if (readValue == asWritten(original)) (read.*set)(k, original);
}

}  // namespace

void restoreFullPrecision(PointStore& read, const PointStore& written) {
    const std::size_t rows = std::min(read.count(), written.count());
    for (std::size_t k = 0; k < rows; ++k) {
        restore(read, k, read.x()[k], written.x()[k], &PointStore::setX);
        restore(read, k, read.y()[k], written.y()[k], &PointStore::setY);
        restore(read, k, read.z()[k], written.z()[k], &PointStore::setZ);
    }
}

std::optional<std::size_t> firstPointWithoutNumber(const PointStore& store) {
    for (std::size_t i = 0; i < store.count(); ++i) {
        if (store.number()[i].empty()) return i;
    }
    return std::nullopt;
}

std::optional<std::size_t> firstPointWithNulInNumber(const PointStore& store) {
    for (std::size_t i = 0; i < store.count(); ++i) {
        if (store.number()[i].find('\0') != std::string::npos) return i;
    }
    return std::nullopt;
}

}  // namespace korvela
