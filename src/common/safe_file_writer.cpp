#include "common/safe_file_writer.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <memory>
#include <streambuf>
#include <string_view>
#include <vector>

#include "common/temporary_path_guard.h"

namespace korvela {

// A stream buffer over a file descriptor that remembers the first write error. Into a
// file it starts the disk writes every few dozen megabytes: a file of gigabytes then never
// piles up as unwritten memory that stalls the machine, and the final sync is short.
class SafeFileWriter::DescriptorBuffer : public std::streambuf {
public:
    DescriptorBuffer(int descriptor, bool isFile)
        : descriptor_(descriptor), isFile_(isFile), buffer_(1 << 20) {
        setp(buffer_.data(), buffer_.data() + buffer_.size());
    }

    int errorNumber() const { return errorNumber_; }

    bool flushAll() { return sync() == 0; }

protected:
    int_type overflow(int_type c) override {
        if (!flushAll()) return traits_type::eof();
        if (!traits_type::eq_int_type(c, traits_type::eof())) {
            *pptr() = traits_type::to_char_type(c);
            pbump(1);
        }
        return traits_type::not_eof(c);
    }

    std::streamsize xsputn(const char* data, std::streamsize count) override {
        if (count > epptr() - pptr()) {
            if (!flushAll()) return 0;
            if (count >= static_cast<std::streamsize>(buffer_.size())) {
                return writeAll(data, static_cast<std::size_t>(count)) ? count : 0;
            }
        }
        std::copy(data, data + count, pptr());
        pbump(static_cast<int>(count));
        return count;
    }

    int sync() override {
        const std::size_t pending = static_cast<std::size_t>(pptr() - pbase());
        const bool written = writeAll(pbase(), pending);
        setp(buffer_.data(), buffer_.data() + buffer_.size());
        return written ? 0 : -1;
    }

private:
    bool writeAll(const char* data, std::size_t count) {
        if (errorNumber_ != 0) return false;
        while (count > 0) {
            const ssize_t written = ::write(descriptor_, data, count);
            if (written < 0) {
                if (errno == EINTR) continue;
                errorNumber_ = errno;
                return false;
            }
            data += written;
            count -= static_cast<std::size_t>(written);
            writtenBytes_ += static_cast<std::uint64_t>(written);
        }
        if (isFile_ && writtenBytes_ - writebackStart_ >= kWritebackChunk) {
            return startWriteback();
        }
        return true;
    }

    // Starting the disk writes is a hint only: the data is safe once commit syncs the file.
    bool startWriteback() {
        ::sync_file_range(descriptor_, static_cast<off_t>(writebackStart_),
                          static_cast<off_t>(writtenBytes_ - writebackStart_),
                          SYNC_FILE_RANGE_WRITE);
        if (writtenBytes_ > kDropBehindFrom && !dropFromCache(previousStart_, writebackStart_)) {
            return false;
        }
        previousStart_ = writebackStart_;
        writebackStart_ = writtenBytes_;
        return true;
    }

    // A file of gigabytes would push everything else out of memory, and making room for it
    // costs more than writing: past kDropBehindFrom the chunk before the last, on disk once
    // waited for, leaves the cache. Smaller files stay cached for whoever reads them next.
    // Waiting reports a failed disk write once, and the final sync would not see it again:
    // it is this file's error then.
    bool dropFromCache(std::uint64_t from, std::uint64_t to) {
        const auto start = static_cast<off_t>(from);
        const auto length = static_cast<off_t>(to - from);
        if (::sync_file_range(descriptor_, start, length,
                              SYNC_FILE_RANGE_WAIT_BEFORE | SYNC_FILE_RANGE_WRITE |
                                  SYNC_FILE_RANGE_WAIT_AFTER) != 0) {
            if (errno == EINVAL || errno == ENOSYS || errno == ESPIPE) return true;  // unsupported
            errorNumber_ = errno;
            return false;
        }
        ::posix_fadvise(descriptor_, start, length, POSIX_FADV_DONTNEED);
        return true;
    }

    static constexpr std::uint64_t kWritebackChunk = std::uint64_t{32} << 20;
    static constexpr std::uint64_t kDropBehindFrom = std::uint64_t{1} << 30;

    int descriptor_;
    bool isFile_;
    std::uint64_t writtenBytes_ = 0;
    std::uint64_t writebackStart_ = 0;
    std::uint64_t previousStart_ = 0;
    std::vector<char> buffer_;
    int errorNumber_ = 0;
};

namespace {

// Fixed length, however long the target's name: every legal name can be written.
constexpr std::string_view kTemporaryPrefix = ".korvela-";
constexpr const char* kTemporaryName = ".korvela-XXXXXX";
constexpr const char* kOldContentCopyName = ".korvela-copy-XXXXXX";
constexpr std::size_t kTemporaryRandomLength = 6;
// No write goes on for a day: a temporary file that old was left by a killed program.
constexpr time_t kStaleTemporaryAge = 24 * 60 * 60;

std::string folderOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

// The rename is durable only once the folder's entry is on disk. Best effort: some file
// systems cannot sync a folder, and the file itself is already safe.
void syncFolder(const std::string& folder) {
    const int descriptor = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (descriptor < 0) return;
    ::fsync(descriptor);
    ::close(descriptor);
}

mode_t modeForNewFile() {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

bool hasWritePermission(const std::string& path, const struct stat& status) {
    // Root may write anything; a file nobody may write is still meant to stay as it is.
    return (status.st_mode & 0222) != 0 && ::access(path.c_str(), W_OK) == 0;
}

// The standard output under another name: /dev/stdout, /proc/self/fd/1, or the file itself
// that `>` or `>>` opened. Replacing that file would undo the shell's redirection.
bool isStandardOutput(const std::string& path) {
    struct stat output {};
    struct stat target {};
    return ::fstat(STDOUT_FILENO, &output) == 0 && ::stat(path.c_str(), &target) == 0 &&
           output.st_dev == target.st_dev && output.st_ino == target.st_ino;
}

bool makeBlocking(int descriptor) {
    const int flags = ::fcntl(descriptor, F_GETFL);
    return flags >= 0 && ::fcntl(descriptor, F_SETFL, flags & ~O_NONBLOCK) == 0;
}

// A name mkstemp made from kTemporaryName: the prefix and exactly six letters or digits.
bool isTemporaryName(std::string_view name) {
    if (name.size() != kTemporaryPrefix.size() + kTemporaryRandomLength ||
        !name.starts_with(kTemporaryPrefix)) {
        return false;
    }
    return std::all_of(name.begin() + kTemporaryPrefix.size(), name.end(),
                       [](char c) { return std::isalnum(static_cast<unsigned char>(c)) != 0; });
}

// A writer killed outright (SIGKILL, a power cut) cannot remove its named temporary file.
void removeStaleTemporaryFiles(const std::string& folder) {
    DIR* const entries = ::opendir(folder.c_str());
    if (entries == nullptr) return;
    const time_t staleBefore = ::time(nullptr) - kStaleTemporaryAge;
    while (const dirent* entry = ::readdir(entries)) {
        if (!isTemporaryName(entry->d_name)) continue;
        struct stat status {};
        if (::fstatat(::dirfd(entries), entry->d_name, &status, AT_SYMLINK_NOFOLLOW) == 0 &&
            S_ISREG(status.st_mode) && status.st_mtime < staleBefore) {
            ::unlinkat(::dirfd(entries), entry->d_name, 0);
        }
    }
    ::closedir(entries);
}

// Copies the whole content of one file over another from the start, leaving it that long, and
// syncs it. Returns 0, or the error number.
int copyContent(int from, int to) {
    std::vector<char> buffer(1 << 20);
    off_t offset = 0;
    while (true) {
        const ssize_t count = ::pread(from, buffer.data(), buffer.size(), offset);
        if (count < 0 && errno == EINTR) continue;
        if (count < 0) return errno;
        if (count == 0) break;
        for (ssize_t done = 0; done < count;) {
            const ssize_t written = ::pwrite(to, buffer.data() + done,
                                             static_cast<std::size_t>(count - done), offset + done);
            if (written < 0 && errno == EINTR) continue;
            if (written < 0) return errno;
            done += written;
        }
        offset += count;
    }
    if (::ftruncate(to, offset) != 0 || ::fsync(to) != 0) return errno;
    return 0;
}

}  // namespace

SafeFileWriter::SafeFileWriter(std::string targetPath, PipeWithoutReader pipeWithoutReader)
    : targetPath_(std::move(targetPath)), pipeWithoutReader_(pipeWithoutReader) {
    error_.operation = FileError::Operation::Write;
    error_.path = targetPath_;
}

SafeFileWriter::~SafeFileWriter() { discard(); }

bool SafeFileWriter::fail(int errorNumber) {
    error_.errorNumber = errorNumber;
    discard();
    return false;
}

void SafeFileWriter::discard() {
    stream_.reset();
    buffer_.reset();
    if (descriptor_ >= 0) {
        ::close(descriptor_);
        descriptor_ = -1;
    }
    if (!temporaryPath_.empty()) {
        ::unlink(temporaryPath_.c_str());
        temporaryPath_.clear();
    }
    temporaryGuard_.reset();
}

bool SafeFileWriter::open() {
    if (targetPath_ == kStandardOutputPath || isStandardOutput(targetPath_)) {
        return openDirect(::dup(STDOUT_FILENO));
    }

    // A link is followed: the file it points to is the one replaced, the link stays.
    if (char* resolved = ::realpath(targetPath_.c_str(), nullptr)) {
        writtenPath_ = resolved;
        std::free(resolved);
    } else if (errno == ENOENT) {
        writtenPath_ = targetPath_;  // a new file, or a link to one
    } else {
        return fail(errno);
    }

    struct stat target {};
    if (::stat(writtenPath_.c_str(), &target) != 0) {
        if (errno != ENOENT) return fail(errno);
        return openTemporary(modeForNewFile(), nullptr);
    }
    if (S_ISDIR(target.st_mode)) return fail(EISDIR);
    if (S_ISFIFO(target.st_mode) || S_ISCHR(target.st_mode)) {
        return openPipeOrDevice(S_ISFIFO(target.st_mode));
    }
    if (!S_ISREG(target.st_mode)) return fail(kNotRegularFile);
    if (!hasWritePermission(writtenPath_, target)) return fail(kWriteProtected);
    return openTemporary(target.st_mode & 07777, &target);
}

bool SafeFileWriter::openDirect(int descriptor) {
    if (descriptor < 0) return fail(errno);
    direct_ = true;
    descriptor_ = descriptor;
    attachStream();
    return true;
}

// Opening a pipe waits for its reader unless told not to; without waiting, a pipe without a
// reader refuses the open (ENXIO).
bool SafeFileWriter::openPipeOrDevice(bool isPipe) {
    const bool refuse = isPipe && pipeWithoutReader_ == PipeWithoutReader::Refuse;
    const int flags = O_WRONLY | O_NOCTTY | O_CLOEXEC;
    const int descriptor = ::open(writtenPath_.c_str(), refuse ? flags | O_NONBLOCK : flags);
    if (descriptor < 0 && refuse && errno == ENXIO) return fail(kNoPipeReader);
    if (!openDirect(descriptor)) return false;
    // Once the reader is there, writes wait for it to take the bytes, as usual.
    if (refuse && !makeBlocking(descriptor_)) return fail(errno);
    return true;
}

bool SafeFileWriter::openTemporary(mode_t mode, const struct stat* replaced) {
    const std::string folder = folderOf(writtenPath_);
    removeStaleTemporaryFiles(folder);
    if (!createTemporary(folder)) return fail(errno);
    if (replaced != nullptr && !keepOwner(*replaced)) return fail(errno);
    if (::fchmod(descriptor_, mode) != 0) return fail(errno);
    attachStream();
    return true;
}

// A file without a name where the file system can make one, a named one where it cannot.
// Readable too: rewriting the old file in place copies from it.
bool SafeFileWriter::createTemporary(const std::string& folder) {
    descriptor_ = ::open(folder.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
    if (descriptor_ >= 0) return true;
    if (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL) return false;
    std::string pattern = folder + '/' + kTemporaryName;
    descriptor_ = createGuardedTemporaryFile(pattern, temporaryGuard_);
    if (descriptor_ < 0) return false;
    temporaryPath_ = pattern;
    return true;
}

// Gives the new file the old one's owner and group. Only root may give a file away: for
// another user's file the old file takes the new content in place at the commit instead.
bool SafeFileWriter::keepOwner(const struct stat& replaced) {
    struct stat created {};
    if (::fstat(descriptor_, &created) != 0) return false;
    if (created.st_uid == replaced.st_uid && created.st_gid == replaced.st_gid) return true;
    if (::fchown(descriptor_, replaced.st_uid, replaced.st_gid) == 0) return true;
    inPlace_ = errno == EPERM;
    return inPlace_;
}

void SafeFileWriter::attachStream() {
    buffer_ = std::make_unique<DescriptorBuffer>(descriptor_, !direct_);
    stream_ = std::make_unique<std::ostream>(buffer_.get());
}

std::ostream& SafeFileWriter::stream() { return *stream_; }

bool SafeFileWriter::commit() {
    if (descriptor_ < 0) return false;
    if (!buffer_->flushAll() || !stream_->good()) {
        return fail(buffer_->errorNumber() != 0 ? buffer_->errorNumber() : EIO);
    }
    // A pipe or a device has nothing to sync, and nothing to replace. The new file is synced
    // before it replaces the target, and named before its descriptor closes: closing a file
    // without a name ends it.
    const bool placed = direct_ ? closeDescriptor() : ::fsync(descriptor_) == 0 && replaceTarget();
    if (!placed) return fail(errno);
    discard();
    return true;
}

bool SafeFileWriter::closeDescriptor() {
    const int descriptor = descriptor_;
    descriptor_ = -1;
    return ::close(descriptor) == 0;
}

// Puts the synced new file in the target's place: renamed over it, or copied into it.
bool SafeFileWriter::replaceTarget() {
    if (inPlace_) return rewriteInPlace();
    // A file without a name gets one first: only a name can be renamed.
    if (temporaryPath_.empty()) {
        std::string pattern = folderOf(writtenPath_) + '/' + kTemporaryName;
        if (!linkGuardedTemporaryFile(descriptor_, pattern, temporaryGuard_)) return false;
        temporaryPath_ = pattern;
    }
    if (::rename(temporaryPath_.c_str(), writtenPath_.c_str()) != 0) return false;
    temporaryPath_.clear();
    syncFolder(folderOf(writtenPath_));
    return true;
}

// The old file takes the new content; a synced copy of its old content waits beside it until
// the new content is on disk, and goes back in when that fails.
bool SafeFileWriter::rewriteInPlace() {
    const int target = ::open(writtenPath_.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (target < 0) return false;
    std::string copyPath = folderOf(writtenPath_) + '/' + kOldContentCopyName;
    const int copy = ::mkostemp(copyPath.data(), O_CLOEXEC);
    int errorNumber = copy < 0 ? errno : copyContent(target, copy);
    if (errorNumber == 0) {
        errorNumber = copyContent(descriptor_, target);
        if (errorNumber == 0 || copyContent(copy, target) == 0) ::unlink(copyPath.c_str());
    } else if (copy >= 0) {
        ::unlink(copyPath.c_str());
    }
    if (copy >= 0) ::close(copy);
    ::close(target);
    errno = errorNumber;
    return errorNumber == 0;
}

std::optional<FileError> writeFileSafely(const std::string& path,
                                         const std::function<void(std::ostream&)>& writeContent,
                                         PipeWithoutReader pipeWithoutReader) {
    SafeFileWriter writer(path, pipeWithoutReader);
    if (!writer.open()) return writer.error();
    writeContent(writer.stream());
    if (!writer.commit()) return writer.error();
    return std::nullopt;
}

}  // namespace korvela
