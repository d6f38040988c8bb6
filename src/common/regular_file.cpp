#include "common/regular_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace korvela {

RegularFile::~RegularFile() {
    if (descriptor_ >= 0) ::close(descriptor_);
}

std::optional<FileError> RegularFile::open(const std::string& path) {
    path_ = path;
    // Without O_NONBLOCK, opening a pipe would wait for a writer before fstat could refuse it.
    descriptor_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (descriptor_ < 0) return readError(errno);
    struct stat status {};
    if (::fstat(descriptor_, &status) != 0) return readError(errno);
    if (S_ISDIR(status.st_mode)) return readError(EISDIR);
    if (!S_ISREG(status.st_mode)) return readError(kNotRegularFile);
    // A regular file's reads never wait, so the flag changes nothing; it goes for clarity.
    ::fcntl(descriptor_, F_SETFL, ::fcntl(descriptor_, F_GETFL) & ~O_NONBLOCK);
    size_ = static_cast<std::size_t>(status.st_size);
    modified_ = status.st_mtim;
    return std::nullopt;
}

std::optional<FileError> RegularFile::readAt(std::size_t offset, std::span<char> into) const {
    while (!into.empty()) {
        const ssize_t count =
            ::pread(descriptor_, into.data(), into.size(), static_cast<off_t>(offset));
        if (count < 0 && errno == EINTR) continue;
        if (count < 0) return readError(errno);
        if (count == 0) return readError(kChangedWhileReading);
        offset += static_cast<std::size_t>(count);
        into = into.subspan(static_cast<std::size_t>(count));
    }
    return std::nullopt;
}

std::optional<FileError> RegularFile::checkUnchanged() const {
    struct stat status {};
    if (::fstat(descriptor_, &status) != 0) return readError(errno);
    const bool unchanged = static_cast<std::size_t>(status.st_size) == size_ &&
                           status.st_mtim.tv_sec == modified_.tv_sec &&
                           status.st_mtim.tv_nsec == modified_.tv_nsec;
    if (unchanged) return std::nullopt;
    return readError(kChangedWhileReading);
}

FileError RegularFile::readError(int errorNumber) const {
    return FileError{FileError::Operation::Read, path_, errorNumber};
}

}  // namespace korvela
