#pragma once

#include <sys/types.h>

#include <functional>
#include <memory>
#include <optional>
#include <ostream>
#include <string>

#include "common/file_error.h"
#include "common/temporary_path_guard.h"

namespace korvela {

// The path that stands for the standard output (the batch convention of `-` as OUT).
inline constexpr const char* kStandardOutputPath = "-";

// Writes a file so that a failure never damages what was there: the content goes into a
// temporary file with a short name in the target's folder, which replaces the target only
// when every byte has been written and flushed to disk; the folder is then synced, so the
// new name survives a power cut. The temporary file is removed on every failure and when
// SIGINT, SIGTERM or SIGHUP end the program. The new file keeps the old file's permissions.
//
// Targets that are not regular files: a link is followed (the file it points to is
// replaced, the link stays); a pipe, a character device (/dev/null, a terminal) and the
// standard output (kStandardOutputPath) are written straight into; a folder, a socket or
// a block device is refused, and so is an existing file without write permission.
class SafeFileWriter {
public:
    explicit SafeFileWriter(std::string targetPath);
    ~SafeFileWriter();  // discards the temporary file unless commit() succeeded
    SafeFileWriter(const SafeFileWriter&) = delete;
    SafeFileWriter& operator=(const SafeFileWriter&) = delete;

    // Creates the temporary file, or opens the pipe or device. On failure error() says why.
    bool open();
    // The stream to write the content to; valid after a successful open().
    std::ostream& stream();
    // Flushes, closes and renames the temporary file over the target.
    bool commit();

    const FileError& error() const { return error_; }

private:
    bool fail(int errorNumber);
    bool openDirect(int descriptor);
    bool openTemporary(mode_t mode);
    void attachStream();
    void discard();

    std::string targetPath_;
    std::string writtenPath_;  // the target, or the file a link there points to
    std::string temporaryPath_;
    std::optional<TemporaryPathGuard> temporaryGuard_;
    bool direct_ = false;  // writing straight into a pipe, a device or the standard output
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
