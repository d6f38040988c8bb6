#pragma once

#include <string>

#include "common/file_error.h"

namespace korvela {

// Why the workbook could not be read or written: either the file itself (the system's error
// number) or what is wrong with its content.
struct WorkbookError {
    FileError::Operation operation = FileError::Operation::Read;
    std::string path;
    int errorNumber = 0;
    std::string problem;  // UTF-8; empty when errorNumber tells the reason

    // One line for the user (UTF-8), naming the file and the reason.
    std::string message() const;
};

}  // namespace korvela
