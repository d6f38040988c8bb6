#pragma once

#include <optional>
#include <string>

#include "common/safe_file_writer.h"
#include "common/work_progress.h"
#include "exchange/workbook_error.h"

namespace korvela {

class PointStore;

// The write pass of "Отредактировать всё в Excel": the first sheet of the workbook gets the
// points in store order from row 1, the number as text in column A (so 12 stays the text 12)
// and X, Y, Z as numbers in B-D, in the program's number text, the four columns as wide as
// their longest value (a spreadsheet shows a number too wide for its column rounded); nothing
// else. When path holds a workbook already, only its first sheet is replaced: the other sheets
// and parts stay, except the calculation chain, which would name the old sheet's formula cells
// (Excel builds it again). A number holding a NUL byte, which a workbook cannot keep, is
// refused before anything is written. The file is replaced through the safe file writer, so a
// failure leaves the old workbook as it was. An empty store gives an empty first sheet.
// Counts the rows written into progress.
std::optional<WorkbookError> writeWorkbookPoints(
    const std::string& path, const PointStore& store, WorkProgress* progress = nullptr,
    PipeWithoutReader pipeWithoutReader = PipeWithoutReader::Refuse);

}  // namespace korvela
