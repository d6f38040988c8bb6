#include "exchange/workbook_error.h"

namespace korvela {

std::string WorkbookError::message() const {
    if (problem.empty()) return FileError{operation, path, errorNumber}.message();
    const char* action = operation == FileError::Operation::Read ? "Не удаётся прочитать книгу"
                                                                 : "Не удаётся записать книгу";
    return std::string(action) + " \"" + path + "\": " + problem;
}

}  // namespace korvela
