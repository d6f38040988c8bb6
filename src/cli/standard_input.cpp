#include "cli/standard_input.h"

#include <unistd.h>

#include <cerrno>

#include "cli/cli_command.h"

namespace korvela::cli {
namespace {

constexpr std::string_view kStandardInputArgument = "-";

}  // namespace

bool isStandardInput(std::string_view argument) { return argument == kStandardInputArgument; }

std::optional<FileError> readStandardInput(std::string& bytes) {
    // The standard input belongs to the whole process, so whether it was read is kept here.
    static bool alreadyRead = false;
    if (alreadyRead) {
        throw UsageError(
            "стандартный ввод читается только один раз: вместо второго «-» этой команде нужен "
            "файл");
    }
    alreadyRead = true;
    char block[1 << 16];
    while (true) {
        const ssize_t count = ::read(STDIN_FILENO, block, sizeof block);
        if (count < 0 && errno == EINTR) continue;
        if (count < 0) {
            return FileError{FileError::Operation::Read, std::string(kStandardInputArgument),
                             errno};
        }
        if (count == 0) return std::nullopt;
        bytes.append(block, static_cast<std::size_t>(count));
    }
}

}  // namespace korvela::cli
