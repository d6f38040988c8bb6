#include "common/safe_file_writer.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <streambuf>
#include <vector>

namespace korvela {

// A stream buffer over a file descriptor that remembers the first write error.
class SafeFileWriter::DescriptorBuffer : public std::streambuf {
public:
    explicit DescriptorBuffer(int descriptor) : descriptor_(descriptor), buffer_(1 << 20) {
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
        }
        return true;
    }

    int descriptor_;
    std::vector<char> buffer_;
    int errorNumber_ = 0;
};

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
}

bool SafeFileWriter::open() {
    struct stat target {};
    if (::stat(targetPath_.c_str(), &target) == 0 && S_ISDIR(target.st_mode)) return fail(EISDIR);

    // A link is followed: the file it points to is the one replaced, the link stays.
    if (char* resolved = ::realpath(targetPath_.c_str(), nullptr)) {
        writtenPath_ = resolved;
        std::free(resolved);
    } else {
        writtenPath_ = targetPath_;
    }
    std::string pattern = writtenPath_ + ".XXXXXX";
    descriptor_ = ::mkstemp(pattern.data());
    if (descriptor_ < 0) return fail(errno);
    temporaryPath_ = pattern;

    // The new file gets the old file's permissions, or those of any newly created file.
    mode_t mode = 0;
    if (::stat(writtenPath_.c_str(), &target) == 0) {
        mode = target.st_mode & 07777;
    } else {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        mode = 0666 & ~mask;
    }
    ::fchmod(descriptor_, mode);

    buffer_ = std::make_unique<DescriptorBuffer>(descriptor_);
    stream_ = std::make_unique<std::ostream>(buffer_.get());
    return true;
}

std::ostream& SafeFileWriter::stream() { return *stream_; }

bool SafeFileWriter::commit() {
    if (descriptor_ < 0) return false;
    if (!buffer_->flushAll() || !stream_->good()) {
        return fail(buffer_->errorNumber() != 0 ? buffer_->errorNumber() : EIO);
    }
    if (::fsync(descriptor_) != 0) return fail(errno);
    const int descriptor = descriptor_;
    descriptor_ = -1;
    if (::close(descriptor) != 0) return fail(errno);
    if (::rename(temporaryPath_.c_str(), writtenPath_.c_str()) != 0) return fail(errno);
    temporaryPath_.clear();
    stream_.reset();
    buffer_.reset();
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
