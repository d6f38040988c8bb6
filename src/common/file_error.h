#pragma once

#include <string>

namespace korvela {

// Why a file could not be read or written: the file and the system's error number.
struct FileError {
    enum class Operation { Read, Write };

    Operation operation = Operation::Read;
    std::string path;
    int errorNumber = 0;

    // One line for the user (UTF-8), naming the file and the reason.
    std::string message() const;
};

}  // namespace korvela
