#include "tasks/report_file.h"

#include <gtest/gtest.h>

#include "test_support.h"

namespace korvela {
namespace {

TEST(ReportFile, WritesTheTextByteForByte) {
    testing::TempDir dir;
    const std::string texts[] = {
        "1 2\r\n5\r\n\r\n1 3\r\n7\r\n\r\n",               // ends with CR LF and an empty line
        "47\xB0 3' 29''\r\n",                             // degree sign as 0xB0
        "\xCD\xE0\xE4\xEE \xE2\xFB\xE1\xF0\xE0\xF2\xFC",  // no line end at all
        "",
        std::string("a\0b\r\nedited", 12),
    };
    for (const std::string& text : texts) {
        const std::string path = dir.file("report");  // overwritten each time
        ASSERT_FALSE(writeReportFile(path, text));
        EXPECT_EQ(testing::readFile(path), text);
    }
}

TEST(ReportFile, AFailedWriteNamesTheFileAndKeepsWhatWasThere) {
    testing::TempDir dir;
    const std::string missingFolder = dir.file("missing/report.txt");
    const auto error = writeReportFile(missingFolder, "x\r\n");
    ASSERT_TRUE(error);
    EXPECT_EQ(error->path, missingFolder);
    EXPECT_FALSE(std::filesystem::exists(missingFolder));

    EXPECT_TRUE(writeReportFile(dir.path().string(), "x"));  // a folder is not overwritten
    EXPECT_TRUE(std::filesystem::is_directory(dir.path()));
}

}  // namespace
}  // namespace korvela
