// libFuzzer target: the area computation file (.tdp) and coordinate statement (.tdl) readers
// on any bytes, the first byte choosing the reader (even .tdp, odd .tdl). A count beyond the
// format's bound is refused with the sheet untouched; whatever is read computes without
// harm, and the computed sheet, when saving takes it, written as an area file opens again
// with the same cells.
#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <string_view>

#include "area/area_computation.h"
#include "area/area_files.h"
#include "area/area_sheet.h"

namespace {

bool sameCells(const korvela::AreaSheet& first, const korvela::AreaSheet& second) {
    if (first.pointCount() != second.pointCount()) return false;
    for (int row = 0; row < first.pointCount(); ++row) {
        for (int column = 0; column < korvela::AreaSheet::ColumnCount; ++column) {
            if (first.cell(row, column) != second.cell(row, column)) return false;
        }
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const bool statement = (data[0] & 1) != 0;
    const std::string_view bytes(reinterpret_cast<const char*>(data + 1), size - 1);
    korvela::AreaSheet sheet;
    sheet.buildTable(2);
    const korvela::AreaSheet untouched = sheet;
    const auto refusal =
        statement ? korvela::readStatement(bytes, sheet) : korvela::readAreaFile(bytes, sheet);
    if (refusal) {
        if (!sameCells(sheet, untouched)) std::abort();
        return 0;
    }
    if (sheet.pointCount() > (statement ? 100000 : korvela::kLargestAreaFileCount)) std::abort();
    (void)korvela::computeArea(sheet);
    // Saving refuses a sheet the file's four-character count cannot hold.
    if (sheet.pointCount() > korvela::kLargestAreaFileCount) return 0;

    std::ostringstream written;
    korvela::writeAreaFile(written, sheet);
    korvela::AreaSheet reopened;
    if (korvela::readAreaFile(written.str(), reopened) || !sameCells(sheet, reopened)) {
        std::abort();
    }
    return 0;
}
