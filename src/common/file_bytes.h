#pragma once

#include <string>
#include <variant>

#include "common/file_error.h"

namespace korvela {

// The whole content of a file, read in one go; the error when it cannot be opened or read.
std::variant<std::string, FileError> readFileBytes(const std::string& path);

}  // namespace korvela
