#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "common/file_error.h"

namespace korvela::cli {

// Whether an input file argument is `-`, which stands for the standard input.
bool isStandardInput(std::string_view argument);

// All of the standard input, or the error when it cannot be read. Every command reads its
// `-` through here. The standard input can be read only once: a second `-` among a command's
// input files throws UsageError, as the command needs a file there.
std::optional<FileError> readStandardInput(std::string& bytes);

}  // namespace korvela::cli
