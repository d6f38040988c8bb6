// Survey files that instruments and other programs wrote (the folder's SOURCES.md says where
// each comes from). The expected points are read off the files' own text with the Sokkia
// record layout: SDR33 id in positions 4-19 and values in 20-35, 36-51, 52-67; SDR2x id in
// 4-7 and values in 8-17, 18-27, 28-37; the 00 header's coordinate order at position 44.
#include <gtest/gtest.h>

#include <cctype>
#include <filesystem>
#include <vector>

#include "points/point_store.h"
#include "points/survey_points.h"

namespace korvela {
namespace {

namespace fs = std::filesystem;

const fs::path kRealData = KORVELA_REALDATA;

using Point = testing::SurveyPoint;

struct Sample {
    std::size_t index;
    Point point;
};

struct RealFile {
    const char* name;
    std::size_t count;
    std::vector<Sample> samples;
};

const RealFile kRealFiles[] = {
    // SDR2x: 4-character ids, 10-character fields that touch; stations kind 0.
    {"r-barnes_sdr33_triangulation__example.sdr",
     10,
     {{0, {"0001", 0, 0, 0, 0}},
      {1, {"1000", 29.1755686, -4.0095257, 0.00963371, 1}},
      {2, {"1002", 4.59433814, 6.41467510, -0.4376595, 1}},
      {3, {"0002", 69.3026770, 137.030865, 0.71658242, 1}},
      {4, {"0002", 69.3030000, 137.031000, 0.71700000, 0}},
      {6, {"0003", -14.791761, -168.03557, -1.1542718, 1}},
      {9, {"0004", -2.0000000, -307.39900, -1.72700000, 0}}}},
    // STX ... ETX transmission, 8-digit zero-padded ids.
    {"totalopenstation__sample_data__sokkia_sdr33.tops",
     13,
     {{0, {"00000031", 509.97, 937.274, 20.053, 0}},
      {1, {"00000009", 510.504, 908.838, 19.699, 1}},
      {12, {"00000020", 506.797, 915.514, 19.556, 1}}}},
    // A 7-character station id; point ids touch the northing.
    {"totalopenstation__pr156__sokkia_sdr33_polar.tops",
     34,
     {{0, {"STZTEMP", 0, 0, 0, 0}},
      {1, {"1", 19.914, 9.217, 0.975, 1}},
      {2, {"2", -2.161, 1.421, 0.946, 1}},
      {6, {"6", 3.196, -13.489, -0.708, 1}},
      {33, {"33", 10.289, 11.174, 0.408, 1}}}},
    // 08CO control points, coordinate order E-N.
    {"geoeasy__tsdata_sdr33__20151125.sdr",
     7,
     {{0, {"STLEV", 15102.106, 6594.363, 163.403, 1}},
      {1, {"STLEV", 15102.106, 6594.363, 163.403, 0}},
      {2, {"KRYSHA", 14783.699, 6463.655, 223.327, 1}},
      {3, {"BVV", 15093.126, 6584.555, 157.160, 1}},
      {6, {"VTB", 14854.673, 6212.851, 211.530, 1}}}},
    {"geoeasy__tsdata_sdr33__20151130.sdr",
     6,
     {{2, {"KRYSHA", 14783.699, 6463.655, 223.327, 1}},
      {5, {"MOS", 15065.275, 6568.457, 169.544, 1}}}},
    {"geoeasy__tsdata_sdr33__20151204.sdr",
     5,
     {{1, {"STLEV", 15102.106, 6594.363, 163.403, 0}},
      {4, {"BVN", 15016.946, 6540.526, 106.360, 1}}}},
    // Keyed-in points (08KI, 02KI) inside STX ... ETX, coordinate order E-N.
    {"geoeasy__tsdata_spectra_focus6__1.sdr",
     4,
     {{0, {"101", -4.347, -6.794, 0.432, 1}},
      {1, {"102", -0.172, -6.773, 0.603, 1}},
      {2, {"202", -2.422, 4.773, 0.044, 1}},
      {3, {"202", -2.422, 4.773, 0.044, 0}}}},
    {"geoeasy__tsdata_spectra_focus6__2.sdr",
     21,
     {{0, {"AE", 245.619, 664.645, 1.504, 1}},
      {2, {"HO1", 270.139, 625.888, 0.374, 1}},
      {4, {"2", 228.225, 628.267, -0.258, 1}},
      {20, {"124", 269.134, 635.271, 1.389, 1}}}},
    // Not SDR: a comma raw file whose lines have seven or eight fields.
    {"geoeasy__tsdata_ruide__group_1_obs.sdr", 0, {}},
    // P,N,E,Z,D without the marker; number 1111 is missing from the file.
    {"bezitopo__dat__topo0.asc",
     1311,
     {{0, {"1", 538542.57000, 1455644.37100, 681.31000, 1}},
      {225, {"226", 538636.87258, 1455489.20122, 679.93052, 1}},    // empty description
      {1080, {"1081", 538577.58564, 1454659.95340, 671.72785, 1}},  // TOP WALL 18" WI
      {1109, {"1110", 538461.09915, 1454546.71365, 686.71444, 1}},
      {1110, {"1112", 539084.80419, 1454738.74361, 683.82319, 1}},
      {1310, {"1312", 538849.59710, 1454763.18098, 675.13765, 1}}}},
};

class RealSurveyFile : public ::testing::TestWithParam<RealFile> {};

TEST_P(RealSurveyFile, GivesThePointsASurveyorSeesInIt) {
    if (!fs::is_directory(kRealData))
        GTEST_SKIP() << "the real survey files are not at " << kRealData;
    const RealFile& file = GetParam();
    PointStore store;
    ASSERT_FALSE(store.loadSurveyFile((kRealData / file.name).string()));
    ASSERT_EQ(store.count(), file.count);
    for (const auto& [index, expected] : file.samples) {
        const Point got{std::string(store.number()[index]), store.x()[index], store.y()[index],
                        store.z()[index], store.kind()[index]};
        EXPECT_EQ(got, expected) << "point " << index;
    }
}

INSTANTIATE_TEST_SUITE_P(Import, RealSurveyFile, ::testing::ValuesIn(kRealFiles),
                         [](const auto& info) {
                             std::string name = info.param.name;
                             for (char& c : name) {
                                 if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
                             }
                             return name;
                         });

}  // namespace
}  // namespace korvela
