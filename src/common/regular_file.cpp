#include "common/regular_file.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace korvela {

RegularFile::~RegularFile() {
    if (mapping_ != nullptr) ::munmap(mapping_, size_);
    if (descriptor_ >= 0) ::close(descriptor_);
}

std::optional<FileError> RegularFile::open(const std::string& path) {
    const auto failure = [&](int errorNumber) {
        return FileError{FileError::Operation::Read, path, errorNumber};
    };
    path_ = path;
    // Without O_NONBLOCK, opening a pipe would wait for a writer before fstat could refuse it.
    descriptor_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (descriptor_ < 0) return failure(errno);
    struct stat status {};
    if (::fstat(descriptor_, &status) != 0) return failure(errno);
    if (S_ISDIR(status.st_mode)) return failure(EISDIR);
    if (!S_ISREG(status.st_mode)) return failure(kNotRegularFile);
    // A regular file's reads never wait, so the flag changes nothing; it goes for clarity.
    ::fcntl(descriptor_, F_SETFL, ::fcntl(descriptor_, F_GETFL) & ~O_NONBLOCK);
    size_ = static_cast<std::size_t>(status.st_size);
    return std::nullopt;
}

std::optional<FileError> RegularFile::map() {
    if (size_ == 0) return std::nullopt;
    void* mapping = ::mmap(nullptr, size_, PROT_READ, MAP_PRIVATE, descriptor_, 0);
    if (mapping == MAP_FAILED) return FileError{FileError::Operation::Read, path_, errno};
    mapping_ = mapping;
    ::madvise(mapping_, size_, MADV_SEQUENTIAL);
    return std::nullopt;
}

void RegularFile::release(std::size_t from, std::size_t to) const {
    if (mapping_ == nullptr) return;
    const std::size_t page = static_cast<std::size_t>(::sysconf(_SC_PAGESIZE));
    const std::size_t first = (from + page - 1) / page * page;
    const std::size_t last = to / page * page;
    if (first < last) ::madvise(static_cast<char*>(mapping_) + first, last - first, MADV_DONTNEED);
}

}  // namespace korvela
