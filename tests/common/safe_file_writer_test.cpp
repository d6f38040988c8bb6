#include "common/safe_file_writer.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <thread>

#include "exchange/workbook_writer.h"
#include "points/point_store.h"
#include "test_support.h"

namespace korvela {
namespace {

using namespace std::string_literals;
using testing::TempDir;

std::size_t entriesIn(const std::filesystem::path& folder) {
    return static_cast<std::size_t>(std::distance(std::filesystem::directory_iterator(folder),
                                                  std::filesystem::directory_iterator()));
}

// Runs body in a child process: its exit status, or -1 when a signal ended it.
template <typename Body>
int exitStatusOfChild(Body&& body) {
    const pid_t child = ::fork();
    if (child == 0) ::_exit(body());
    int status = 0;
    if (child < 0 || ::waitpid(child, &status, 0) != child || !WIFEXITED(status)) return -1;
    return WEXITSTATUS(status);
}

const auto writeNew = [](std::ostream& out) { out << "new\n"; };

TEST(SafeFileWriter, WritesANewFileAndLeavesNothingElse) {
    TempDir dir;
    const std::string path = dir.file("out.txt");
    EXPECT_FALSE(writeFileSafely(path, [](std::ostream& out) { out << "line\r\n"; }));
    EXPECT_EQ(testing::readFile(path), "line\r\n");
    EXPECT_EQ(entriesIn(dir.path()), 1u);
}

TEST(SafeFileWriter, ReplacesAnExistingFileKeepingItsPermissions) {
    TempDir dir;
    const std::string path = dir.file("out.txt");
    testing::writeFile(path, "old content that is longer");
    ::chmod(path.c_str(), 0640);
    EXPECT_FALSE(writeFileSafely(path, [](std::ostream& out) { out << "new"; }));
    EXPECT_EQ(testing::readFile(path), "new");
    struct stat status {};
    ::stat(path.c_str(), &status);
    EXPECT_EQ(status.st_mode & 0777, 0640u);
    EXPECT_EQ(entriesIn(dir.path()), 1u);
}

TEST(SafeFileWriter, ALinkStaysALinkAndTheFileItPointsToIsReplaced) {
    TempDir dir;
    const std::string real = dir.file("real.txt");
    const std::string link = dir.file("link.txt");
    testing::writeFile(real, "old");
    std::filesystem::create_symlink(real, link);
    EXPECT_FALSE(writeFileSafely(link, [](std::ostream& out) { out << "new"; }));
    EXPECT_TRUE(std::filesystem::is_symlink(link));
    EXPECT_EQ(testing::readFile(real), "new");
    EXPECT_EQ(entriesIn(dir.path()), 2u);
}

TEST(SafeFileWriter, AFailedWriteLeavesTheOldFileAsItWas) {
    TempDir dir;
    const std::string path = dir.file("out.txt");
    testing::writeFile(path, "precious");
    EXPECT_THROW(writeFileSafely(path,
                                 [](std::ostream& out) {
                                     out << "half";
                                     throw std::runtime_error("bad cell");
                                 }),
                 std::runtime_error);
    EXPECT_EQ(testing::readFile(path), "precious");
    EXPECT_EQ(entriesIn(dir.path()), 1u);
}

TEST(SafeFileWriter, ReportsAMissingFolderAndAFolderInTheWay) {
    TempDir dir;
    const auto missing = writeFileSafely(dir.file("no/such/out.txt"), [](std::ostream&) {});
    ASSERT_TRUE(missing);
    EXPECT_EQ(missing->errorNumber, ENOENT);
    EXPECT_EQ(missing->operation, FileError::Operation::Write);
    EXPECT_NE(missing->message().find(dir.file("no/such/out.txt")), std::string::npos);

    std::filesystem::create_directory(dir.path() / "folder");
    const auto folder = writeFileSafely(dir.file("folder"), [](std::ostream&) {});
    ASSERT_TRUE(folder);
    EXPECT_EQ(folder->errorNumber, EISDIR);
    EXPECT_TRUE(std::filesystem::is_directory(dir.path() / "folder"));
}

TEST(SafeFileWriter, LargeContentArrivesWhole) {
    TempDir dir;
    const std::string path = dir.file("big.txt");
    std::string expected;
    EXPECT_FALSE(writeFileSafely(path, [&](std::ostream& out) {
        const std::string chunk(3000, 'x');
        const std::string huge(3 << 20, 'y');
        for (int i = 0; i < 1000; ++i) {
            out << chunk << i;
            expected += chunk + std::to_string(i);
        }
        out << huge;
        expected += huge;
    }));
    EXPECT_EQ(testing::readFile(path), expected);
}

// Pipes and devices are written straight into; what is not a file is never replaced.
TEST(SafeFileWriter, WritesStraightIntoAPipeAndADevice) {
    TempDir dir;
    const std::string pipe = dir.file("pipe");
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    std::string received;
    std::thread reader([&] { received = testing::readFile(pipe); });
    EXPECT_FALSE(writeFileSafely(
        pipe, [](std::ostream& out) { out << "through the pipe"; }, PipeWithoutReader::Wait));
    reader.join();
    EXPECT_EQ(received, "through the pipe");
    struct stat status {};
    ASSERT_EQ(::stat(pipe.c_str(), &status), 0);
    EXPECT_TRUE(S_ISFIFO(status.st_mode));

    EXPECT_FALSE(writeFileSafely("/dev/null", [](std::ostream& out) { out << "gone"; }));
    ASSERT_EQ(::stat("/dev/null", &status), 0);
    EXPECT_TRUE(S_ISCHR(status.st_mode));
    EXPECT_EQ(entriesIn(dir.path()), 1u);
}

TEST(SafeFileWriter, RefusesASocketAndAWriteProtectedFile) {
    TempDir dir;
    const std::string socketPath = dir.file("socket");
    const int socketDescriptor = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::snprintf(address.sun_path, sizeof address.sun_path, "%s", socketPath.c_str());
    ASSERT_EQ(::bind(socketDescriptor, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    const std::string protectedPath = dir.file("protected.txt");
    testing::writeFile(protectedPath, "keep me");
    ::chmod(protectedPath.c_str(), 0444);

    const struct {
        std::string path;
        int errorNumber;
        const char* reason;
    } cases[] = {
        {socketPath, kNotRegularFile, "это не обычный файл"},
        {protectedPath, kWriteProtected, "файл защищён от записи"},
    };
    for (const auto& test : cases) {
        const auto error = writeFileSafely(test.path, [](std::ostream& out) { out << "new"; });
        ASSERT_TRUE(error) << test.path;
        EXPECT_EQ(error->errorNumber, test.errorNumber);
        EXPECT_EQ(error->message(),
                  "Не удаётся записать файл \"" + test.path + "\": " + test.reason);
    }
    ::close(socketDescriptor);
    EXPECT_EQ(testing::readFile(protectedPath), "keep me");
    EXPECT_EQ(entriesIn(dir.path()), 2u);
}

TEST(SafeFileWriter, WritesANameOfTheLongestLegalLength) {
    TempDir dir;
    const std::string path = dir.file(std::string(251, 'n') + ".dxf");
    testing::writeFile(path, "old");
    EXPECT_FALSE(writeFileSafely(path, [](std::ostream& out) { out << "new"; }));
    EXPECT_EQ(testing::readFile(path), "new");
    EXPECT_EQ(entriesIn(dir.path()), 1u);
}

// `>>` keeps what the file held: the shell's redirection is written into, never replaced.
TEST(SafeFileWriter, TheStandardOutputUnderEveryNameIsWrittenIntoAtItsEnd) {
    TempDir dir;
    const std::string log = dir.file("log.txt");
    for (const std::string& target :
         {"-"s, "/dev/stdout"s, "/dev/fd/1"s, "/proc/self/fd/1"s, log}) {
        testing::writeFile(log, "earlier\n");
        const int status = exitStatusOfChild([&] {
            const int appended = ::open(log.c_str(), O_WRONLY | O_APPEND);
            if (appended < 0 || ::dup2(appended, STDOUT_FILENO) < 0) return 2;
            return writeFileSafely(target, writeNew) ? 1 : 0;
        });
        EXPECT_EQ(status, 0) << target;
        EXPECT_EQ(testing::readFile(log), "earlier\nnew\n") << target;
        EXPECT_EQ(entriesIn(dir.path()), 1u) << target;
    }
}

// A window must not hang on a pipe nobody reads from; a batch run may wait for its reader.
TEST(SafeFileWriter, APipeWithoutReaderIsRefusedAtOnce) {
    TempDir dir;
    const std::string pipe = dir.file("1.xlsx");
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    const std::string refusal =
        "Не удаётся записать файл \"" + pipe + "\": никто не читает из канала";
    const int status = exitStatusOfChild([&] {
        ::alarm(1);  // ends the child if an open waits
        const auto plain = writeFileSafely(pipe, writeNew);
        const auto workbook = writeWorkbookPoints(pipe, PointStore());
        return plain && plain->message() == refusal && workbook && workbook->message() == refusal
                   ? 0
                   : 1;
    });
    EXPECT_EQ(status, 0);

    // With a reader there, writes wait for it as usual: 4 MiB pass a pipe of 64 KiB. The
    // test's own writing end keeps the reader from seeing the end before the writer comes.
    const int reading = ::open(pipe.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    const int keptOpen = ::open(pipe.c_str(), O_WRONLY | O_CLOEXEC);
    ASSERT_TRUE(reading >= 0 && keptOpen >= 0);
    ::fcntl(reading, F_SETFL, O_RDONLY);
    const std::string content(4 << 20, 'p');
    std::size_t received = 0;
    std::thread reader([&] {
        char buffer[4096];
        while (received < content.size()) {
            const ssize_t count = ::read(reading, buffer, sizeof buffer);
            if (count <= 0) break;
            received += static_cast<std::size_t>(count);
        }
    });
    EXPECT_FALSE(writeFileSafely(pipe, [&](std::ostream& out) { out << content; }));
    reader.join();
    ::close(keptOpen);
    ::close(reading);
    EXPECT_EQ(received, content.size());
}

TEST(SafeFileWriter, AWriterKilledOutrightLeavesNothingBehind) {
    TempDir dir;
    const std::string path = dir.file("site.dxf");
    testing::writeFile(path, "old");
    int halfWritten[2];
    ASSERT_EQ(::pipe(halfWritten), 0);
    const pid_t child = ::fork();
    if (child == 0) {
        writeFileSafely(path, [&](std::ostream& out) {
            out << std::string(16 << 20, 'x') << std::flush;
            ::write(halfWritten[1], "!", 1);
            ::pause();
        });
        ::_exit(1);
    }
    char ready = 0;
    ASSERT_EQ(::read(halfWritten[0], &ready, 1), 1);
    ::kill(child, SIGKILL);
    ::waitpid(child, nullptr, 0);
    ::close(halfWritten[0]);
    ::close(halfWritten[1]);
    EXPECT_EQ(testing::readFile(path), "old");
    EXPECT_EQ(entriesIn(dir.path()), 1u);
}

// What a killed writer left is removed a day later; nothing else is touched.
TEST(SafeFileWriter, StaleTemporaryFilesGoWithTheNextWriteIntoTheirFolder) {
    constexpr int kHour = 3600;
    const auto makeOlder = [](const std::string& path, int seconds) {
        const timespec times[2] = {{0, UTIME_OMIT}, {::time(nullptr) - seconds, 0}};
        return ::utimensat(AT_FDCWD, path.c_str(), times, AT_SYMLINK_NOFOLLOW) == 0;
    };
    TempDir dir;
    TempDir elsewhere;
    const std::string linked = elsewhere.file("linked.dxf");  // stale, were the link followed
    testing::writeFile(linked, "kept");
    ASSERT_TRUE(makeOlder(linked, 48 * kHour));
    enum Kind { File, Link, Folder };
    const struct {
        const char* name;
        Kind kind;
        int age;
        bool removed;
    } cases[] = {
        {".korvela-Ab12Cd", File, 48 * kHour, true},
        {".korvela-Ef34Gh", File, kHour, false},
        {".korvela-Ij56Kl", Link, 48 * kHour, false},
        {".korvela-Mn78Op", Folder, 48 * kHour, false},
        {".korvela-Qr90Stu", File, 48 * kHour, false},
        {".korvela-copy-Vw12Xy", File, 48 * kHour, false},
        {"korvela-Za34Bc", File, 48 * kHour, false},
    };
    for (const auto& test : cases) {
        const std::string path = dir.file(test.name);
        if (test.kind == File) testing::writeFile(path, "left");
        if (test.kind == Link) std::filesystem::create_symlink(linked, path);
        if (test.kind == Folder) std::filesystem::create_directory(path);
        ASSERT_TRUE(makeOlder(path, test.age));
    }
    EXPECT_FALSE(writeFileSafely(dir.file("site.dxf"), writeNew));
    for (const auto& test : cases) {
        EXPECT_EQ(std::filesystem::symlink_status(dir.file(test.name)).type() ==
                      std::filesystem::file_type::not_found,
                  test.removed)
            << test.name;
    }
    EXPECT_EQ(testing::readFile(linked), "kept");
}

// Root gives the new file the old owner; another user, who may not, has the old file rewritten
// in place, and the copy of its old content kept meanwhile is gone afterwards. A rewrite that
// fails halfway (here at a file size limit) puts the old content back.
TEST(SafeFileWriter, AReplacedFileKeepsItsOwnerAndGroup) {
    if (::geteuid() != 0) GTEST_SKIP() << "needs root to own files as another user";
    constexpr uid_t kRoot = 0;
    constexpr uid_t kNobody = 65534;
    const std::string old = "old content";
    const std::string content(64 << 10, 'n');
    const struct {
        uid_t fileOwner;
        uid_t writer;
        rlim_t sizeLimit;
    } cases[] = {{kNobody, kRoot, RLIM_INFINITY},
                 {kRoot, kNobody, RLIM_INFINITY},
                 {kRoot, kNobody, 16 << 10}};
    for (const auto& test : cases) {
        TempDir dir;
        ::chmod(dir.path().c_str(), 0777);
        const std::string path = dir.file("shared.dxf");
        testing::writeFile(path, old);
        ASSERT_EQ(::chown(path.c_str(), test.fileOwner, test.fileOwner), 0);
        ::chmod(path.c_str(), 0666);
        const bool fits = test.sizeLimit == RLIM_INFINITY;
        const int status = exitStatusOfChild([&] {
            if (::setgid(test.writer) != 0 || ::setuid(test.writer) != 0) return 2;
            ::signal(SIGXFSZ, SIG_IGN);
            const auto error = writeFileSafely(path, [&](std::ostream& out) {
                out << content << std::flush;  // into the new file, before the limit
                const rlimit limit{test.sizeLimit, test.sizeLimit};
                ::setrlimit(RLIMIT_FSIZE, &limit);
            });
            return fits == !error ? 0 : 1;
        });
        const std::string label = std::to_string(test.writer) + " " + std::to_string(fits);
        EXPECT_EQ(status, 0) << label;
        EXPECT_EQ(testing::readFile(path), fits ? content : old) << label;
        struct stat replaced {};
        ASSERT_EQ(::stat(path.c_str(), &replaced), 0);
        EXPECT_EQ(replaced.st_uid, test.fileOwner) << label;
        EXPECT_EQ(replaced.st_gid, test.fileOwner) << label;
        EXPECT_EQ(replaced.st_mode & 07777, 0666u) << label;
        EXPECT_EQ(entriesIn(dir.path()), 1u) << label;
    }
}

TEST(FileError, NamesTheFileAndTheReasonInRussian) {
    const struct {
        int errorNumber;
        const char* reason;
    } cases[] = {
        {ENOENT, "нет такого файла или папки"},
        {ELOOP, "слишком много уровней символических ссылок"},
        {EOPNOTSUPP, "файловая система не поддерживает эту операцию"},
        {4093, "системная ошибка номер 4093"},
    };
    for (const auto& test : cases) {
        const FileError error{FileError::Operation::Read, "/data/site.sdr", test.errorNumber};
        EXPECT_EQ(error.message(),
                  std::string("Не удаётся прочитать файл \"/data/site.sdr\": ") + test.reason);
    }
    const FileError counted{FileError::Operation::Read, "a.tdp", 0, "больше 9999 точек"};
    EXPECT_EQ(counted.message(), "Не удаётся прочитать файл \"a.tdp\": больше 9999 точек");
}

}  // namespace
}  // namespace korvela
