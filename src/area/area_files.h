#pragma once

#include <optional>
#include <ostream>
#include <string>
#include <string_view>

#include "common/file_error.h"

namespace korvela {

class AreaSheet;

// The first line of every area computation file.
extern const char* const kAreaFileHeader;

// --- Area computation file (.tdp), Windows-1251, CR LF ---------------------------------
// Line 1 the header, line 2 the point count, then one line per point row holding its 7 cell
// texts each followed by one space (an empty cell is just its space), then the result text
// without a line end. The summary rows are not stored.

// Removes every blank from the point numbers in column 0 ("12 a" becomes "12a").
void removeBlanksFromPointNumbers(AreaSheet& sheet);

void writeAreaFile(std::ostream& out, const AreaSheet& sheet);

// An area file keeps its point count in four characters: at most this many points can be
// saved and opened again.
inline constexpr int kLargestAreaFileCount = 9999;

// "Сохранить": once the file could be created, the point numbers lose their blanks (in the
// sheet as well) and the sheet is written. On failure the old file is untouched.
std::optional<FileError> saveAreaFile(const std::string& path, AreaSheet& sheet);

// Reads an area computation file into the sheet, which is built anew for the stored point
// count (the first four characters of line 2). Point row i is line i + 3: a line with
// exactly 7 spaces is split at them, so empty cells come back empty; any other line gives
// its first 7 words. Missing lines and words leave their cells empty. The stored result
// text is not read, and nothing is computed. A count above kLargestAreaFileCount (such as
// 1e7) is refused: the reason (UTF-8) is returned and the sheet is unchanged.
std::optional<std::string> readAreaFile(std::string_view bytes, AreaSheet& sheet);

// The same from a file. When the file cannot be read (a pipe or a device is refused at
// once) or its count is refused, the sheet is unchanged.
std::optional<FileError> openAreaFile(const std::string& path, AreaSheet& sheet);

// --- Coordinate statement (.tdl), Windows-1251, CR LF or LF, read only -----------------
// Line 1 is skipped; line 2 (at most 99 characters) holds the point count from its fifth
// character on. A line that is exactly "[X]" is followed by the count's number of words for
// column 1, a line "[Y]" by those of column 2; words are separated by any white space,
// also line ends. After a section, reading resumes with the rest of the line on which its
// last word stood. All other lines are ignored.

// Reads a statement into the sheet, built anew for its point count. Nothing is computed.
// A count above 100 000 is refused: the reason (UTF-8) is returned, the sheet unchanged.
std::optional<std::string> readStatement(std::string_view bytes, AreaSheet& sheet);

// "Загрузить из ведомости": reads the statement file. When the file cannot be read (a pipe
// or a device is refused at once) the sheet is emptied; a refused count leaves it as it was.
std::optional<FileError> loadStatementFile(const std::string& path, AreaSheet& sheet);

}  // namespace korvela
