// korvela-cli project and project-points beyond the golden examples: damaged and missing
// files, the selection as opening leaves it.
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "cli_runner.h"
#include "exchange/buffer_edge_survey.h"
#include "points/project_file.h"

namespace korvela {
namespace {

using testing::runCli;

constexpr const char* kSurvey =
    "header\r\n"
    "A,--------,10.5,20.25,3\r\n"
    "\xCF\xD3"
    "2,--------,-1,-2,-3\r\n";

TEST(ProjectCommands, ASavedSurveyOpensWithNothingSelectedAndEveryPointActive) {
    testing::TempDir dir;
    testing::writeFile(dir.file("site.txt"), kSurvey);
    const auto saved = runCli({"project", dir.file("site.txt"), dir.file("site.kpr")});
    ASSERT_EQ(saved.status, 0) << saved.err;
    EXPECT_TRUE(saved.out.empty());

    const auto opened = runCli({"project-points", dir.file("site.kpr")});
    EXPECT_EQ(opened.status, 0) << opened.err;
    EXPECT_EQ(opened.out,
              "A\t10.5\t20.25\t3\t1\t1\t0\t16776960\n"
              "\xCF\xD3"
              "2\t-1\t-2\t-3\t1\t1\t0\t16776960\n");
}

TEST(ProjectCommands, OpeningPrintsFrozenPointsAndTheSelectionAsTheTicksLeaveIt) {
    testing::TempDir dir;
    PointStore store;
    store.append("1", 1, 2, 3, -16777216, kKindStation);
    store.append("2", 4, 5, 6, kColourGreen, kKindPoint);
    store.setActive(1, 0);
    ASSERT_FALSE(saveProjectFile(dir.file("p.kpr"), ViewState(), {5, 0}, store));
    const auto opened = runCli({"project-points", dir.file("p.kpr")});
    EXPECT_EQ(opened.status, 0);
    EXPECT_EQ(opened.out, "1\t1\t2\t3\t0\t1\t1\t-16777216\n2\t4\t5\t6\t1\t0\t0\t65280\n");
}

// `points` of a survey whose first number is longer than the output buffer, and
// `project-points` of its project (whose numbers hold at most 9999 bytes): every line whole,
// the values read back by the C library.
TEST(ProjectCommands, PrintedLinesAreWholeAroundTheOutputBuffersEnds) {
    testing::TempDir dir;
    const PointStore survey = testing::bufferEdgeSurvey();
    std::string text;
    char values[100];
    for (std::size_t i = 0; i < survey.count(); ++i) {
        std::snprintf(values, sizeof values, ",%.17g,%.17g,%.17g\r\n", survey.x()[i],
                      survey.y()[i], survey.z()[i]);
        text.append(survey.number()[i]).append(values);
    }
    testing::writeFile(dir.file("edge.txt"), text);
    const PointStore project = testing::bufferEdgeSurvey(9999);
    ASSERT_FALSE(saveProjectFile(dir.file("edge.kpr"), ViewState(),
                                 std::vector<std::int32_t>(project.count(), 0), project));
    const struct {
        std::vector<std::string> arguments;
        const PointStore& store;
        std::string rest;  // the fields after Z
    } cases[] = {
        {{"points", dir.file("edge.txt")}, survey, "1"},
        {{"project-points", dir.file("edge.kpr")}, project, "1\t1\t0\t16776960"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.arguments[0]);
        const auto result = runCli(c.arguments);
        ASSERT_EQ(result.status, 0) << result.err;
        std::istringstream lines(result.out);
        std::string line;
        std::size_t i = 0;
        for (; std::getline(lines, line) && i < c.store.count(); ++i) {
            std::istringstream fields(line);
            std::string number, x, y, z, rest;
            std::getline(fields, number, '\t');
            std::getline(fields, x, '\t');
            std::getline(fields, y, '\t');
            std::getline(fields, z, '\t');
            std::getline(fields, rest);
            EXPECT_EQ(number, c.store.number()[i]) << i;
            EXPECT_EQ(std::strtod(x.c_str(), nullptr), testing::fifteenDigits(c.store.x()[i])) << i;
            EXPECT_EQ(std::strtod(y.c_str(), nullptr), testing::fifteenDigits(c.store.y()[i])) << i;
            EXPECT_EQ(std::strtod(z.c_str(), nullptr), testing::fifteenDigits(c.store.z()[i])) << i;
            EXPECT_EQ(rest, c.rest) << i;
        }
        EXPECT_EQ(i, c.store.count());
        EXPECT_TRUE(result.out.ends_with('\n'));
    }
}

TEST(ProjectCommands, FilesThatCannotBeReadOrWrittenExitWithOne) {
    testing::TempDir dir;
    testing::writeFile(dir.file("site.txt"), kSurvey);
    testing::writeFile(dir.file("broken.kpr"), std::string(100, '\0'));
    struct Case {
        std::vector<std::string> arguments;
        std::string message;
    };
    const Case cases[] = {
        {{"project-points", dir.file("broken.kpr")},
         "Файл проекта повреждён: " + dir.file("broken.kpr")},
        {{"project-points", dir.file("missing.kpr")}, dir.file("missing.kpr")},
        {{"project", dir.file("missing.txt"), dir.file("out.kpr")}, dir.file("missing.txt")},
        {{"project", dir.file("site.txt"), dir.file("none/out.kpr")}, dir.file("none/out.kpr")},
    };
    for (const Case& c : cases) {
        const auto result = runCli(c.arguments);
        EXPECT_EQ(result.status, 1) << c.arguments[1];
        EXPECT_TRUE(result.out.empty());
        EXPECT_NE(result.err.find(c.message), std::string::npos) << result.err;
        EXPECT_EQ(std::count(result.err.begin(), result.err.end(), '\n'), 1);
    }
    EXPECT_FALSE(std::filesystem::exists(dir.file("out.kpr")));
}

TEST(ProjectCommands, WrongArgumentCountsExitWithTwo) {
    for (const std::vector<std::string>& arguments : {std::vector<std::string>{"project", "a"},
                                                      {"project", "a", "b", "c"},
                                                      {"project-points"},
                                                      {"project-points", "a", "b"}}) {
        EXPECT_EQ(runCli(arguments).status, 2) << arguments.size();
    }
}

}  // namespace
}  // namespace korvela
