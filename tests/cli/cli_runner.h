#pragma once

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <map>
#include <string>
#include <vector>

#include "test_support.h"

namespace korvela::testing {

struct CliResult {
    int status = -1;  // -1 when the program did not exit by itself
    std::string out;
    std::string err;
    double peakMiB = 0;  // the program's peak resident memory
};

// korvela-cli running in a child process with the arguments (and extra environment
// variables), its output streams caught in files of a temporary folder; its standard input is
// the descriptor `input` when one is given.
class CliProcess {
public:
    explicit CliProcess(const std::vector<std::string>& arguments,
                        const std::map<std::string, std::string>& environment = {},
                        int input = -1) {
        child_ = ::fork();
        if (child_ != 0) return;
        const int out = ::open(outPath().c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        const int err = ::open(errPath().c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        ::dup2(out, STDOUT_FILENO);
        ::dup2(err, STDERR_FILENO);
        ::close(out);
        ::close(err);
        if (input >= 0) ::dup2(input, STDIN_FILENO);
        for (const auto& [name, value] : environment) ::setenv(name.c_str(), value.c_str(), 1);
        std::vector<char*> argv;
        argv.push_back(const_cast<char*>(KORVELA_CLI));
        for (const std::string& argument : arguments)
            argv.push_back(const_cast<char*>(argument.c_str()));
        argv.push_back(nullptr);
        ::execv(KORVELA_CLI, argv.data());
        ::_exit(127);
    }
    CliProcess(const CliProcess&) = delete;
    CliProcess& operator=(const CliProcess&) = delete;

    pid_t pid() const { return child_; }

    // Waits for the program to end.
    CliResult finish() {
        int waitStatus = 0;
        rusage usage{};
        ::wait4(child_, &waitStatus, 0, &usage);
        CliResult result;
        result.status = WIFEXITED(waitStatus) ? WEXITSTATUS(waitStatus) : -1;
        result.out = readFile(outPath());
        result.err = readFile(errPath());
        result.peakMiB = static_cast<double>(usage.ru_maxrss) / 1024;
        return result;
    }

private:
    std::string outPath() const { return capture_.file("stdout"); }
    std::string errPath() const { return capture_.file("stderr"); }

    TempDir capture_;
    pid_t child_ = -1;
};

// Runs korvela-cli to its end; its standard input is the file standardInput when one is named.
inline CliResult runCli(const std::vector<std::string>& arguments,
                        const std::map<std::string, std::string>& environment = {},
                        const std::string& standardInput = {}) {
    const int input =
        standardInput.empty() ? -1 : ::open(standardInput.c_str(), O_RDONLY | O_CLOEXEC);
    CliProcess process(arguments, environment, input);
    if (input >= 0) ::close(input);
    return process.finish();
}

}  // namespace korvela::testing
