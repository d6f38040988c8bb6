#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "common/file_error.h"

namespace korvela {

// Receives one line at a time; returns false to stop reading.
using LineHandler = std::function<bool(std::string_view line)>;

// Splits bytes into lines the way a text-mode reader does: a line ends at LF, a CR right
// before the LF is dropped, and a last line without a line end is a line as well.
void forEachLine(std::string_view bytes, const LineHandler& handleLine);

// The same for a file, read in large blocks. Returns the error when the file cannot be
// opened or read; lines handed over before a read error stay handed over.
std::optional<FileError> forEachLineOfFile(const std::string& path, const LineHandler& handleLine);

}  // namespace korvela
