#include "common/safe_file_writer.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <streambuf>
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
constexpr const char* kTemporaryName = ".korvela-XXXXXX";

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

}  // namespace

SafeFileWriter::SafeFileWriter(std::string targetPath) : targetPath_(std::move(targetPath)) {
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
    if (targetPath_ == kStandardOutputPath) return openDirect(::dup(STDOUT_FILENO));

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
        return openTemporary(modeForNewFile());
    }
    if (S_ISDIR(target.st_mode)) return fail(EISDIR);
    if (S_ISFIFO(target.st_mode) || S_ISCHR(target.st_mode)) {
        return openDirect(::open(writtenPath_.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC));
    }
    if (!S_ISREG(target.st_mode)) return fail(kNotRegularFile);
    if (!hasWritePermission(writtenPath_, target)) return fail(kWriteProtected);
    return openTemporary(target.st_mode & 07777);
}

bool SafeFileWriter::openDirect(int descriptor) {
    if (descriptor < 0) return fail(errno);
    direct_ = true;
    descriptor_ = descriptor;
    attachStream();
    return true;
}

bool SafeFileWriter::openTemporary(mode_t mode) {
    std::string pattern = folderOf(writtenPath_) + '/' + kTemporaryName;
    descriptor_ = createGuardedTemporaryFile(pattern, temporaryGuard_);
    if (descriptor_ < 0) return fail(errno);
    temporaryPath_ = pattern;
    if (::fchmod(descriptor_, mode) != 0) return fail(errno);
    attachStream();
    return true;
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
    // A pipe or a device has nothing to sync, and nothing to rename.
    if (!direct_ && ::fsync(descriptor_) != 0) return fail(errno);
    const int descriptor = descriptor_;
    descriptor_ = -1;
    if (::close(descriptor) != 0) return fail(errno);
    if (!direct_) {
        if (::rename(temporaryPath_.c_str(), writtenPath_.c_str()) != 0) return fail(errno);
        temporaryPath_.clear();
        syncFolder(folderOf(writtenPath_));
    }
    discard();
    return true;
}

std::optional<FileError> writeFileSafely(const std::string& path,
                                         const std::function<void(std::ostream&)>& writeContent) {
    SafeFileWriter writer(path);
    if (!writer.open()) return writer.error();
    writeContent(writer.stream());
    if (!writer.commit()) return writer.error();
    return std::nullopt;
}

}  // namespace korvela
