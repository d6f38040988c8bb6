#include "common/file_bytes.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

namespace korvela {
namespace {

struct Descriptor {
    int value = -1;
    ~Descriptor() {
        if (value >= 0) ::close(value);
    }
};

constexpr std::size_t kSmallestRoom = 1 << 16;

}  // namespace

std::variant<std::string, FileError> readFileBytes(const std::string& path) {
    const auto failure = [&](int errorNumber) {
        return FileError{FileError::Operation::Read, path, errorNumber};
    };
    Descriptor file;
    file.value = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (file.value < 0) return failure(errno);
    struct stat status {};
    if (::fstat(file.value, &status) != 0) return failure(errno);
    if (S_ISDIR(status.st_mode)) return failure(EISDIR);

    // The size is a hint only: a file that is not regular, or that changes, is read to its end.
    std::string bytes;
    bytes.resize(std::max<std::size_t>(static_cast<std::size_t>(std::max<off_t>(status.st_size, 0)) + 1,
                                       kSmallestRoom));
    std::size_t filled = 0;
    while (true) {
        if (filled == bytes.size()) bytes.resize(bytes.size() * 2);
        const ssize_t count = ::read(file.value, bytes.data() + filled, bytes.size() - filled);
        if (count < 0) {
            if (errno == EINTR) continue;
            return failure(errno);
        }
        if (count == 0) break;
        filled += static_cast<std::size_t>(count);
    }
    bytes.resize(filled);
    return bytes;
}

}  // namespace korvela
