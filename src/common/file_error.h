#pragma once

#include <string>
#include <utility>

namespace korvela {

// Reasons the system has no error number for (negative, so never a real errno).
inline constexpr int kNotRegularFile = -1;       // a pipe, a device, a socket where a file belongs
inline constexpr int kWriteProtected = -2;       // the file exists without write permission
inline constexpr int kChangedWhileReading = -3;  // another program wrote the file as it was read
inline constexpr int kNoPipeReader = -4;         // a pipe written to that no program reads from

// Why a file could not be read or written: the file and the system's error number, or a
// reason of the program's own when `reason` is set (a count beyond what the format holds).
struct FileError {
    enum class Operation { Read, Write };

    FileError() = default;
    FileError(Operation operation, std::string path, int errorNumber, std::string reason = {})
        : operation(operation), path(std::move(path)), errorNumber(errorNumber),
          reason(std::move(reason)) {}

    Operation operation = Operation::Read;
    std::string path;
    int errorNumber = 0;
    std::string reason;  // UTF-8; when empty the error number gives the reason

    // One line for the user (UTF-8), naming the file and the reason.
    std::string message() const;
};

// The reason for an error number as a short Russian text (UTF-8); a number without a text
// of its own gives a general text that quotes it.
std::string fileErrorReason(int errorNumber);

}  // namespace korvela
