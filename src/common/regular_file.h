#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

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
    std::size_t size() const { return size_; }

    // Maps the whole file into memory, read-only; the error when that fails.
    std::optional<FileError> map();
    // The mapped bytes (empty for an empty file).
    std::string_view bytes() const { return {static_cast<const char*>(mapping_), size_}; }
    // Lets the system take back the memory of the whole pages within [from, to) of the mapping
    // once they have been read, so a long file never occupies more than a window of memory.
    void release(std::size_t from, std::size_t to) const;

private:
    std::string path_;
    int descriptor_ = -1;
    std::size_t size_ = 0;
    void* mapping_ = nullptr;
};

}  // namespace korvela
