#include "common/safe_file_writer.h"

#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <thread>

#include "test_support.h"

namespace korvela {
namespace {

using testing::TempDir;

std::size_t entriesIn(const std::filesystem::path& folder) {
    return static_cast<std::size_t>(std::distance(std::filesystem::directory_iterator(folder),
                                                  std::filesystem::directory_iterator()));
}

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
    EXPECT_FALSE(writeFileSafely(pipe, [](std::ostream& out) { out << "through the pipe"; }));
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
