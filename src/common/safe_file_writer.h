#pragma once

#include <sys/stat.h>
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

// What opening a pipe does when no program reads from it yet: a window refuses at once
// ("никто не читает из канала") rather than stop answering; a batch run waits for the reader,
// as pipelines do.
enum class PipeWithoutReader { Refuse, Wait };

// Writes a file so that a failure never damages what was there: the content goes into a new
// file in the target's folder, which replaces the target only when every byte has been written
// and flushed to disk; the folder is then synced, so the new name survives a power cut. Where
// the file system allows, the new file has no name while it is written (O_TMPFILE) and gets a
// short hidden one (.korvela-XXXXXX) only to be renamed over the target, so a program killed
// outright leaves nothing behind; elsewhere it is written under that name. A named temporary
// file is removed on every failure and when SIGINT, SIGTERM or SIGHUP end the program; one a
// killed program left is removed by the first write into its folder once it is a day old
// (regular files of that exact name form only, links never followed).
//
// The new file keeps the old file's permissions, owner and group. Where the owner cannot be
// given (another user's file in a folder this user may write into), the old file is rewritten
// in place once the new content is complete: a copy of its old content (.korvela-copy-XXXXXX)
// waits beside it until the new content is on disk and is then removed; when rewriting fails
// the copy goes back in, and should even that fail the copy stays.
//
// Targets that are not regular files: a link is followed (the file it points to is
// replaced, the link stays); the standard output (kStandardOutputPath, /dev/stdout, or any
// path to the file, pipe or device behind descriptor 1, as `>>` gives it) is written straight
// into at its place, and so are a pipe and a character device (/dev/null, a terminal), a pipe
// without a reader as the caller's PipeWithoutReader says; a folder, a socket or a block
// device is refused, and so is an existing file without write permission.
class SafeFileWriter {
public:
    explicit SafeFileWriter(std::string targetPath,
                            PipeWithoutReader pipeWithoutReader = PipeWithoutReader::Refuse);
    ~SafeFileWriter();  // discards the temporary file unless commit() succeeded
    SafeFileWriter(const SafeFileWriter&) = delete;
    SafeFileWriter& operator=(const SafeFileWriter&) = delete;

    // Creates the temporary file, or opens the pipe or device. On failure error() says why.
    bool open();
    // The stream to write the content to; valid after a successful open().
    std::ostream& stream();
    // Flushes and syncs the new file and puts it in the target's place.
    bool commit();

    const FileError& error() const { return error_; }

private:
    bool fail(int errorNumber);
    bool openDirect(int descriptor);
    bool openPipeOrDevice(bool isPipe);
    bool openTemporary(mode_t mode, const struct stat* replaced);
    bool createTemporary(const std::string& folder);
    bool keepOwner(const struct stat& replaced);
    void attachStream();
    bool closeDescriptor();
    bool replaceTarget();
    bool rewriteInPlace();
    void discard();

    std::string targetPath_;
    PipeWithoutReader pipeWithoutReader_;
    std::string writtenPath_;    // the target, or the file a link there points to
    std::string temporaryPath_;  // empty while the new file has no name
    std::optional<TemporaryPathGuard> temporaryGuard_;
    bool direct_ = false;   // writing straight into a pipe, a device or the standard output
    bool inPlace_ = false;  // the old file takes the new content: its owner cannot be given
    int descriptor_ = -1;
    class DescriptorBuffer;
    std::unique_ptr<DescriptorBuffer> buffer_;
    std::unique_ptr<std::ostream> stream_;
    FileError error_;
};

// Writes the file at path with the content that writeContent puts into the stream.
// Returns the error when the file could not be written; the old file is then untouched.
std::optional<FileError> writeFileSafely(
    const std::string& path, const std::function<void(std::ostream&)>& writeContent,
    PipeWithoutReader pipeWithoutReader = PipeWithoutReader::Refuse);

}  // namespace korvela
