// korvela-cli's own contract: usage, statuses and messages.
#include <gtest/gtest.h>

#include "cli_runner.h"

namespace korvela {
namespace {

using testing::runCli;

TEST(Cli, HelpListsTheCommandsAndVersionPrintsTheVersion) {
    const auto help = runCli({"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("points SURVEY"), std::string::npos);
    const auto version = runCli({"--version"});
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out, "korvela-cli 16.06.10\n");
}

TEST(Cli, WrongArgumentsExitWithTwoAndTheUsage) {
    for (const std::vector<std::string>& arguments :
         {std::vector<std::string>{}, {"nonsense"}, {"points"}, {"points", "a", "b"}}) {
        const auto result = runCli(arguments);
        EXPECT_EQ(result.status, 2);
        EXPECT_TRUE(result.out.empty());
        EXPECT_NE(result.err.find("usage: korvela-cli"), std::string::npos);
    }
}

TEST(Cli, ASurveyThatCannotBeReadExitsWithOneNamingTheFile) {
    testing::TempDir dir;
    const auto missing = runCli({"points", dir.file("missing.sdr")});
    EXPECT_EQ(missing.status, 1);
    EXPECT_TRUE(missing.out.empty());
    EXPECT_NE(missing.err.find(dir.file("missing.sdr")), std::string::npos);
    EXPECT_EQ(std::count(missing.err.begin(), missing.err.end(), '\n'), 1);

    const auto folder = runCli({"points", dir.path().string()});
    EXPECT_EQ(folder.status, 1);
}

TEST(Cli, PointsPrintsNumbersAsTheFileHoldsThem) {
    testing::TempDir dir;
    const std::string path = dir.file("site.txt");
    testing::writeFile(path, "header\r\n\xCF\xD3" "1,--------,1e-7,-0,1234567890123456\r\n");
    const auto result = runCli({"points", path});
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.out, "\xCF\xD3" "1\t1E-7\t0\t1.23456789012346E15\t1\n");
}

}  // namespace
}  // namespace korvela
