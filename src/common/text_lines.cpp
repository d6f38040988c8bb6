#include "common/text_lines.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <vector>

#include "common/regular_file.h"

namespace korvela {
namespace {

constexpr std::size_t kBlockSize = 1 << 20;

std::string_view withoutTrailingCarriageReturn(std::string_view line) {
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    return line;
}

// Hands over the complete lines of a block. A line that runs on past the block's end is
// collected in `partial`, in front of which the earlier blocks' unfinished line stands.
// Returns false when the handler asked to stop.
bool splitBlock(std::string_view block, std::string& partial, const LineHandler& handleLine) {
    std::size_t start = 0;
    while (true) {
        const void* found = std::memchr(block.data() + start, '\n', block.size() - start);
        if (found == nullptr) break;
        const std::size_t end = static_cast<const char*>(found) - block.data();
        std::string_view line = block.substr(start, end - start);
        if (!partial.empty()) {
            partial.append(line);
            line = partial;
        }
        const bool goOn = handleLine(withoutTrailingCarriageReturn(line));
        partial.clear();
        if (!goOn) return false;
        start = end + 1;
    }
    partial.append(block.substr(start));
    return true;
}

}  // namespace

// The lines are views into the bytes, the last one too: a long last line is never copied.
void forEachLine(std::string_view bytes, const LineHandler& handleLine) {
    while (!bytes.empty()) {
        const std::size_t end = bytes.find('\n');
        if (end == std::string_view::npos) {
            handleLine(bytes);  // a last line without line end keeps its CR, as in a file
            return;
        }
        if (!handleLine(withoutTrailingCarriageReturn(bytes.substr(0, end)))) return;
        bytes.remove_prefix(end + 1);
    }
}

std::optional<FileError> forEachLineOfFile(const std::string& path, const LineHandler& handleLine) {
    const auto failure = [&](int errorNumber) {
        return FileError{FileError::Operation::Read, path, errorNumber};
    };
    RegularFile file;
    if (auto error = file.open(path)) return error;

    std::vector<char> block(kBlockSize);
    std::string partial;
    while (true) {
        const ssize_t count = ::read(file.descriptor(), block.data(), block.size());
        if (count < 0) {
            if (errno == EINTR) continue;
            return failure(errno);
        }
        if (count == 0) break;
        if (!splitBlock(std::string_view(block.data(), static_cast<std::size_t>(count)), partial,
                        handleLine)) {
            return std::nullopt;
        }
    }
    if (!partial.empty()) handleLine(partial);
    return std::nullopt;
}

}  // namespace korvela
