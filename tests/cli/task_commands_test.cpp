// korvela-cli's survey task commands: selection by number, statuses and messages.
#include <gtest/gtest.h>

#include "cli_runner.h"

namespace korvela {
namespace {

using testing::runCli;

// Point numbers in Windows-1251: "ПУ1" and "Б".
const std::string kSurvey =
    "header\r\n"
    "\xCF\xD3"
    "1,--------,0,0,0\r\n"
    "2,--------,3,4,0\r\n"
    "3,--------,0,10,0\r\n"
    "\xC1,--------,10,0,0\r\n";

class TaskCommands : public ::testing::Test {
protected:
    void SetUp() override { testing::writeFile(survey, kSurvey); }

    testing::TempDir dir;
    const std::string survey = dir.file("site.txt");
};

TEST_F(TaskCommands, Utf8NumbersAreTakenAsWindows1251) {
    const auto length = runCli({"length", survey, "ПУ1", "2"});
    EXPECT_EQ(length.status, 0);
    EXPECT_EQ(length.out,
              "\xCF\xD3"
              "1 2\r\n5\r\n\r\n");

    const auto direction = runCli({"direction", survey, "ПУ1", "Б"});
    EXPECT_EQ(direction.out, "0\xB0 0' 0''\r\n");
    // Bytes that are not UTF-8 are used as they are.
    EXPECT_EQ(runCli({"direction", survey,
                      "\xCF\xD3"
                      "1",
                      "2"})
                  .out,
              "53\xB0 7' 48''\r\n");
}

TEST_F(TaskCommands, ReportMessagesArePrintedAsTheReport) {
    const auto angles = runCli({"angles", survey, "2", "3"});
    EXPECT_EQ(angles.status, 0);
    EXPECT_EQ(angles.out,
              "\xCD\xE0\xE4\xEE \xE2\xFB\xE1\xF0\xE0\xF2\xFC \xF0\xEE\xE2\xED\xEE "
              "\xF2\xF0\xE8 \xF2\xEE\xF7\xEA\xE8!");
    const auto direction = runCli({"direction", survey, "2", "2 "});
    EXPECT_EQ(direction.status, 0);
    EXPECT_EQ(direction.out.back(), '!');
    EXPECT_EQ(runCli({"length", survey, "nothing"}).out, "");
}

TEST_F(TaskCommands, RotateReadsTheAngleAsTheDialogDoes) {
    const auto rotated = runCli({"rotate", survey, " 45 ", "2"});
    EXPECT_EQ(rotated.status, 0);
    EXPECT_EQ(rotated.out, "proposed\t0\n2\t2.1213\t4\t2.1213\n");

    const auto bad = runCli({"rotate", survey, "1,5", "2"});
    EXPECT_EQ(bad.status, 3);
    EXPECT_EQ(bad.out, "");
    EXPECT_EQ(bad.err, "'1,5' is not a valid floating point value\n");
}

TEST_F(TaskCommands, JoinNoticesExitWithThreeAndChangeNothing) {
    const std::string second = dir.file("second.txt");
    testing::writeFile(second,
                       "header\r\nA,--------,1,0,0\r\nB,--------,0,1,0\r\nC,--------,0,0,1\r\n"
                       "Z,--------,2,3,0\r\nD,--------,1.1,0.3,0.7\r\nE,--------,0.2,1.3,0.9\r\n"
                       "F,--------,1.3,1.6,1.6\r\n");
    const std::string singular =
        "Матрица сингулярная. Бесконечно много решений. Поменяйте точки.\n";
    const std::string wrong = "Надо выбрать ровно о три точки с каждой стороны\n";
    const struct {
        std::vector<std::string> arguments;
        int status;
        std::string err;
    } cases[] = {
        {{"join", survey, "2", "3", "2", second, "A", "B", "C"}, 3, wrong},  // two selected
        {{"join", survey, "2", "3", "2", dir.file("missing"), "A", "B", "C"}, 3, wrong},
        {{"join", survey, "ПУ1", "2", "3", second, "A", "A", "C"}, 3, wrong},
        {{"join", survey, "ПУ1", "2", "3", second, "A", "B", "Z"}, 3, singular},
        // F = D + E in decimal, not in binary: no zero pivot, but no map either.
        {{"join", survey, "ПУ1", "2", "3", second, "D", "E", "F"}, 3, singular},
    };
    for (const auto& c : cases) {
        const auto result = runCli(c.arguments);
        EXPECT_EQ(result.status, c.status) << c.arguments[6];
        EXPECT_EQ(result.out, "");
        EXPECT_EQ(result.err, c.err);
    }
    const auto missing =
        runCli({"join", survey, "ПУ1", "2", "3", dir.file("missing"), "A", "B", "C"});
    EXPECT_EQ(missing.status, 1);
    EXPECT_NE(missing.err.find(dir.file("missing")), std::string::npos);
}

TEST_F(TaskCommands, JoinAppendsTheSecondSurveyAfterTheStore) {
    const std::string second = dir.file("second.txt");
    testing::writeFile(second,
                       "header\r\n\xC0,--------,0,10,0\r\nB,--------,-3,0,2\r\n"
                       "C,--------,0,0,5\r\nN,--------,0,5,3\r\n");
    // The second survey is the first turned by 90 degrees about Z.
    testing::writeFile(
        survey, "header\r\nS1,--------,10,0,0\r\nS2,--------,0,3,2\r\nS3,--------,0,0,5\r\n");
    const auto result = runCli({"join", survey, "S1", "S2", "S3", second, "А", "B", "C"});
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out,
              "S1\t10\t0\t0\t1\nS2\t0\t3\t2\t1\nS3\t0\t0\t5\t1\n"
              "\xC0\t10\t0\t0\t1\nB\t0\t3\t2\t1\nC\t0\t0\t5\t1\nN\t5\t0\t3\t1\n");
}

TEST_F(TaskCommands, JoinKeepsNationalGridCoordinates) {
    testing::writeFile(survey,
                       "header\r\n"
                       "1,--------,5412345.678,7312456.789,151.234\r\n"
                       "2,--------,5412512.345,7312301.012,148.75\r\n"
                       "3,--------,5412198.765,7312611.321,153.5\r\n");
    const std::string second = dir.file("second.txt");
    testing::writeFile(second,
                       "header\r\n"
                       "A,--------,-7312456.789,5412345.678,151.234\r\n"
                       "B,--------,-7312301.012,5412512.345,148.75\r\n"
                       "C,--------,-7312611.321,5412198.765,153.5\r\n"
                       "N,--------,-7312500.5,5412401.2345,150.001\r\n");
    const auto result = runCli({"join", survey, "1", "2", "3", second, "A", "B", "C"});
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out.substr(result.out.find("A\t")),
              "A\t5412345.678\t7312456.789\t151.234\t1\n"
              "B\t5412512.345\t7312301.012\t148.75\t1\n"
              "C\t5412198.765\t7312611.321\t153.5\t1\n"
              "N\t5412401.2345\t7312500.5\t150.001\t1\n");
}

// The survey's points 2, 3, Б shifted by (-100, -200, 50) and N 5 m above their plane: the
// join's map puts N |shift|·5/50 = 22.9129 m from where the similarity puts it.
TEST_F(TaskCommands, LimitAndConfidenceAreOptionsGivenLast) {
    const std::string second = dir.file("second.txt");
    testing::writeFile(second,
                       "header\r\nA,--------,-97,-196,50\r\nB,--------,-100,-190,50\r\n"
                       "C,--------,-90,-200,50\r\nN,--------,-95,-195,55\r\n");
    const std::vector<std::string> join = {"join", survey, "2", "3", "Б", second, "A", "B", "C"};
    const std::vector<std::string> transform = {"transform", survey, "ПУ1", "2", "3", "Б", survey};
    const struct {
        std::vector<std::string> arguments, options;
        int status;
        std::string expected;  // in stderr, or in stdout on success
    } cases[] = {
        {join, {}, 3, "«N» в 22.9129 м от положения"},
        {join, {"--limit", "23"}, 0, "N\t"},
        {join, {"--limit", "0"}, 2, "korvela-cli: wrong value for --limit: 0 (a number of"},
        {transform, {"--confidence", "0.5"}, 0, " 0.5\r\n"},
        {transform, {"--confidence", "1"}, 2, "korvela-cli: wrong value for --confidence: 1 (a"},
    };
    for (auto c : cases) {
        c.arguments.insert(c.arguments.end(), c.options.begin(), c.options.end());
        const auto result = runCli(c.arguments);
        EXPECT_EQ(result.status, c.status) << c.expected;
        const std::string& text = c.status == 0 ? result.out : result.err;
        EXPECT_NE(text.find(c.expected), std::string::npos) << c.expected << '\n' << text;
    }
}

TEST(TaskCommandArguments, WrongCountsGiveTheUsage) {
    for (const std::vector<std::string>& arguments :
         {std::vector<std::string>{"length", "s"},
          {"angles", "s"},
          {"direction", "s", "1"},
          {"direction", "s", "1", "2", "3"},
          {"rotate", "s", "45"},
          {"join", "s", "1", "2", "3", "t", "A", "B"}}) {
        const auto result = runCli(arguments);
        EXPECT_EQ(result.status, 2) << arguments[0];
        EXPECT_NE(result.err.find("usage: korvela-cli"), std::string::npos);
    }
}

}  // namespace
}  // namespace korvela
