#pragma once

#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/mman.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

namespace korvela::bench {

// A generated survey of `count` points in the SDR format: four header lines, a station
// every 100 points, coordinates around one national-grid site (about 60 bytes a record).
inline std::string writeSdrSurvey(std::size_t count) {
    const auto path = std::filesystem::temp_directory_path() /
                      ("korvela-bench-" + std::to_string(count) + ".sdr");
    if (std::filesystem::exists(path)) return path.string();
    std::ofstream out(path, std::ios::binary);
    out << "00NMSDR33 V04-04.02     01-Jan-10 00:00 113111\r\n10NMJOB  BENCH\r\n"
           "13NMgenerated\r\n13NMsurvey\r\n";
    char line[128];
    for (std::size_t i = 0; i < count; ++i) {
        const char* record = i % 100 == 0 ? "02TP" : "08TP";
        const double x = 5412000.0 + static_cast<double>(i % 1000) * 0.731;
        const double y = 7312000.0 + static_cast<double>(i / 1000) * 0.519;
        const double z = 140.0 + static_cast<double>(i % 97) * 0.125;
        const int length = std::snprintf(line, sizeof line, "%s%16zu %.3f %.3f %.3f\r\n", record,
                                         i % 100000, x, y, z);
        out.write(line, length);
    }
    return path.string();
}

// The points of writeSdrSurvey as a GSI-16 file: target coordinates (81 easting, 82
// northing, 83 height) in millimetres, the stations by their station words (84, 85, 86).
inline std::string writeGsiSurvey(std::size_t count) {
    const auto path = std::filesystem::temp_directory_path() /
                      ("korvela-bench-" + std::to_string(count) + ".gsi");
    if (std::filesystem::exists(path)) return path.string();
    std::ofstream out(path, std::ios::binary);
    char line[160];
    for (std::size_t i = 0; i < count; ++i) {
        const bool station = i % 100 == 0;
        const long long x = 5412000000LL + static_cast<long long>(i % 1000) * 731;
        const long long y = 7312000000LL + static_cast<long long>(i / 1000) * 519;
        const long long z = 140000 + static_cast<long long>(i % 97) * 125;
        const int length = std::snprintf(
            line, sizeof line, "*11%04zu+%016zu %d..00+%016lld %d..00+%016lld %d..00+%016lld\r\n",
            i % 10000, i % 100000, station ? 84 : 81, y, station ? 85 : 82, x, station ? 86 : 83,
            z);
        out.write(line, length);
    }
    return path.string();
}

// A generated SDR33 field file with `count` 09 F1 observations in fixed fields: stations of 50
// sights each (02, 03, 07, then the 09 records, an 08 TP record after every tenth sight).
// Without sights, the same file with its 09 records left out.
inline std::string writeSdrObservations(std::size_t count, bool withSights) {
    const auto path = std::filesystem::temp_directory_path() /
                      ("korvela-bench-obs-" + std::to_string(count) +
                       (withSights ? "" : "-no09") + ".sdr");
    if (std::filesystem::exists(path)) return path.string();
    std::ofstream out(path, std::ios::binary);
    out << "00NMSDR33 V04-04.02     01-Jan-10 00:00 113111\r\n"
           "01NM:SET630RK V33-02 161917SET630RK V33-02 16191731                                "
           "0.000\r\n";
    char line[160];
    const auto write = [&](int length) { out.write(line, length); };
    for (std::size_t i = 0; i < count; ++i) {
        const std::size_t station = i / 50;
        if (i % 50 == 0) {
            write(std::snprintf(line, sizeof line, "02TP%16zu%-16.3f%-16.3f%-16.3f%-16.3f\r\n",
                                station, 5412000.0 + static_cast<double>(station),
                                7312000.0, 140.0, 1.52));
            write(std::snprintf(line, sizeof line, "03NM%-16.3f\r\n", 1.7));
            write(std::snprintf(line, sizeof line, "07TP%16zu%16zu%-16.5f%-16.5f\r\n", station,
                                station + 1, 12.5, 0.0));
        }
        const double angle = static_cast<double>(i % 3600) * 0.1;
        if (withSights) {
            write(std::snprintf(line, sizeof line, "09F1%16zu%16zu%-16.4f%-16.5f%-16.5f\r\n",
                                station, 100000 + i % 1000, 25.0 + static_cast<double>(i % 500),
                                90.0 + angle / 100, angle));
        }
        if (i % 10 == 9) {
            write(std::snprintf(line, sizeof line, "08TP%16zu%-16.3f%-16.3f%-16.3f\r\n",
                                100000 + i % 1000, 5412000.5, 7312000.5, 141.0));
        }
    }
    return path.string();
}

// The floors' reading of a file: its bytes read in blocks of a mebibyte, each line (without
// its LF) handed to parseLine.
template <typename ParseLine>
void forEachLineInBlocks(const std::string& path, ParseLine parseLine) {
    const int file = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (file < 0) return;
    std::vector<char> block(1 << 20);
    std::size_t kept = 0;  // the unfinished line at the block's start
    for (ssize_t read; (read = ::read(file, block.data() + kept, block.size() - kept)) > 0;) {
        const std::string_view bytes(block.data(), kept + static_cast<std::size_t>(read));
        std::size_t start = 0;
        for (std::size_t end; (end = bytes.find('\n', start)) != std::string_view::npos;
             start = end + 1) {
            parseLine(bytes.substr(start, end - start));
        }
        kept = bytes.size() - start;
        std::memmove(block.data(), bytes.data() + start, kept);
    }
    ::close(file);
}

// A generated P,N,E,Z,D comma listing of `count` points without the ",--------," marker, as
// surveying programs export them (about 50 bytes a line), in state-plane-sized coordinates.
inline std::string writePlainCommaListing(std::size_t count) {
    const auto path = std::filesystem::temp_directory_path() /
                      ("korvela-bench-" + std::to_string(count) + "-pnezd.csv");
    if (std::filesystem::exists(path)) return path.string();
    std::ofstream out(path, std::ios::binary);
    char line[128];
    for (std::size_t i = 0; i < count; ++i) {
        const double north = 538000.0 + static_cast<double>(i % 1000) * 0.73129;
        const double east = 1455000.0 + static_cast<double>(i / 1000) * 0.51937;
        const double z = 670.0 + static_cast<double>(i % 97) * 0.12511;
        const int length = std::snprintf(line, sizeof line, "%zu,%.5f,%.5f,%.5f,TOP WALL\r\n",
                                         i + 1, north, east, z);
        out.write(line, length);
    }
    return path.string();
}

// The bytes a floor writes, made beforehand. They are kept in huge pages where the system
// gives them: on the virtual machine the figures come from, reading hundreds of megabytes
// through small pages cost seven times the write itself (2.2 s against 0.3 s for a DXF of
// 517 MB into tmpfs), which the work, writing from one small buffer, never pays.
class FloorBytes {
public:
    explicit FloorBytes(const std::string& bytes)
        : size_(bytes.size()), capacity_((bytes.size() + kHugePage) & ~(kHugePage - 1)) {
        void* mapped =
            ::mmap(nullptr, capacity_, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (mapped == MAP_FAILED) throw std::bad_alloc();
        ::madvise(mapped, capacity_, MADV_HUGEPAGE);
        data_ = static_cast<char*>(mapped);
        std::memcpy(data_, bytes.data(), size_);
    }
    ~FloorBytes() { ::munmap(data_, capacity_); }
    FloorBytes(const FloorBytes&) = delete;
    FloorBytes& operator=(const FloorBytes&) = delete;

    // In the pieces the writers' output buffer hands over.
    void writeTo(std::ostream& out) const {
        for (std::size_t at = 0; at < size_; at += kPiece) {
            out.write(data_ + at, static_cast<std::streamsize>(std::min(kPiece, size_ - at)));
        }
    }

private:
    static constexpr std::size_t kHugePage = std::size_t{2} << 20;
    static constexpr std::size_t kPiece = std::size_t{1} << 20;
    std::size_t size_;
    std::size_t capacity_;
    char* data_ = nullptr;
};

inline double childrenCpuSeconds() {
    rusage usage{};
    ::getrusage(RUSAGE_CHILDREN, &usage);
    const auto seconds = [](const timeval& t) { return t.tv_sec + t.tv_usec / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

// Runs the program with the arguments once, its output going into the file `output` and its
// standard input read from the file standardInput when one is named; false when it failed.
inline bool runOnce(const char* program, std::vector<std::string> arguments,
                    const std::string& output, const std::string& standardInput = {}) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, output.c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (!standardInput.empty()) {
        posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, standardInput.c_str(), O_RDONLY,
                                         0);
    }
    std::vector<char*> argv{const_cast<char*>(program)};
    for (std::string& argument : arguments) argv.push_back(argument.data());
    argv.push_back(nullptr);
    pid_t child = 0;
    int status = 0;
    const bool ran = posix_spawn(&child, program, &actions, nullptr, argv.data(), environ) == 0 &&
                     ::waitpid(child, &status, 0) == child && WIFEXITED(status) &&
                     WEXITSTATUS(status) == 0;
    posix_spawn_file_actions_destroy(&actions);
    return ran;
}

// Runs the program with the arguments once per iteration, as runOnce into /dev/null; the
// program's own CPU time per run is the counter cli_cpu_ms.
inline void runProgram(benchmark::State& state, const char* program,
                       const std::vector<std::string>& arguments,
                       const std::string& standardInput = {}) {
    const double cpuBefore = childrenCpuSeconds();
    for (auto _ : state) {
        if (!runOnce(program, arguments, "/dev/null", standardInput)) {
            state.SkipWithError("the program failed");
        }
    }
    state.counters["cli_cpu_ms"] =
        (childrenCpuSeconds() - cpuBefore) * 1000 / static_cast<double>(state.iterations());
}

// runProgram of korvela-cli.
inline void runCli(benchmark::State& state, const std::vector<std::string>& arguments,
                   const std::string& standardInput = {}) {
    runProgram(state, KORVELA_CLI, arguments, standardInput);
}

}  // namespace korvela::bench
