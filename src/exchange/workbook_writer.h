#pragma once

#include <optional>
#include <string>

#include "exchange/workbook_error.h"

namespace korvela {

class PointStore;

// The write pass of "Отредактировать всё в Excel": a workbook whose first sheet holds the
// points in store order from row 1, the number as text in column A (so 12 stays the text 12)
// and X, Y, Z as numbers in B-D; nothing else. It replaces the file at path through the safe
// file writer, so a failure leaves the old workbook as it was. An empty store gives an
// empty workbook (the one made when none exists).
std::optional<WorkbookError> writeWorkbookPoints(const std::string& path, const PointStore& store);

}  // namespace korvela
