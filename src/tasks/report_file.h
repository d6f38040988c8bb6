#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "common/file_error.h"

namespace korvela {

// Saves a report text (Windows-1251 bytes, lines separated by CR LF) to path exactly as it
// is: nothing added or removed, no byte-order mark, no extra line end. Returns the error
// when the file cannot be written; a file already there is then left as it was.
std::optional<FileError> writeReportFile(const std::string& path, std::string_view text);

}  // namespace korvela
