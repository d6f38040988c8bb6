// korvela-cli's standard input: read as a file is read, within a limit, leaving no file.
#include <gtest/gtest.h>

#include <signal.h>

#include <filesystem>
#include <string>

#include "cli_runner.h"

namespace korvela {
namespace {

using testing::CliProcess;

// A pipe fed by a child process: with the file's bytes, or without end when none is named.
// The child ends when the reading side closes.
struct FedPipe {
    explicit FedPipe(const std::string& file = {}) {
        int ends[2];
        if (::pipe2(ends, O_CLOEXEC) != 0) throw std::runtime_error("pipe2 failed");
        feeder = ::fork();
        if (feeder == 0) {
            ::close(ends[0]);
            const std::string bytes =
                file.empty() ? std::string(1 << 16, 'y') : testing::readFile(file);
            do {
                for (std::size_t at = 0; at < bytes.size();) {
                    const ssize_t written = ::write(ends[1], bytes.data() + at, bytes.size() - at);
                    if (written <= 0) ::_exit(0);
                    at += static_cast<std::size_t>(written);
                }
            } while (file.empty());
            ::_exit(0);
        }
        ::close(ends[1]);
        readEnd = ends[0];
    }
    ~FedPipe() {
        ::close(readEnd);
        ::kill(feeder, SIGKILL);
        ::waitpid(feeder, nullptr, 0);
    }

    pid_t feeder = -1;
    int readEnd = -1;
};

bool isEmptyFolder(const testing::TempDir& dir) {
    return std::filesystem::directory_iterator(dir.path()) == std::filesystem::directory_iterator();
}

TEST(CliStandardInput, AnEndlessInputIsRefusedAtTheLimitLeavingNoFile) {
    testing::TempDir temporary;
    const FedPipe endless;
    CliProcess cli({"points", "-", "--stdin-limit", "1M"}, {{"TMPDIR", temporary.path().string()}},
                   endless.readEnd);
    const auto result = cli.finish();
    EXPECT_EQ(result.status, 1);
    EXPECT_TRUE(result.out.empty());
    EXPECT_EQ(result.err,
              "korvela-cli: Не удаётся прочитать файл \"-\": в нём больше 1048576 байт (предел "
              "стандартного ввода; другой задаёт опция --stdin-limit)\n");
    EXPECT_LT(result.peakMiB, 32);
    EXPECT_TRUE(isEmptyFolder(temporary));
}

// Whether the process holds open a file of the folder.
bool holdsAFileIn(pid_t process, const testing::TempDir& folder) {
    std::error_code ignored;
    const std::filesystem::path descriptors = "/proc/" + std::to_string(process) + "/fd";
    for (const auto& entry : std::filesystem::directory_iterator(descriptors, ignored)) {
        const std::string target = std::filesystem::read_symlink(entry.path(), ignored).string();
        if (target.starts_with(folder.path().string() + "/")) return true;
    }
    return false;
}

// The copy of the standard input is never seen in the temporary folder, not even while the
// program holds it open, and a killed program leaves none.
TEST(CliStandardInput, TheCopyHasNoNameEvenWhenTheProgramIsKilled) {
    testing::TempDir temporary;
    const FedPipe endless;
    CliProcess cli({"points", "-"}, {{"TMPDIR", temporary.path().string()}}, endless.readEnd);
    bool copying = false;
    for (int poll = 0; poll < 3000 && !copying; ++poll) {
        copying = holdsAFileIn(cli.pid(), temporary);
        if (!copying) ::usleep(1000);
    }
    EXPECT_TRUE(copying) << "the program made no copy of its input";
    EXPECT_TRUE(isEmptyFolder(temporary));
    ::kill(cli.pid(), SIGKILL);
    cli.finish();
    EXPECT_TRUE(isEmptyFolder(temporary));
}

// A comma listing of `count` points.
std::string writeSurvey(const testing::TempDir& dir, int count) {
    std::string text = "generated\r\n";
    for (int point = 1; point <= count; ++point) {
        text += std::to_string(point) + ",--------," + std::to_string(5000 + point * 0.001) +
                ",7000.125,141.5\r\n";
    }
    const std::string path = dir.file("survey.txt");
    testing::writeFile(path, text);
    return path;
}

// Reading a pipe costs the memory that reading the same bytes as a file by its name costs,
// not that and the bytes besides.
TEST(CliStandardInput, APipeCostsTheMemoryOfTheSameFileByName) {
    testing::TempDir dir;
    const std::string survey = writeSurvey(dir, 500000);
    const double surveyMiB = static_cast<double>(std::filesystem::file_size(survey)) / (1 << 20);
    // A child's peak counts the memory its parent had when it was forked: both start before
    // the test holds either's output.
    const FedPipe pipe(survey);
    CliProcess readingTheFile({"points", survey});
    CliProcess readingThePipe({"points", "-"}, {}, pipe.readEnd);
    const auto byName = readingTheFile.finish();
    const auto piped = readingThePipe.finish();
    ASSERT_EQ(byName.status, 0) << byName.err;
    EXPECT_EQ(piped.status, 0) << piped.err;
    EXPECT_EQ(piped.out, byName.out);
    EXPECT_LT(piped.peakMiB, byName.peakMiB + surveyMiB / 4)
        << "by name " << byName.peakMiB << " MiB, file " << surveyMiB << " MiB";
}

}  // namespace
}  // namespace korvela
