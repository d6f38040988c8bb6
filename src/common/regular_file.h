#pragma once

#include <cstddef>
#include <ctime>
#include <optional>
#include <span>
#include <string>

#include "common/file_error.h"

namespace korvela {

// A regular file opened for reading. A pipe, a device or a folder is refused at once
// (opening does not wait for a pipe's writer), so no reader ever blocks on one.
class RegularFile {
public:
    RegularFile() = default;
    ~RegularFile();
    RegularFile(const RegularFile&) = delete;
    RegularFile& operator=(const RegularFile&) = delete;

    // The error when path cannot be opened or is no regular file ("это не обычный файл").
    std::optional<FileError> open(const std::string& path);

    int descriptor() const { return descriptor_; }
    // The size when the file was opened.
    std::size_t size() const { return size_; }

    // Fills `into` with the bytes from `offset`, which lie within the size the file had when it
    // was opened; when the file ends before them, another program has shortened it meanwhile
    // (kChangedWhileReading).
    std::optional<FileError> readAt(std::size_t offset, std::span<char> into) const;
    // kChangedWhileReading when the file's size or modification time is no longer what it was
    // when it was opened: another program has written it meanwhile.
    std::optional<FileError> checkUnchanged() const;

    // The error of reading this file, for the reason errorNumber gives.
    FileError readError(int errorNumber) const;

private:
    std::string path_;
    int descriptor_ = -1;
    std::size_t size_ = 0;
    timespec modified_{};
};

}  // namespace korvela
