// The golden examples: korvela-cli run on each example's input must print and write exactly
// the expected bytes and end with the expected status.
#include <gtest/gtest.h>

#include <cctype>
#include <cstdio>
#include <filesystem>
#include <sstream>

#include "cli_runner.h"

namespace korvela {
namespace {

namespace fs = std::filesystem;

const fs::path kGolden = KORVELA_GOLDEN;
const fs::path kRealData = KORVELA_REALDATA;
const fs::path kRealDataGolden = fs::path(KORVELA_TEST_DATA) / "golden-realdata";

// The examples whose commands korvela-cli has.
const char* const kExamples[] = {
    "angles",     "area-tdl", "area-tdp",       "direction",    "dxf",
    "join",       "length",   "parcel",         "points-comma", "points-listing",
    "points-sdr", "project",  "project-points", "rotate",       "txt"};

// Survey files written by instruments and other programs; `points` of each prints
// golden-realdata/<name>.stdout.
const char* const kRealFiles[] = {
    "bezitopo__dat__topo0.asc",
    "geoeasy__tsdata_ruide__group_1_obs.sdr",
    "geoeasy__tsdata_sdr33__20151125.sdr",
    "geoeasy__tsdata_sdr33__20151130.sdr",
    "geoeasy__tsdata_sdr33__20151204.sdr",
    "geoeasy__tsdata_spectra_focus6__1.sdr",
    "geoeasy__tsdata_spectra_focus6__2.sdr",
    "r-barnes_sdr33_triangulation__example.sdr",
    "totalopenstation__pr156__sokkia_sdr33_polar.tops",
    "totalopenstation__sample_data__sokkia_sdr33.tops",
};

std::string replaceAll(std::string text, const std::string& from, const std::string& to) {
    for (std::size_t at = text.find(from); at != std::string::npos;
         at = text.find(from, at + to.size())) {
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
    EXPECT_EQ(static_cast<std::size_t>(
                  std::distance(fs::directory_iterator(out.path()), fs::directory_iterator())),
              expectedFiles);
}

INSTANTIATE_TEST_SUITE_P(Cli, GoldenExample, ::testing::ValuesIn(kExamples),
                         [](const auto& info) { return replaceAll(info.param, "-", "_"); });

class RealFilePoints : public ::testing::TestWithParam<const char*> {};

// The SHA-256 digest of bytes, as sha256sum prints it.
std::string sha256Of(const std::string& bytes) {
    testing::TempDir dir;
    const std::string path = dir.file("bytes");
    testing::writeFile(path, bytes);
    FILE* pipe = ::popen(("sha256sum '" + path + "'").c_str(), "r");
    char digest[65] = {};
    const std::size_t read = pipe == nullptr ? 0 : std::fread(digest, 1, 64, pipe);
    if (pipe != nullptr) ::pclose(pipe);
    return std::string(digest, read);
}

// The expected output of each real file is kept as its digest and length only: the files'
// licences do not let their points into this repository.
TEST_P(RealFilePoints, PrintsTheGoldenPoints) {
    if (!fs::is_directory(kRealData))
        GTEST_SKIP() << "the real survey files are not at " << kRealData;
    const testing::CliResult result =
        testing::runCli({"points", (kRealData / GetParam()).string()});
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.err, "");
    std::istringstream expected(
        testing::readFile((kRealDataGolden / (std::string(GetParam()) + ".sha256")).string()));
    std::string digest;
    std::size_t length = 0;
    expected >> digest >> length;
    EXPECT_EQ(result.out.size(), length);
    EXPECT_EQ(sha256Of(result.out), digest) << result.out.substr(0, 2000);
}

INSTANTIATE_TEST_SUITE_P(Cli, RealFilePoints, ::testing::ValuesIn(kRealFiles),
                         [](const auto& info) {
                             std::string name = info.param;
                             for (char& c : name) {
                                 if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
                             }
                             return name;
                         });

}  // namespace
}  // namespace korvela
