#pragma once

#include <cstddef>
#include <ostream>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace korvela::cli {

// Exit statuses of korvela-cli.
inline constexpr int kSuccess = 0;
inline constexpr int kFileFailure = 1;  // a file that cannot be read or written
inline constexpr int kWrongArguments = 2;
inline constexpr int kNotice = 3;  // the task ended with a notice instead of a result

// An argument the command cannot take, found while it runs: the message (UTF-8) goes out with
// the command's usage, and the status is kWrongArguments.
class UsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A file that cannot be read or written, found where the command cannot return its status:
// the message (UTF-8) goes out, and the status is kFileFailure.
class FileFailure : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class InputFiles;

struct CommandContext {
    const std::vector<std::string>& arguments;  // after the command name
    InputFiles& inputs;                         // the paths the readers open
    std::ostream& out;                          // program bytes (Windows-1251)
    std::ostream& err;                          // messages (UTF-8)
};

struct Command {
    std::string_view name;
    std::string_view arguments;  // for the usage text
    std::string_view summary;
    std::size_t fewestArguments;
    std::size_t mostArguments;
    int (*run)(CommandContext& context);
};

// Every command korvela-cli knows, in the order --help lists them.
const std::vector<Command>& commands();

}  // namespace korvela::cli
