#include "cli/standard_input.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <optional>

#include "cli/cli_command.h"
#include "cli/option_number.h"
#include "common/file_error.h"

namespace korvela::cli {
namespace {

constexpr std::string_view kStandardInputArgument = "-";
constexpr std::size_t kCopyBlockSize = std::size_t{1} << 20;

constexpr NumberOption kLimitOption{
    "--stdin-limit", "a whole number of bytes up to 2^53, K, M or G may follow", isCount, true};

std::string temporaryFolder() {
    const char* folder = std::getenv("TMPDIR");
    return folder != nullptr && *folder != '\0' ? folder : "/tmp";
}

// An empty file in the folder that no other program can open by name: one that never has a
// name, or, where the file system cannot make such a file, one whose name goes at once.
int anonymousFile(const std::string& folder) {
    const int unnamed = ::open(folder.c_str(), O_TMPFILE | O_RDWR | O_EXCL | O_CLOEXEC, 0600);
    if (unnamed >= 0) return unnamed;
    std::string name = folder + "/korvela-stdin-XXXXXX";
    const int named = ::mkostemp(name.data(), O_CLOEXEC);
    if (named >= 0) ::unlink(name.c_str());
    return named;
}

FileError standardInputError(int errorNumber, std::string reason = {}) {
    return FileError{FileError::Operation::Read, std::string(kStandardInputArgument), errorNumber,
                     std::move(reason)};
}

FileError copyError(const std::string& folder, int errorNumber) {
    return standardInputError(
        0, "не удаётся записать его копию в папку " + folder + ": " + fileErrorReason(errorNumber));
}

bool writeAll(int descriptor, const char* bytes, std::size_t count) {
    while (count > 0) {
        const ssize_t written = ::write(descriptor, bytes, count);
        if (written < 0 && errno == EINTR) continue;
        if (written < 0) return false;
        bytes += written;
        count -= static_cast<std::size_t>(written);
    }
    return true;
}

// Copies the standard input into the file; the error when it cannot be read or written, or
// when it holds more than limit bytes (then no more than the limit is written).
std::optional<FileError> copyStandardInput(int into, std::uint64_t limit,
                                           const std::string& folder) {
    std::vector<char> block(kCopyBlockSize);
    std::uint64_t copied = 0;
    while (true) {
        const ssize_t count = ::read(STDIN_FILENO, block.data(), block.size());
        if (count < 0 && errno == EINTR) continue;
        if (count < 0) return standardInputError(errno);
        if (count == 0) return std::nullopt;
        copied += static_cast<std::uint64_t>(count);
        if (copied > limit) {
            return standardInputError(0, "в нём больше " + std::to_string(limit) +
                                             " байт (предел стандартного ввода; другой задаёт "
                                             "опция " +
                                             std::string(kLimitOption.name) + ")");
        }
        if (!writeAll(into, block.data(), static_cast<std::size_t>(count))) {
            return copyError(folder, errno);
        }
    }
}

}  // namespace

bool isStandardInput(std::string_view argument) { return argument == kStandardInputArgument; }

std::uint64_t takeStandardInputLimit(std::vector<std::string>& arguments) {
    std::uint64_t limit = kDefaultStandardInputLimit;
    for (auto option = std::find(arguments.begin(), arguments.end(), kLimitOption.name);
         option != arguments.end();
         option = std::find(option, arguments.end(), kLimitOption.name)) {
        if (option + 1 == arguments.end()) {
            throw UsageError(std::string(kLimitOption.name) + " needs a value (" +
                             std::string(kLimitOption.takes) + ")");
        }
        limit = static_cast<std::uint64_t>(optionNumber(kLimitOption, option[1]));
        option = arguments.erase(option, option + 2);
    }
    return limit;
}

InputFiles::~InputFiles() {
    if (copy_ >= 0) ::close(copy_);
}

std::string InputFiles::path(const std::string& argument) {
    if (!isStandardInput(argument)) return argument;
    if (copy_ >= 0) {
        throw UsageError(
            "стандартный ввод читается только один раз: вместо второго «-» этой команде нужен "
            "файл");
    }
    // A closed standard input is an error of its own, before the copy could take its number.
    if (::fcntl(STDIN_FILENO, F_GETFD) < 0) throw FileFailure(standardInputError(errno).message());
    const std::string folder = temporaryFolder();
    const int copy = anonymousFile(folder);
    if (copy < 0) throw FileFailure(copyError(folder, errno).message());
    if (auto error = copyStandardInput(copy, limit_, folder)) {
        ::close(copy);
        throw FileFailure(error->message());
    }
    copy_ = copy;
    // The file's own entry among the process's descriptors opens it again, from its start.
    return "/proc/self/fd/" + std::to_string(copy_);
}

}  // namespace korvela::cli
