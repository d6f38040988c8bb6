// korvela-cli's daily computations: the new point from known geometry, numbering, refusals.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <sstream>

#include "cli_runner.h"

namespace korvela {
namespace {

using testing::runCli;

// Known points 1, 3 and A, B, C on one line; the new point truly at P = (75, 50), 7 is the
// largest whole number.
const std::string kSurvey =
    "1,100,100,10\n3,50,100,9\n7,0,500,0\nA,0,0,0\nB,0,100,0\nC,0,250,0\n";
constexpr double kPx = 75, kPy = 50;

std::string azimuthText(double fromX, double fromY, double toX, double toY) {
    double a = std::atan2(toY - fromY, toX - fromX) * 180 / std::numbers::pi;
    if (a < 0) a += 360;
    std::ostringstream text;
    text.precision(17);
    text << a;
    return text.str();
}
std::string toP(double x, double y) { return azimuthText(x, y, kPx, kPy); }
std::string fromP(double x, double y) { return azimuthText(kPx, kPy, x, y); }

class CogoCommands : public ::testing::Test {
protected:
    void SetUp() override { testing::writeFile(survey, kSurvey); }

    testing::TempDir dir;
    const std::string survey = dir.file("site.txt");
};

TEST_F(CogoCommands, NewPointsFromKnownGeometry) {
    const std::string toPFrom1 = azimuthText(100, 100, kPx, kPy);
    const std::string distanceA = std::to_string(std::hypot(kPx, kPy));
    // Oriented on 3 (directional angle 180°) with the circle reading 0 there.
    const double readingToP = std::stod(toPFrom1) - 180;
    const struct {
        std::vector<std::string> arguments;
        const char* number;
        double x, y;
        int kind;
    } cases[] = {
        {{"polar", survey, "1", "3", "0", std::to_string(readingToP),
          std::to_string(std::hypot(kPx - 100, kPy - 100))}, "8", kPx, kPy, 1},
        {{"intersection", survey, "A", toP(0, 0), "B", toP(0, 100), "--name", "П1"},
         "\xCF" "1", kPx, kPy, 1},
        {{"intersection", survey, "A", toP(0, 0), "B", toP(0, 100), "C", toP(0, 250)}, "8", kPx, kPy, 1},
        {{"distance-intersection", survey, "A", distanceA, "B", distanceA, "--side", "left"}, "8", kPx, kPy, 1},
        {{"distance-intersection", survey, "A", distanceA, "B", distanceA, "--side", "right"}, "8", -kPx, kPy, 1},
        {{"resection", survey, "A", fromP(0, 0), "B", fromP(0, 100), "C", fromP(0, 250)}, "8", kPx, kPy, 0},
        {{"resection", survey, "A", fromP(0, 0), "B", fromP(0, 100), "C", fromP(0, 250), "1",
          fromP(100, 100), "--name", "S"}, "S", kPx, kPy, 0},
    };
    for (const auto& c : cases) {
        const auto result = runCli(c.arguments);
        ASSERT_EQ(result.status, 0) << c.arguments[0] << ": " << result.err;
        // The report's lines end in CR LF; the point comes last as `points` prints it.
        const std::size_t last = result.out.rfind("\r\n") + 2;
        std::istringstream point(result.out.substr(last));
        std::string number;
        double x = 0, y = 0, z = 0;
        int kind = -1;
        std::getline(point, number, '\t');
        point >> x >> y >> z >> kind;
        EXPECT_EQ(number, c.number) << c.arguments[0];
        EXPECT_NEAR(x, c.x, 1e-4) << c.arguments[0];
        EXPECT_NEAR(y, c.y, 1e-4) << c.arguments[0];
        EXPECT_EQ(kind, c.kind) << c.arguments[0];
    }
}

TEST_F(CogoCommands, RefusalsAndWrongArguments) {
    const struct {
        std::vector<std::string> arguments;
        int status;
        const char* message;  // in the error stream
    } cases[] = {
        {{"inverse", survey, "1", "Z"}, 3, "Нет точки с номером «Z»"},
        {{"inverse", survey, "1", "1"}, 3, "совпадают"},
        {{"distance-intersection", survey, "A", "10", "B", "10", "--side", "left"}, 3, "не пересекаются"},
        {{"intersection", survey, "A", "45", "B", "46"}, 3, "под углом 1° 00' 00\""},
        {{"resection", survey, "A", "0", "B", "0-00-01", "C", "0-00-02"}, 3, "опасной окружности"},
        {{"intersection", survey, "A", "45-61-00", "B", "46"}, 2, "wrong angle"},
        {{"distance-intersection", survey, "A", "10", "B", "10"}, 2, "--side"},
        {{"polar", survey, "1", "3", "0", "10", "5", "--height", "2"}, 2, "wrong option"},
        {{"resection", survey, "A", "0", "B", "10", "C"}, 2, "wrong arguments"},
    };
    for (const auto& c : cases) {
        const auto result = runCli(c.arguments);
        EXPECT_EQ(result.status, c.status) << c.arguments[0] << ": " << result.err;
        EXPECT_NE(result.err.find(c.message), std::string::npos) << result.err;
        if (c.status != 0) {
            EXPECT_TRUE(result.out.empty()) << c.arguments[0];
        }
    }
}

TEST_F(CogoCommands, StakeoutSheetFromKnownGeometry) {
    // From 1 oriented on 3 (180°) to 7 at ΔX −100, ΔY +400: the angle to turn is α − 180°.
    const auto result = runCli({"stakeout", survey, "1", "3", "7", "--ih", "1.5", "--th", "2"});
    ASSERT_EQ(result.status, 0) << result.err;
    const double alpha = std::atan2(400.0, -100.0) * 180 / std::numbers::pi;
    const long turn = std::lround((alpha - 180 + 360) * 3600);
    char expected[64];
    std::snprintf(expected, sizeof expected, "7\t%ld\xB0 %02ld' %02ld\"", std::lround(alpha * 3600) / 3600,
                  std::lround(alpha * 3600) / 60 % 60, std::lround(alpha * 3600) % 60);
    char turned[64];
    std::snprintf(turned, sizeof turned, "\t%ld\xB0 %02ld' %02ld\"\t%.3f\t", turn / 3600, turn / 60 % 60,
                  turn % 60, std::hypot(100.0, 400.0));
    EXPECT_NE(result.out.find(std::string(expected) + turned), std::string::npos) << result.out;
}

}  // namespace
}  // namespace korvela
