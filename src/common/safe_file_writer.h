#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <ostream>
#include <string>

#include "common/file_error.h"

namespace korvela {

// Writes a file so that a failure never damages what was there: the content goes into a
// temporary file in the target's folder, which replaces the target only when every byte
// has been written and flushed to disk.
class SafeFileWriter {
public:
    explicit SafeFileWriter(std::string targetPath);
    ~SafeFileWriter();  // discards the temporary file unless commit() succeeded
    SafeFileWriter(const SafeFileWriter&) = delete;
    SafeFileWriter& operator=(const SafeFileWriter&) = delete;

    // Creates the temporary file. On failure error() says why.
    bool open();
    // The stream to write the content to; valid after a successful open().
    std::ostream& stream();
    // Flushes, closes and renames the temporary file over the target.
    bool commit();

    const FileError& error() const { return error_; }

private:
    bool fail(int errorNumber);
    void discard();

    std::string targetPath_;
    std::string writtenPath_;  // the target, or the file a link there points to
    std::string temporaryPath_;
    int descriptor_ = -1;
    class DescriptorBuffer;
    std::unique_ptr<DescriptorBuffer> buffer_;
    std::unique_ptr<std::ostream> stream_;
    FileError error_;
};

// Writes the file at path with the content that writeContent puts into the stream.
// Returns the error when the file could not be written; the old file is then untouched.
std::optional<FileError> writeFileSafely(const std::string& path,
                                         const std::function<void(std::ostream&)>& writeContent);

}  // namespace korvela
