#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "common/work_progress.h"
#include "exchange/workbook_error.h"
#include "exchange/workbook_sheet.h"

namespace korvela {

class PointStore;

// How much of a workbook is read before it counts as too large (bytes). They keep a damaged
// or hostile file (a zip bomb, a huge string table, one string used by many cells) from
// exhausting the memory. The sheet and its strings are read in one pass through a small
// buffer; the small parts that say where they are are parsed whole, and a parsed tree takes
// up to about 16 times its text.
struct WorkbookLimits {
    std::uint64_t fileBytes = std::uint64_t{256} << 20;      // the file itself
    std::uint64_t partBytes = std::uint64_t{512} << 20;      // the sheet or its strings, unpacked
    std::uint64_t totalBytes = std::uint64_t{768} << 20;     // all parts read, unpacked
    std::uint64_t wholePartBytes = std::uint64_t{16} << 20;  // a part parsed whole
    std::uint64_t itemBytes = std::uint64_t{8} << 20;        // one tag, one text
    std::uint64_t sharedStringBytes = std::uint64_t{128} << 20;  // the strings kept, 8 more each
    // The texts of the cells in A-D, a shared string counted again for every cell using it.
    std::uint64_t sheetTextBytes = std::uint64_t{32} << 20;
};

// Reads columns A-D of the first sheet of an Office Open XML workbook (.xlsx) held in bytes:
// shared and inline strings, numbers, booleans, errors, formulas by their cached values.
// On failure the sheet is left as it was and the error says what is wrong (its path empty).
std::optional<WorkbookError> readFirstSheet(std::string_view bytes, WorkbookSheet& sheet,
                                            const WorkbookLimits& limits = {});

// The same for the workbook file at path, as it was last saved. Anything but a regular file
// (a pipe, a device) is refused at once.
std::optional<WorkbookError> readFirstSheetFile(const std::string& path, WorkbookSheet& sheet,
                                                const WorkbookLimits& limits = {});

// The read pass (see WorkbookPointRows) in one streaming pass over the sheet. On success
// `points` holds the points read and nothing else; a coordinate that is no number throws its
// ConversionError. On any failure `points` is left as it was.
std::optional<WorkbookError> readWorkbookPoints(std::string_view bytes, PointStore& points,
                                                const WorkbookLimits& limits = {});
// The file's version counts the sheet's unpacked bytes into progress.
std::optional<WorkbookError> readWorkbookPointsFile(const std::string& path, PointStore& points,
                                                    const WorkbookLimits& limits = {},
                                                    WorkProgress* progress = nullptr);

}  // namespace korvela
