// The golden examples: korvela-cli run on each example's input must print and write exactly
// the expected bytes and end with the expected status.
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "cli_runner.h"

namespace korvela {
namespace {

namespace fs = std::filesystem;

const fs::path kGolden = KORVELA_GOLDEN;

// The examples whose commands korvela-cli has.
const char* const kExamples[] = {"angles", "area-tdl", "area-tdp", "direction", "dxf", "join",
                                 "length", "parcel", "points-comma", "points-listing",
                                 "points-sdr", "project", "project-points", "rotate", "txt"};

std::string replaceAll(std::string text, const std::string& from, const std::string& to) {
    for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size())) {
        text.replace(at, from.size(), to);
    }
    return text;
}

std::vector<std::string> argumentsOf(const fs::path& example, const fs::path& out) {
    std::string command = testing::readFile((example / "command").string());
    command = replaceAll(command, "{dir}", example.string());
    command = replaceAll(command, "{out}", out.string());
    std::istringstream words(command);
    std::vector<std::string> arguments;
    for (std::string word; words >> word;) arguments.push_back(word);
    return arguments;
}

class GoldenExample : public ::testing::TestWithParam<const char*> {};

TEST_P(GoldenExample, PrintsAndWritesTheExpectedBytes) {
    const fs::path example = kGolden / GetParam();
    if (!fs::exists(example)) GTEST_SKIP() << "the golden examples are not at " << kGolden;
    testing::TempDir out;
    const testing::CliResult result =
        testing::runCli(argumentsOf(example, out.path()), {{"KORVELA_NOW", "2011-01-01 09:05:07"}});

    const fs::path expected = example / "expected";
    EXPECT_EQ(result.status, std::stoi(testing::readFile((expected / "status").string())))
        << result.err;
    const std::string expectedOut = testing::readFile((expected / "stdout").string());
    EXPECT_EQ(result.out.size(), expectedOut.size());
    EXPECT_EQ(result.out, expectedOut);

    std::size_t expectedFiles = 0;
    for (const auto& entry : fs::directory_iterator(expected)) {
        const std::string name = entry.path().filename().string();
        if (name == "stdout" || name == "status") continue;
        ++expectedFiles;
        const fs::path written = out.path() / name;
        ASSERT_TRUE(fs::exists(written)) << name << " was not written";
        const std::string want = testing::readFile(entry.path().string());
        const std::string got = testing::readFile(written.string());
        EXPECT_EQ(got.size(), want.size()) << name;
        EXPECT_EQ(got, want) << name;
    }
    EXPECT_EQ(static_cast<std::size_t>(std::distance(fs::directory_iterator(out.path()),
                                                     fs::directory_iterator())),
              expectedFiles);
}

INSTANTIATE_TEST_SUITE_P(Cli, GoldenExample, ::testing::ValuesIn(kExamples),
                         [](const auto& info) {
                             return replaceAll(info.param, "-", "_");
                         });

}  // namespace
}  // namespace korvela
