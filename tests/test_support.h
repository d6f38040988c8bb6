#pragma once

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

namespace korvela::testing {

// A fresh folder for one test, removed with everything in it afterwards.
class TempDir {
public:
    TempDir() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "korvela-test-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
        path_ = pattern;
    }
    ~TempDir() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& path() const { return path_; }
    std::string file(const std::string& name) const { return (path_ / name).string(); }

private:
    std::filesystem::path path_;
};

inline void writeFile(const std::string& path, const std::string& bytes) {
    std::ofstream file(path, std::ios::binary);
    file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!file) throw std::runtime_error("cannot write " + path);
}

inline std::string readFile(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    if (!file) throw std::runtime_error("cannot read " + path);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

// Runs check in a child process; returns its peak resident memory in MiB, or -1 when the
// check failed there. The child starts with what the test process holds at the fork.
template <typename Check>
double childPeakMiB(Check&& check) {
    const pid_t child = ::fork();
    if (child == 0) ::_exit(check() ? 0 : 1);
    int status = 0;
    rusage usage{};
    if (child < 0 || ::wait4(child, &status, 0, &usage) != child || !WIFEXITED(status) ||
        WEXITSTATUS(status) != 0) {
        return -1;
    }
    return static_cast<double>(usage.ru_maxrss) / 1024;
}

// Writes a file of texts, each repeated its count of times, without holding the file in memory
// (a child process measured afterwards starts with the test's memory). Returns its size.
inline std::size_t writeRepeated(const std::string& path,
                                 const std::vector<std::pair<std::string, std::size_t>>& parts) {
    std::ofstream file(path, std::ios::binary);
    std::size_t size = 0;
    for (const auto& [text, count] : parts) {
        const std::size_t perPiece =
            std::max<std::size_t>(1, 4096 / std::max<std::size_t>(1, text.size()));
        std::string piece;
        for (std::size_t i = 0; i < std::min(count, perPiece); ++i) piece += text;
        for (std::size_t left = count; left > 0;) {
            const std::size_t now = std::min(left, perPiece);
            file.write(piece.data(), static_cast<std::streamsize>(now * text.size()));
            left -= now;
        }
        size += text.size() * count;
    }
    if (!file) throw std::runtime_error("cannot write " + path);
    return size;
}

// A change another program makes to a file after a reader opened it, and whether the reading
// must then fail ("файл изменился во время чтения").
struct FileChange {
    const char* what;
    std::function<void()> change;
    bool fails;
};

// The changes to the file at path, which holds bytes: none, emptied, cut in its first line and
// near its end, extended, rewritten as long as before.
inline std::vector<FileChange> changesAfterOpening(const std::string& path,
                                                   const std::string& bytes) {
    const auto cutTo = [path](std::size_t size) { std::filesystem::resize_file(path, size); };
    return {
        {"unchanged", [] {}, false},
        {"emptied", [=] { cutTo(0); }, true},
        {"cut in its first line", [=] { cutTo(std::min<std::size_t>(bytes.size(), 10)); }, true},
        {"cut in a line near its end", [=] { cutTo(bytes.size() - 5); }, true},
        {"extended", [=] { writeFile(path, bytes + bytes); }, true},
        {"rewritten as long as before",
         [=] {
             const auto modified = std::filesystem::last_write_time(path);
             writeFile(path, std::string(bytes.size(), '\n'));
             std::filesystem::last_write_time(path, modified + std::chrono::seconds(1));
         },
         true},
    };
}

// Compares doubles within an absolute tolerance, printing expected, got and difference.
inline ::testing::AssertionResult near(double expected, double got, double tolerance) {
    const double difference = got - expected;
    if (std::abs(difference) <= tolerance) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure()
           << "expected " << expected << ", got " << got << ", difference " << difference;
}

}  // namespace korvela::testing
