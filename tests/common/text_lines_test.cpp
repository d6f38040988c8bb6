#include "common/text_lines.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cerrno>
#include <filesystem>
#include <vector>

#include "test_support.h"

namespace korvela {
namespace {

std::vector<std::string> linesOf(std::string_view bytes) {
    std::vector<std::string> lines;
    forEachLine(bytes, [&](std::string_view line) {
        lines.emplace_back(line);
        return true;
    });
    return lines;
}

using Lines = std::vector<std::string>;

TEST(TextLines, SplitsLikeATextModeReader) {
    EXPECT_EQ(linesOf(""), Lines{});
    EXPECT_EQ(linesOf("a\nb\n"), (Lines{"a", "b"}));
    EXPECT_EQ(linesOf("a\r\nb\r\n"), (Lines{"a", "b"}));
    EXPECT_EQ(linesOf("a\nlast"), (Lines{"a", "last"}));  // a last line without line end
    EXPECT_EQ(linesOf("a\n\n\nb"), (Lines{"a", "", "", "b"}));
    EXPECT_EQ(linesOf("a\rb\r\r\n"), (Lines{"a\rb\r"}));  // only the CR before LF goes
    EXPECT_EQ(linesOf("\n"), (Lines{""}));
}

TEST(TextLines, StopsWhenTheHandlerSaysSo) {
    int seen = 0;
    forEachLine("1\n2\n3\n", [&](std::string_view) { return ++seen < 2; });
    EXPECT_EQ(seen, 2);
}

TEST(TextLines, LinesAcrossReadBlocksComeWhole) {
    testing::TempDir dir;
    const std::string path = dir.file("big.txt");
    // The first line ends with CR at the last byte of the first 1 MiB block, LF after it.
    const std::size_t block = 1 << 20;
    std::string bytes(block - 1, 'a');
    bytes += "\r\nsecond line\r\n";
    bytes += std::string(2 * block, 'b');  // a line longer than two blocks, without line end
    testing::writeFile(path, bytes);

    std::vector<std::size_t> lengths;
    std::string second;
    EXPECT_FALSE(forEachLineOfFile(path, [&](std::string_view line) {
        lengths.push_back(line.size());
        if (lengths.size() == 2) second = line;
        return true;
    }));
    EXPECT_EQ(lengths, (std::vector<std::size_t>{block - 1, 11, 2 * block}));
    EXPECT_EQ(second, "second line");
}

TEST(TextLines, FilesThatCannotBeReadReportWhy) {
    testing::TempDir dir;
    const auto missing =
        forEachLineOfFile(dir.file("missing.sdr"), [](std::string_view) { return true; });
    ASSERT_TRUE(missing);
    EXPECT_EQ(missing->errorNumber, ENOENT);
    const auto folder =
        forEachLineOfFile(dir.path().string(), [](std::string_view) { return true; });
    ASSERT_TRUE(folder);
    EXPECT_EQ(folder->errorNumber, EISDIR);
    // A pipe would wait for a writer forever.
    const std::string pipe = dir.file("pipe");
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    const auto notAFile = forEachLineOfFile(pipe, [](std::string_view) { return true; });
    ASSERT_TRUE(notAFile);
    EXPECT_EQ(notAFile->errorNumber, kNotRegularFile);
    EXPECT_NE(notAFile->message().find("не обычный файл"), std::string::npos);
}

}  // namespace
}  // namespace korvela
