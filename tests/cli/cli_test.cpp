// korvela-cli's own contract: usage, statuses and messages.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <map>

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

// A usage error shows the usage of its command; without a known command, the list of commands.
TEST(Cli, UsageErrorsShowTheUsageOfTheirCommand) {
    const std::string survey = std::string(KORVELA_EXAMPLES) + "/site.sdr";
    const std::string twice = "korvela-cli: стандартный ввод читается только один раз";
    const struct {
        std::vector<std::string> arguments;
        std::string message;  // the start of stderr
        std::string usage;
    } cases[] = {
        {{}, "usage: korvela-cli COMMAND", "commands:\n"},
        {{"nonsense"}, "korvela-cli: unknown command nonsense", "commands:\n"},
        {{"points"},
         "korvela-cli: wrong arguments for points",
         "usage: korvela-cli points SURVEY\n"},
        {{"points", "a", "b"},
         "korvela-cli: wrong arguments",
         "usage: korvela-cli points SURVEY\n"},
        {{"points", "--verbose"},
         "korvela-cli: wrong option --verbose",
         "usage: korvela-cli points SURVEY\n"},
        {{"csv-points", survey, "--bogus"},
         "korvela-cli: wrong option --bogus",
         "usage: korvela-cli csv-points FILE "},
        {{"csv", survey, "-", "--skip", "1"},
         "korvela-cli: --columns and --skip",
         "usage: korvela-cli csv SURVEY OUT "},
        // The standard input holds one file: reading it again needs a file instead.
        {{"join", "-", "1", "2", "3", "-", "1", "2", "3"}, twice, "usage: korvela-cli join "},
        {{"transform", "-", "1", "2", "3", "-"}, twice, "usage: korvela-cli transform "},
    };
    for (const auto& c : cases) {
        const auto result = runCli(c.arguments, {}, survey);
        const std::string name = c.arguments.empty() ? "" : c.arguments[0];
        EXPECT_EQ(result.status, 2) << name;
        EXPECT_TRUE(result.out.empty()) << name;
        EXPECT_EQ(result.err.rfind(c.message, 0), 0u) << result.err;
        EXPECT_NE(result.err.find(c.usage), std::string::npos) << result.err;
        const bool commandKnown = c.usage != "commands:\n";
        EXPECT_EQ(result.err.find("commands:") == std::string::npos, commandKnown) << result.err;
    }
}

// Every number option refuses a value that is no number, or one out of its range, instead of
// taking another value for it.
TEST(Cli, ANumberOptionRefusesAMalformedOrOutOfRangeValue) {
    const std::string survey = std::string(KORVELA_EXAMPLES) + "/site.sdr";
    const struct {
        std::vector<std::string> arguments;  // before the option
        std::string option;
        std::vector<std::string> values;
    } cases[] = {
        {{"csv-points", survey},
         "--skip",
         {"99999999999999999999999", "-1", "1.5", "", "abc", "1e999", "0x10", "nan", "2K",
          "9007199254740994"}},
        {{"join", survey, "1", "2", "3", survey, "1", "2", "3"},
         "--limit",
         {"0", "-0.05", "nan", "inf", "1e999", "abc", "", "0.05m", "0,05"}},
        {{"transform", survey, "1", "2", "3", survey},
         "--confidence",
         {"0", "1", "1.5", "-0.5", "0.99999999999999999", "nan", "99%"}},
        {{"points", "-"},
         "--stdin-limit",
         {"-1", "0.3K", "1T", "G", "", "99999999999999999999", "8388609G", "1e400", "1KB"}},
    };
    for (const auto& c : cases) {
        for (const std::string& value : c.values) {
            std::vector<std::string> arguments = c.arguments;
            arguments.insert(arguments.end(), {c.option, value});
            const auto result = runCli(arguments, {}, survey);
            const std::string message = "korvela-cli: wrong value for " + c.option + ": " + value;
            EXPECT_EQ(result.status, 2) << message;
            EXPECT_TRUE(result.out.empty()) << message;
            EXPECT_EQ(result.err.rfind(message + " (", 0), 0u) << result.err;
            EXPECT_NE(result.err.find(")\n\nusage: korvela-cli " + c.arguments[0]),
                      std::string::npos)
                << result.err;
        }
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
    testing::writeFile(path,
                       "header\r\n\xCF\xD3"
                       "1,--------,1e-7,-0,1234567890123456\r\n");
    const auto result = runCli({"points", path});
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.out,
              "\xCF\xD3"
              "1\t1E-7\t0\t1.23456789012346E15\t1\n");
}

// Every input file argument reads `-` from standard input, and the command does with it what it
// does with the file: the same status, output, messages and written file.
TEST(Cli, ADashAsAnInputFileReadsStandardInput) {
    testing::TempDir inputs;
    const std::string survey = std::string(KORVELA_EXAMPLES) + "/site.sdr";
    const std::string statement = std::string(KORVELA_EXAMPLES) + "/parcel.tdl";
    const std::string sheet = inputs.file("parcel.tdp");
    testing::writeFile(sheet,
                       "This is a TavRIN KRM 0.51 savefile. Please DO NOT EDIT!\r\n3\r\n1 0 0 "
                       "\r\n2 100 0 \r\n3 0 100 \r\n");
    const std::string csv = inputs.file("points.csv");
    testing::writeFile(csv, "P;N;E\r\nA;6123456,25;7412345,5\r\nnot a point\r\n");
    const std::string project = inputs.file("site.kpr");
    const std::string workbook = inputs.file("site.xlsx");
    ASSERT_EQ(runCli({"project", survey, project}).status, 0);
    ASSERT_EQ(runCli({"workbook-write", survey, workbook}).status, 0);
    const struct {
        std::vector<std::string> arguments;  // INPUT stands for the file or `-`, OUT for a file
        std::string input;
    } cases[] = {
        {{"points", "INPUT"}, survey},
        {{"length", "INPUT", "1", "2"}, survey},
        {{"parcel", "INPUT", "1", "2", "3"}, survey},
        {{"project", "INPUT", "OUT"}, survey},
        {{"txt", "INPUT", "OUT"}, survey},
        {{"join", "INPUT", "1", "2", "3", survey, "1", "2", "3"}, survey},
        {{"join", survey, "1", "2", "3", "INPUT", "1", "2", "3"}, survey},
        {{"transform", "INPUT", "1", "2", "3", survey}, survey},
        {{"transform", survey, "1", "2", "3", "INPUT"}, survey},
        {{"csv-points", "INPUT", "--separator", ";", "--decimal-comma", "--skip", "1"}, csv},
        {{"area", "INPUT"}, statement},
        {{"area", "INPUT"}, sheet},
        {{"project-points", "INPUT"}, project},
        {{"workbook-points", "INPUT"}, workbook},
    };
    for (const auto& c : cases) {
        testing::TempDir dir;
        auto run = [&](const std::string& input, const std::string& out) {
            std::vector<std::string> arguments = c.arguments;
            std::replace(arguments.begin(), arguments.end(), std::string("INPUT"), input);
            std::replace(arguments.begin(), arguments.end(), std::string("OUT"), dir.file(out));
            return runCli(arguments, {{"KORVELA_NOW", "2011-01-01 09:05:07"}}, c.input);
        };
        const auto fromFile = run(c.input, "from-file");
        const auto fromInput = run("-", "from-input");
        const std::string name = c.arguments[0] + " " + c.input;
        ASSERT_EQ(fromFile.status, 0) << name << fromFile.err;
        EXPECT_EQ(fromInput.status, 0) << name << fromInput.err;
        EXPECT_EQ(fromInput.out, fromFile.out) << name;
        EXPECT_EQ(fromInput.err, fromFile.err) << name;
        if (c.arguments.back() == "OUT") {
            EXPECT_EQ(testing::readFile(dir.file("from-input")),
                      testing::readFile(dir.file("from-file")))
                << name;
        }
    }
}

// An empty survey fills the table with one empty row, whose cell does not convert.
TEST(Cli, DxfOfASurveyWithoutPointsEndsWithTheConversionMessageAndNoFile) {
    testing::TempDir dir;
    const std::string survey = dir.file("empty.txt");
    testing::writeFile(survey, "no points here\r\n");
    const auto result = runCli({"dxf", survey, dir.file("out.dxf")});
    EXPECT_EQ(result.status, 3);
    EXPECT_TRUE(result.out.empty());
    EXPECT_EQ(result.err, "'' is not a valid floating point value\n");
    EXPECT_FALSE(std::filesystem::exists(dir.file("out.dxf")));

    // The listing of no point is its header.
    const auto listing =
        runCli({"txt", survey, dir.file("out.txt")}, {{"KORVELA_NOW", "2011-01-01 00:00:00"}});
    EXPECT_EQ(listing.status, 0) << listing.err;
    EXPECT_EQ(testing::readFile(dir.file("out.txt")),
              "Sokkia - sdr\r\nPROGRAM \"vex\"\r\n0:0:0\r\n1:1:2011\r\nN     X          Y          "
              "Z\r\n");
}

TEST(Cli, ExportsIntoAMissingFolderOrFromAMissingSurveyExitWithOne) {
    testing::TempDir dir;
    const std::string survey = dir.file("site.txt");
    testing::writeFile(survey, "header\r\n1,--------,1,2,3\r\n");
    for (const char* command : {"dxf", "txt"}) {
        const std::string out = dir.file("missing/out");
        const auto result = runCli({command, survey, out});
        EXPECT_EQ(result.status, 1) << command;
        EXPECT_NE(result.err.find(out), std::string::npos) << result.err;
        EXPECT_EQ(std::count(result.err.begin(), result.err.end(), '\n'), 1) << result.err;

        const auto noSurvey = runCli({command, dir.file("gone.sdr"), dir.file("out")});
        EXPECT_EQ(noSurvey.status, 1) << command;
        EXPECT_FALSE(std::filesystem::exists(dir.file("out")));

        EXPECT_EQ(runCli({command, survey}).status, 2) << command;
    }
}

TEST(Cli, CommandHelpPrintsThatCommandsUsage) {
    for (const char* help : {"--help", "-h"}) {
        const auto result = runCli({"dxf", help});
        EXPECT_EQ(result.status, 0) << help;
        EXPECT_EQ(result.out.rfind("usage: korvela-cli dxf SURVEY OUT [--layers-by-code", 0), 0u)
            << result.out;
        EXPECT_TRUE(result.err.empty());
    }
    EXPECT_NE(runCli({"-h"}).out.find("points SURVEY"), std::string::npos);
}

TEST(Cli, DashAsOutWritesTheFileToTheStandardOutput) {
    testing::TempDir dir;
    const std::string survey = std::string(KORVELA_EXAMPLES) + "/site.sdr";
    const std::map<std::string, std::string> now{{"KORVELA_NOW", "2011-01-01 09:05:07"}};
    for (const char* command : {"dxf", "txt", "project"}) {
        const std::string out = dir.file(std::string("out.") + command);
        ASSERT_EQ(runCli({command, survey, out}, now).status, 0) << command;
        const auto piped = runCli({command, survey, "-"}, now);
        EXPECT_EQ(piped.status, 0) << command;
        EXPECT_EQ(piped.out, testing::readFile(out)) << command;
        EXPECT_FALSE(std::filesystem::exists(dir.file("-")));
    }
}

TEST(Cli, AnOutputThatIsNoFileOrIsWriteProtectedExitsWithOne) {
    testing::TempDir dir;
    const std::string survey = std::string(KORVELA_EXAMPLES) + "/site.sdr";
    const std::string protectedPath = dir.file("protected.dxf");
    testing::writeFile(protectedPath, "keep");
    ::chmod(protectedPath.c_str(), 0444);
    const auto result = runCli({"dxf", survey, protectedPath});
    EXPECT_EQ(result.status, 1);
    EXPECT_NE(result.err.find("файл защищён от записи"), std::string::npos) << result.err;
    EXPECT_EQ(testing::readFile(protectedPath), "keep");
    EXPECT_EQ(runCli({"dxf", survey, "/dev/null"}).status, 0);
}

// A comma listing of `count` points, big enough that its export takes a while.
std::string writeLargeSurvey(const testing::TempDir& dir, int count) {
    std::string text = "generated\r\n";
    for (int point = 1; point <= count; ++point) {
        text += std::to_string(point) + ",--------," + std::to_string(5000 + point * 0.001) +
                ",7000.125,141.5\r\n";
    }
    const std::string path = dir.file("large.txt");
    testing::writeFile(path, text);
    return path;
}

bool holdsATemporaryFile(const std::filesystem::path& folder) {
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        if (entry.path().filename().string().rfind(".korvela-", 0) == 0) return true;
    }
    return false;
}

// Whether the process has a file of the folder open: the export's new file, named or not.
bool writesIntoFolder(pid_t process, const std::filesystem::path& folder) {
    std::error_code gone;
    for (const auto& entry :
         std::filesystem::directory_iterator("/proc/" + std::to_string(process) + "/fd", gone)) {
        if (std::filesystem::read_symlink(entry.path(), gone).parent_path() == folder) return true;
    }
    return false;
}

TEST(Cli, ASignalDuringAnExportLeavesNoTemporaryFile) {
    testing::TempDir input, output;
    const std::string survey = writeLargeSurvey(input, 400000);
    for (int signalNumber : {SIGTERM, SIGINT, SIGHUP}) {
        const pid_t child = ::fork();
        if (child == 0) {
            ::execl(KORVELA_CLI, KORVELA_CLI, "dxf", survey.c_str(), output.file("big.dxf").c_str(),
                    static_cast<char*>(nullptr));
            ::_exit(127);
        }
        bool seen = false;
        for (int poll = 0; poll < 30000 && !seen; ++poll) {
            seen = writesIntoFolder(child, output.path());
            if (!seen) ::usleep(1000);
        }
        ::kill(child, signalNumber);
        int status = 0;
        ::waitpid(child, &status, 0);
        EXPECT_TRUE(seen) << "the export ended before it could be interrupted";
        EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == signalNumber) << status;
        EXPECT_FALSE(holdsATemporaryFile(output.path())) << signalNumber;
        EXPECT_FALSE(std::filesystem::exists(output.file("big.dxf")));
    }
}

}  // namespace
}  // namespace korvela
