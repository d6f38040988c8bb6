#include "common/safe_file_writer.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cerrno>
#include <filesystem>

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

TEST(FileError, NamesTheFileAndTheReasonInRussian) {
    const FileError error{FileError::Operation::Read, "/data/site.sdr", ENOENT};
    EXPECT_EQ(error.message(),
              "Не удаётся прочитать файл \"/data/site.sdr\": нет такого файла или папки");
}

}  // namespace
}  // namespace korvela
