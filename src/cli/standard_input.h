#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace korvela::cli {

// Whether an input file argument is `-`, which stands for the standard input.
bool isStandardInput(std::string_view argument);

// The most bytes a command reads from the standard input unless --stdin-limit sets another
// number: 2 GiB.
inline constexpr std::uint64_t kDefaultStandardInputLimit = std::uint64_t{2} << 30;

// Takes every `--stdin-limit BYTES` out of a command's arguments, wherever it stands; returns
// the last value given, or the default. Throws UsageError for a value that is no whole number
// of bytes (K, M or G may follow) or for a missing one.
std::uint64_t takeStandardInputLimit(std::vector<std::string>& arguments);

// The input files of one command. Every reader opens its input by a path; a `-` stands for the
// standard input, which is first copied into an anonymous temporary file (in $TMPDIR, else
// /tmp) so that the same file reader reads it as it reads a file given by name, at the same
// memory cost, however long the input. The copy never has a name another program could find
// it by, or loses it at once, and is gone with the process however the process ends.
class InputFiles {
public:
    explicit InputFiles(std::uint64_t standardInputLimit) : limit_(standardInputLimit) {}
    ~InputFiles();
    InputFiles(const InputFiles&) = delete;
    InputFiles& operator=(const InputFiles&) = delete;

    // The path a file reader opens for the input argument: the argument itself, or for `-`
    // the copy of the standard input; the reader's errors name the path, which the command
    // replaces by the argument. The standard input can be read only once: a second `-` throws
    // UsageError, as the command needs a file there. Throws FileFailure when the standard
    // input cannot be read or copied, or holds more bytes than the limit.
    std::string path(const std::string& argument);

private:
    std::uint64_t limit_;
    int copy_ = -1;  // the copy of the standard input, once made
};

}  // namespace korvela::cli
