#include "points/survey_reader.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cerrno>
#include <random>

#include "common/regular_file.h"
#include "points/point_store.h"
#include "points/survey_points.h"
#include "test_support.h"

namespace korvela {
namespace {

using Point = testing::SurveyPoint;

std::vector<Point> pointsOf(const PointStore& store) {
    std::vector<Point> points;
    for (std::size_t i = 0; i < store.count(); ++i) {
        points.push_back({std::string(store.number()[i]), store.x()[i], store.y()[i], store.z()[i],
                          store.kind()[i]});
        EXPECT_EQ(store.active()[i], 1);
        EXPECT_EQ(store.colour()[i], kColourAqua);
    }
    return points;
}

std::vector<Point> read(const std::string& bytes) {
    PointStore store;
    readSurvey(bytes, store);
    return pointsOf(store);
}

using Points = std::vector<Point>;

const std::string kListingHeader =
    "Sokkia - sdr\r\nPROGRAM \"vex\"\r\n9:5:7\r\n1:1:2011\r\nN     X          Y          Z\r\n";

// --- the fixed-column listing -------------------------------------------------------------

TEST(ListingFormat, ReadsTheFixedColumns) {
    EXPECT_EQ(read(kListingHeader + "12    1234.5678  0.5        150            \r\n"
                                    "ABCDEF12345678901-2345678901987654321.5xyz\r\n"),
              (Points{{"12", 1234.5678, 0.5, 150, 1},
                      {"ABCDEF", 12345678901, -2345678901, 987654321.5, 1}}));
}

TEST(ListingFormat, HeaderOnlyGivesNoPointsAndAnEmptyLineEndsTheReading) {
    EXPECT_EQ(read(kListingHeader), Points{});
    EXPECT_EQ(read(kListingHeader +
                   "1     1          2          3\r\n\r\n2     4          5          6\r\n"),
              (Points{{"1", 1, 2, 3, 1}}));
}

TEST(ListingFormat, ShortRowsAreSkippedAndAnEndedZFieldReadsWhatIsThere) {
    EXPECT_EQ(read(kListingHeader +
                   "1     1          2\r\n"                // shorter than 28: skipped
                   "2     1          2          \r\n"      // exactly 28: z is empty, 0
                   "3     1          2          15\r\n"),  // the line ends inside the z field
              (Points{{"2", 1, 2, 0, 1}, {"3", 1, 2, 15, 1}}));
}

TEST(ListingFormat, FirstLineMustMatchExactly) {
    // A trailing blank makes it a comma file, which this is not.
    EXPECT_EQ(read("Sokkia - sdr \r\nPROGRAM\r\n1\r\n2\r\nN\r\n1     1          2          3\r\n"),
              Points{});
}

// --- Sokkia SDR ---------------------------------------------------------------------------

const std::string kSdrHeader =
    "00NMSDR33 V04-04.02     01-Jan-10 00:00 113111\r\n10NMJOB\r\n13NMa\r\n13NMb\r\n";

TEST(SdrFormat, ReadsCoordinateAndStationRecords) {
    EXPECT_EQ(
        read(kSdrHeader + "02TP             ST1 5412100.000 7312100.000 151.200\r\n"
                          "08TP               1 5412112.345 7312105.678 150.125   extra tokens\r\n"
                          "09F1               1 2 3 4\r\n"
                          "08TP           12345   -1.5   2.25e1  3\r\n"),
        (Points{{"ST1", 5412100, 7312100, 151.2, 0},
                {"1", 5412112.345, 7312105.678, 150.125, 1},
                {"12345", -1.5, 22.5, 3, 1}}));
}

TEST(SdrFormat, MarkerAnywhereInTheFirstLineAndRecordsRightAfterIt) {
    EXPECT_EQ(read("xxNMSDRxx\nnote\n08TP               2 1 2 3\n"
                   "08TP               3 1 2 3\n08TP               4 4 5 6\n"),
              (Points{{"2", 1, 2, 3, 1}, {"3", 1, 2, 3, 1}, {"4", 4, 5, 6, 1}}));
}

TEST(SdrFormat, ShortRecordsAndRecordsWithFewTokensAreSkipped) {
    EXPECT_EQ(read(kSdrHeader + "08TP1234567890123456\r\n"     // 08TP and 16 more characters
                                "08TP               1\r\n"     // 20 characters
                                "08TP               21 2\r\n"  // two tokens
                                "08TP               3 7 8 9\r\n"),
              (Points{{"3", 7, 8, 9, 1}}));
}

TEST(SdrFormat, PointNumberIsTheWholeIdOfItsSixteenCharacterField) {
    const struct {
        std::string record;
        Point expected;
    } cases[] = {
        {"08TP           12345 1 2 3", {"12345", 1, 2, 3, 1}},
        {"08TP           AB    1 2 3", {"AB", 1, 2, 3, 1}},
        {"08TP        00000009 1 2 3", {"00000009", 1, 2, 3, 1}},
        {"08TPABCDEFGHIJKLMNOP 1 2 3", {"ABCDEFGHIJKLMNOP", 1, 2, 3, 1}},
        // Ids fill their field to position 19 and touch the northing.
        {"02TP         STZTEMP0.000           0.000           0.000", {"STZTEMP", 0, 0, 0, 0}},
        {"02TP        00000031509.97000000    937.27400000    20.05300000     1.50500000      11",
         {"00000031", 509.97, 937.274, 20.053, 0}},
        // The id runs on to the left only up to a blank, and only from position 15.
        {"08TP       ST 123456 1 2 3", {"123456", 1, 2, 3, 1}},
        {"08TP          X 1234 1 2 3", {"1234", 1, 2, 3, 1}},
        // Left-aligned in the field, with positions 15-19 blank.
        {"08TPPunkt7           1 2 3", {"Punkt7", 1, 2, 3, 1}},
        {"08TP    AB 7         1 2 3", {"AB 7", 1, 2, 3, 1}},
        {"08TP                 1 2 3", {"", 1, 2, 3, 1}},
    };
    for (const auto& [record, expected] : cases) {
        EXPECT_EQ(read(kSdrHeader + record + "\r\n"), Points{expected}) << record;
    }
}

TEST(SdrFormat, EveryCoordinateAndStationRecordIsReadWhateverItsDerivationCode) {
    EXPECT_EQ(read(kSdrHeader + "08KI             101-6.794          -4.347          0.432\r\n"
                                "08CO           STLEV6594.363   15102.106  163.403\r\n"
                                "02KI             202 4.773 -2.422 0.044 0.000\r\n"
                                "09F1             202              11 101.4 289.4\r\n"
                                "07TP           STLEV          KRYSHA202.3 201.2\r\n"
                                "13NM            Note 1 2 3\r\n"),
              (Points{{"101", -6.794, -4.347, 0.432, 1},
                      {"STLEV", 6594.363, 15102.106, 163.403, 1},
                      {"202", 4.773, -2.422, 0.044, 0}}));
}

const std::string kSdr2xHeader =
    "00NMSDR20     V03-05    25-Sep-10 22:10 113111\r\n10NM20100925\r\n13CPa\r\n13CPb\r\n";

TEST(SdrFormat, Sdr2xRecordsAreFixedFieldsThatMayTouch) {
    EXPECT_EQ(
        read(kSdr2xHeader + "08TP0007-12.345678123456.789-0.1234567CODE\r\n"
                            "02TP00081.5       2.25      3.125     1.60000000\r\n"
                            "08TP00091.0       2.0       \r\n"  // the elevation is null
                            "08TP00101.0       2.0      \r\n"   // ends before the elevation field
                            "09F100011001          90.2166666114.030555\r\n"),
        (Points{{"0007", -12.345678, 123456.789, -0.1234567, 1},
                {"0008", 1.5, 2.25, 3.125, 0},
                {"0009", 1, 2, 0, 1}}));
    // Only the 00 header's version tells the layout.
    EXPECT_EQ(read("xxNMSDR20\r\n1\r\n2\r\n3\r\n08TP           0007 1.5 2.5 3.5\r\n"),
              (Points{{"0007", 1.5, 2.5, 3.5, 1}}));
}

TEST(SdrFormat, CoordinateOrderTwoPutsTheFirstValueIntoY) {
    const std::string records =
        "02TP             ST1 10 20 30\r\n08TP               1 40 50 60\r\n";
    const Points northingFirst{{"ST1", 10, 20, 30, 0}, {"1", 40, 50, 60, 1}};
    const Points eastingFirst{{"ST1", 20, 10, 30, 0}, {"1", 50, 40, 60, 1}};
    const std::string notes = "10NMJOB\r\n13NMa\r\n13NMb\r\n";
    EXPECT_EQ(read("00NMSDR33 V04-04.02     01-Jan-10 00:00 113121\r\n" + notes + records),
              eastingFirst);
    EXPECT_EQ(read("00NMSDR33 V04-04.02     01-Jan-10 00:00 113111\r\n" + notes + records),
              northingFirst);
    EXPECT_EQ(read("00NMSDR33 V04-04.02     01-Jan-10 00:00 1131\r\n" + notes + records),
              northingFirst);
    EXPECT_EQ(read("xxNMSDR33 V04-04.02     01-Jan-10 00:00 113121\r\n" + notes + records),
              northingFirst);
    EXPECT_EQ(read("00NMSDR20     V03-05    01-Jan-10 00:00 113121\r\n" + notes +
                   "08TP00011.5       2.5       3.5       \r\n"),
              (Points{{"0001", 2.5, 1.5, 3.5, 1}}));
}

TEST(SdrFormat, AnEmptyLineEndsTheReading) {
    EXPECT_EQ(read(kSdrHeader + "08TP               1 1 2 3\r\n\r\n08TP               2 1 2 3\r\n"),
              (Points{{"1", 1, 2, 3, 1}}));
}

TEST(SdrFormat, LfAndCrLfFilesAndALastLineWithoutLineEndReadAlike) {
    const std::string crlf =
        kSdrHeader + "08TP               1 1 2 3\r\n08TP               2 4 5 6";
    std::string lf = crlf;
    std::erase(lf, '\r');
    const Points expected{{"1", 1, 2, 3, 1}, {"2", 4, 5, 6, 1}};
    EXPECT_EQ(read(crlf), expected);
    EXPECT_EQ(read(lf), expected);
}

TEST(SdrFormat, TokensAreSplitAtBlanksOnly) {
    // A tab does not separate tokens: "1\t2" is the first token and reads 1.
    EXPECT_EQ(read(kSdrHeader + "08TP               1 1\t2 3 4\r\n"), (Points{{"1", 1, 3, 4, 1}}));
}

// --- comma lines --------------------------------------------------------------------------

TEST(CommaFormat, ReadsNumberAndCoordinatesAroundTheMarker) {
    EXPECT_EQ(read("job\r\n12,--------,5012.345,7023.456,101.25\r\n13,--------,5020.5,7030,100.75,"
                   "CODE\r\n"),
              (Points{{"12", 5012.345, 7023.456, 101.25, 1}, {"13", 5020.5, 7030, 100.75, 1}}));
}

TEST(CommaFormat, FirstLineIsNeverAPointAndEmptyLinesDoNotStop) {
    EXPECT_EQ(read("1,--------,1,2,3\n\n\nno marker,1,2,3\n2,--------,4,5,6\n"),
              (Points{{"2", 4, 5, 6, 1}}));
}

TEST(CommaFormat, ALongNumberShiftsTheFields) {
    // The 21st and later characters of the number become the x token.
    EXPECT_EQ(read("h\nABCDEFGHIJKLMNOPQRSTUV,--------,1,2,3\n"),
              (Points{{"ABCDEFGHIJKLMNOPQRSTUV", 0, 1, 2, 1}}));
}

TEST(CommaFormat, LinesWithFewerThanThreeCoordinatesAreSkipped) {
    EXPECT_EQ(read("h\n1,--------,1,2\n2,--------,\n3,--------,1,2,3\n"),
              (Points{{"3", 1, 2, 3, 1}}));
}

TEST(CommaFormat, TextAfterALoneCarriageReturnIsCut) {
    EXPECT_EQ(read("h\n1,--------,1,2,3\r4,5,6\n"), (Points{{"1", 1, 2, 3, 1}}));
}

TEST(CommaFormat, NumbersThatDoNotReadAreZero) {
    EXPECT_EQ(read("h\n1,--------,abc,0x10,-\n"), (Points{{"1", 0, 0, 0, 1}}));
}

TEST(CommaFormat, WithoutTheMarkerEveryPointLineIsReadFromLineOne) {
    EXPECT_EQ(read("1,538542.57000,1455644.37100,681.31000,I\r\n"
                   "P,N,E,Z,D\r\n"        // a header
                   " P7 , 10 ,20,30\r\n"  // blanks around fields
                   "8,1,2,3,\r\n"         // empty description
                   "9,-1e3,+2.5,.5,TOP WALL 18\" WI\r\n"
                   "10,1,2\r\n"                                    // too few fields
                   "11,1,2,3,A,B\r\n"                              // too many
                   "UP,4,,656307.390,257535.510,126.140,code\r\n"  // a raw observation line
                   "12,1,2x,3\r\n"                                 // a field that is no number
                   "13,,2,3\r\n"
                   "14,0x10,2,3\r\n"
                   ",1,2,3\r\n"),
              (Points{{"1", 538542.57, 1455644.371, 681.31, 1},
                      {"P7", 10, 20, 30, 1},
                      {"8", 1, 2, 3, 1},
                      {"9", -1000, 2.5, 0.5, 1},
                      {"", 1, 2, 3, 1}}));
}

TEST(CommaFormat, AMarkerOnAnyLineMeansOnlyMarkerLinesArePoints) {
    EXPECT_EQ(read("1,1,2,3\n2,4,5,6\n7,--------,1,2,3\n"), (Points{{"7", 1, 2, 3, 1}}));
    EXPECT_EQ(read("1,1,2,3\n7,--------,1,2,3\n2,4,5,6\n"), (Points{{"7", 1, 2, 3, 1}}));
    EXPECT_EQ(read("1,--------,1,2,3\n2,4,5,6\n"), Points{});
}

TEST(CommaFormat, AMarkerAfterMoreThanABlockOfListingDropsTheListingOnDisk) {
    testing::TempDir dir;
    std::string listing;
    for (int i = 0; i < 100'000; ++i) listing += std::to_string(i) + ",1.5,2.5,3.5\r\n";
    const std::string plainPath = dir.file("plain.txt");
    const std::string markedPath = dir.file("marked.txt");
    testing::writeFile(plainPath, listing);
    testing::writeFile(markedPath, listing + "M,--------,7,8,9\r\n");
    ASSERT_GT(listing.size(), 1u << 20);

    PointStore store;
    EXPECT_FALSE(store.loadSurveyFile(plainPath));
    ASSERT_EQ(store.count(), 100'000u);
    EXPECT_EQ(pointsOf(store).back(), (Point{"99999", 1.5, 2.5, 3.5, 1}));
    EXPECT_FALSE(store.loadSurveyFile(markedPath));
    EXPECT_EQ(pointsOf(store), (Points{{"M", 7, 8, 9, 1}}));
}

// --- files of instruments, download programs and converters -------------------------------

struct RealWorldCase {
    const char* what;
    std::string bytes;
    Points expected;
};

const std::string kSdrHeaderLine = "00NMSDR33 V04-04.02     01-Jan-10 00:00 113111\r\n";
const std::string kPoint1 = "08TP               1 1 2 3\r\n";
const std::string kPoint2 = "08TP               2 4 5 6\r\n";
// A station record reaching the end of its elevation field, the fields 20-35, 36-51, 52-67
// given, the instrument height and a code following.
std::string fullStation(const std::string& northing, const std::string& easting,
                        const std::string& elevation) {
    auto padded = [](std::string text) { return text + std::string(16 - text.size(), ' '); };
    return "02TP        00000031" + padded(northing) + padded(easting) + padded(elevation) +
           "1.50500000      11\r\n";
}

// Files read once from disk by one thread and by four: the points written, wherever the
// blocks, the threads' chunks and the first lines that size the columns cut them.
TEST(SurveyReader, AFileReadOnceGivesThePointsWrittenWhereverItIsCut) {
    const auto sdrRecords = [](int count, const std::string& lineEnd, Points& points) {
        std::string records;
        for (int i = 0; i < count; ++i) {
            const std::string number = std::to_string(i);
            points.push_back({number, 100 + i * 0.5, -i * 0.25, double(i % 9), kKindPoint});
            records += "08TP" + std::string(16 - number.size(), ' ') + number + " " +
                       std::to_string(100 + i / 2) + (i % 2 ? ".5 -" : ".0 -") +
                       std::to_string(i / 4) + "." + std::to_string(i % 4 * 25) + " " +
                       std::to_string(i % 9) + lineEnd;
        }
        return records;
    };
    std::string notes;
    for (int i = 0; i < 1100; ++i) notes += "13NMno point on this line\r\n";
    std::string listing;
    for (int i = 0; i < 40'000; ++i) listing += std::to_string(i) + ",1.5,2.5,3.5\r\n";
    struct Case {
        const char* what;
        std::string bytes;
        Points points;
    };
    std::vector<Case> cases(4);
    cases[0].what = "CR LF, notes before the records";
    cases[0].bytes = kSdrHeaderLine + notes + sdrRecords(40'000, "\r\n", cases[0].points);
    cases[1].what = "LF, no final line end";
    cases[1].bytes = kSdrHeaderLine + sdrRecords(40'000, "\n", cases[1].points);
    cases[1].bytes.pop_back();
    cases[2].what = "markers in the middle and at the end of a listing";
    cases[2].bytes = listing + "M,--------,7,8,9\r\n" + listing + "N,--------,1,2,3";
    cases[2].points = {{"M", 7, 8, 9, kKindPoint}, {"N", 1, 2, 3, kKindPoint}};
    cases[3].what = "empty";
    testing::TempDir dir;
    const std::string path = dir.file("survey.sdr");
    for (const Case& c : cases) {
        testing::writeFile(path, c.bytes);
        for (const std::size_t threads : {1, 4}) {
            PointStore store;
            ASSERT_FALSE(readSurveyFile(path, store, threads)) << c.what;
            EXPECT_TRUE(pointsOf(store) == c.points) << c.what << ", threads " << threads;
        }
    }
}

class SurveyFromTheField : public ::testing::TestWithParam<RealWorldCase> {};

TEST_P(SurveyFromTheField, ReadsAsASurveyorExpects) {
    EXPECT_EQ(read(GetParam().bytes), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Rules, SurveyFromTheField,
    ::testing::Values(
        // Blank lines before the SDR header.
        RealWorldCase{
            "BlankLinesBeforeTheHeader", "\r\n  \r\n" + kSdrHeader + kPoint1, {{"1", 1, 2, 3, 1}}},
        RealWorldCase{"BlankLinesBeforeACommaFileStayItsLineOne",
                      "\n1,--------,1,2,3\n2,--------,4,5,6\n",
                      {{"1", 1, 2, 3, 1}, {"2", 4, 5, 6, 1}}},
        // Records among the three lines after the header.
        RealWorldCase{"ConverterFileWithABlankFirstLine",
                      "\r\n" + kSdrHeaderLine + "10NMJOB\r\n" +
                          "08KI               1 1 2 3\r\n08KI               2 4 5 6\r\n"
                          "08KI               3 7 8 9\r\n",
                      {{"1", 1, 2, 3, 1}, {"2", 4, 5, 6, 1}, {"3", 7, 8, 9, 1}}},
        RealWorldCase{"PointsRightAfterTheHeader",
                      kSdrHeaderLine + kPoint1 + "02TP             ST1 7 8 9\r\n" + kPoint2,
                      {{"1", 1, 2, 3, 1}, {"ST1", 7, 8, 9, 0}, {"2", 4, 5, 6, 1}}},
        RealWorldCase{
            "AnEmptyLineAfterTheHeaderIsSkippedOneAfterThemEndsTheReading",
            kSdrHeaderLine + "\r\n" + kPoint1 + "13NMnote\r\n" + kPoint2 + "\r\n" + kPoint1,
            {{"1", 1, 2, 3, 1}, {"2", 4, 5, 6, 1}}},
        // Byte order mark and the written-out STX and ETX.
        RealWorldCase{"ByteOrderMarkBeforeTheHeader",
                      "\xEF\xBB\xBF" + kSdrHeader + kPoint1,
                      {{"1", 1, 2, 3, 1}}},
        RealWorldCase{"ByteOrderMarkBeforeTheListing",
                      "\xEF\xBB\xBF" + kListingHeader + "7     1          2          3\r\n",
                      {{"7", 1, 2, 3, 1}}},
        RealWorldCase{"WrittenStxAndEtx",
                      "\xEF\xBB\xBF<STX>\r\n" + kSdrHeader + kPoint1 + "<ETX>58903\r\n" + kPoint2,
                      {{"1", 1, 2, 3, 1}}},
        RealWorldCase{"WrittenEtxEndsACommaFile",
                      "h\n1,--------,1,2,3\n<ETX>\n2,--------,4,5,6\n",
                      {{"1", 1, 2, 3, 1}}},
        RealWorldCase{"StxTextWithMoreOnItsLineIsLineOne", "<STX> \r\n" + kSdrHeader + kPoint1, {}},
        // SDR33 records read by their fixed fields.
        RealWorldCase{"StationWithABlankElevationIsNotGivenTheInstrumentHeight",
                      kSdrHeader + fullStation("509.97000000", "937.27400000", ""),
                      {{"00000031", 509.97, 937.274, 0, 0}}},
        RealWorldCase{"StationWithoutCoordinatesGivesNoPoint",
                      kSdrHeader + fullStation("", "", "") + kPoint1,
                      {{"1", 1, 2, 3, 1}}},
        RealWorldCase{"BlankNorthingIsZero",
                      kSdrHeader + fullStation("", "937.274", "20.053"),
                      {{"00000031", 0, 937.274, 20.053, 0}}},
        RealWorldCase{"FilledFieldsThatTouch",
                      kSdrHeader + fullStation("5412112.34567891", "7312105.67891234", "-150.125"),
                      {{"00000031", 5412112.34567891, 7312105.67891234, -150.125, 0}}},
        RealWorldCase{"AFieldThatIsNoNumberLeavesTheTokenRule",
                      kSdrHeader + fullStation("509.97", "937.274x", ""),
                      {{"00000031", 509.97, 937.274, 1.505, 0}}},
        RealWorldCase{"ARecordEndingBeforeTheElevationFieldsEndKeepsTheTokenRule",
                      kSdrHeader + "02TP        00000031509.97          937.274         " +
                          std::string(15, ' ') + "\r\n",
                      {}},
        RealWorldCase{"FixedFieldsInEastingFirstOrder",
                      "00NMSDR33 V04-04.02     01-Jan-10 00:00 113121\r\n10NM\r\n13NM\r\n13NM\r\n" +
                          fullStation("937.274", "509.97", ""),
                      {{"00000031", 509.97, 937.274, 0, 0}}},
        // An empty elevation in a comma listing without the marker.
        RealWorldCase{
            "CommaListingWithEmptyElevations",
            "OC1,547.120,501.430,,\r\nOC2,547.5,501.5,\r\nOC3,547.5,,1\r\nOC4,547.5,501.5, ,X\r\n",
            {{"OC1", 547.12, 501.43, 0, 1},
             {"OC2", 547.5, 501.5, 0, 1},
             {"OC4", 547.5, 501.5, 0, 1}}}),
    [](const auto& info) { return std::string(info.param.what); });

// --- parsing in parallel -------------------------------------------------------------------

// Surveys large enough to be cut into several chunks, with what ends or changes the reading
// placed deep inside: the result must not depend on how many threads read them, nor on their
// lines being read from a file a block at a time (one line longer than a block).
TEST(SurveyReader, FourThreadsReadWhatOneThreadReads) {
    std::string sdr = kSdrHeader;
    std::string marked = "job\r\n";
    std::string plain;
    std::string listing = kListingHeader;
    constexpr int kLines = 40'000;
    for (int i = 0; i < kLines; ++i) {
        const std::string n = std::to_string(i);
        const std::string values = " " + n + ".25 -" + n + ".5 " + std::to_string(i % 7) + "\r\n";
        sdr += (i % 9 == 0    ? "02TP"
                : i % 13 == 0 ? "09F1"
                              : "08TP") +
               std::string(16 - n.size(), ' ') + n + values;
        if (i == kLines * 3 / 4) sdr += "\r\n";  // ends the reading
        marked += i % 5 == 0 ? n + ",--------," + n + ",1.5,2\n" : n + ",1,2,3,DESCRIPTION TEXT\n";
        if (i == kLines * 2 / 3)
            marked +=
                "\x03"
                "12345\n";
        plain += n + "," + n + ".125,2," + (i % 3 == 0 ? "" : "4.5") + ",A DESCRIPTION\r\n";
        listing += n.substr(0, 6) + std::string(6 - std::min<std::size_t>(6, n.size()), ' ') +
                   "1          2          3\r\n";
    }
    const std::string longLine = kSdrHeader + kPoint1 + std::string(3 << 20, 'x') + "\n" + kPoint2;
    const struct {
        const char* what;
        const std::string& bytes;
        std::size_t count;
    } surveys[] = {{"sdr", sdr, 30'001 - 30'001 / 13 + 30'001 / 117},
                   {"marked", marked, 26'667 / 5 + 1},
                   {"plain", plain, kLines},
                   {"listing", listing, kLines},
                   {"longLine", longLine, 2}};
    testing::TempDir dir;
    for (const auto& survey : surveys) {
        ASSERT_GT(survey.bytes.size(), 4u << 18) << survey.what;
        PointStore one;
        PointStore four;
        readSurvey(survey.bytes, one, 1);
        readSurvey(survey.bytes, four, 4);
        EXPECT_EQ(one.count(), survey.count) << survey.what;
        EXPECT_EQ(pointsOf(four), pointsOf(one)) << survey.what;

        const std::string path = dir.file(survey.what);
        testing::writeFile(path, survey.bytes);
        for (const std::size_t threads : {1, 4}) {
            PointStore fromFile;
            EXPECT_FALSE(readSurveyFile(path, fromFile, threads)) << survey.what;
            EXPECT_EQ(pointsOf(fromFile), pointsOf(one)) << survey.what << threads;
        }
    }
}

// --- any file -----------------------------------------------------------------------------

TEST(SurveyReader, FilesWithoutAFormatsMarkerGiveNoPoints) {
    EXPECT_EQ(read(""), Points{});
    EXPECT_EQ(read("0\r\nSECTION\r\n2\r\nHEADER\r\n9\r\n$ACADVER\r\n1\r\nAC1009\r\n0\r\nEOF\r\n"),
              Points{});
}

TEST(SurveyReader, ATransmissionsStxLineIsSkippedAndItsEtxLineEndsTheReading) {
    const Points sdrPoints{{"1", 1, 2, 3, 1}};
    for (const std::string stx : {"\x02\r\n", "\x02\n"}) {
        EXPECT_EQ(read(stx + kSdrHeader +
                       "08TP               1 1 2 3\r\n\x03"
                       "58903\r\n"
                       "08TP               2 4 5 6\r\n"),
                  sdrPoints);
        EXPECT_EQ(read(stx + kListingHeader +
                       "1     1          2          3\r\n\x03\r\n"
                       "2     4          5          6\r\n"),
                  sdrPoints);
        EXPECT_EQ(
            read(stx + "1,--------,9,9,9\r\n1,--------,1,2,3\r\n\x03\r\n2,--------,4,5,6\r\n"),
            sdrPoints);
        EXPECT_EQ(read(stx + "1,1,2,3\r\n\x03\r\n2,--------,4,5,6\r\n"), sdrPoints);
    }
    // Only a first line that holds STX alone is skipped.
    EXPECT_EQ(read("\x02 \n" + kSdrHeader + "08TP               1 1 2 3\r\n"), Points{});
    EXPECT_EQ(read("h\n\x02\n1,--------,1,2,3\n"), sdrPoints);
}

TEST(SurveyReader, BinaryBytesNeverCrash) {
    std::mt19937 random(7);
    for (int round = 0; round < 50; ++round) {
        std::string bytes(4096, '\0');
        for (char& c : bytes) c = static_cast<char>(random());
        if (round % 2 == 0) bytes.replace(0, 6, "NMSDR\n");
        PointStore store;
        readSurvey(bytes, store);
        EXPECT_EQ(store.number().size(), store.count());
        EXPECT_EQ(store.kind().size(), store.count());
    }
}

TEST(SurveyReader, ReadingASecondFileDropsTheFirstFilesPoints) {
    PointStore store;
    readSurvey(kSdrHeader + "08TP               1 1 2 3\r\n", store);
    readSurvey("h\n9,--------,7,8,9\n", store);
    EXPECT_EQ(pointsOf(store), (Points{{"9", 7, 8, 9, 1}}));
}

TEST(SurveyReader, ReadsAFileFromDisk) {
    testing::TempDir dir;
    const std::string path = dir.file("site.sdr");
    testing::writeFile(path, kSdrHeader + "02TP             ST1 1 2 3\r\n");
    PointStore store;
    EXPECT_FALSE(store.loadSurveyFile(path));
    EXPECT_EQ(pointsOf(store), (Points{{"ST1", 1, 2, 3, 0}}));
}

// Another program shortens, extends or rewrites the file after the import opened it: the
// import fails and the store ends empty, with one thread or several.
TEST(SurveyReader, AFileChangedWhileReadingFailsTheImport) {
    testing::TempDir dir;
    const std::string path = dir.file("site.sdr");
    std::string survey = kSdrHeader;
    for (int i = 0; i < 40'000; ++i) {
        const std::string n = std::to_string(i);
        survey += "08TP" + std::string(16 - n.size(), ' ') + n + " 1 2 3\r\n";
    }
    for (const std::size_t threads : {1, 4}) {
        for (const testing::FileChange& change : testing::changesAfterOpening(path, survey)) {
            testing::writeFile(path, survey);
            RegularFile file;
            ASSERT_FALSE(file.open(path));
            change.change();
            PointStore store;
            store.append("old", 1, 2, 3, kColourAqua, kKindPoint);
            const auto error = readSurveyFile(file, store, threads);
            ASSERT_EQ(error.has_value(), change.fails) << change.what << threads;
            EXPECT_EQ(store.count(), change.fails ? 0u : 40'000u) << change.what << threads;
            if (change.fails) {
                EXPECT_EQ(error->message(), "Не удаётся прочитать файл \"" + path +
                                                "\": файл изменился во время чтения");
            }
        }
    }
}

// Lines of many megabytes are held one at a time, each once: the import takes no more memory
// than the file's size and a constant.
TEST(SurveyReader, ALongLineIsHeldOnce) {
    testing::TempDir dir;
    const std::string path = dir.file("long.txt");
    const std::pair<std::string, std::size_t> gap{" ", 32 << 20};  // blanks in a long line
    using Parts = std::vector<std::pair<std::string, std::size_t>>;
    const struct {
        const char* what;
        Parts file;
        Points points;
    } cases[] = {
        // Line 1, never a point, and the point's values stand far apart.
        {"marker lines",
         {{"1,--------,1,2", 1}, gap, {",3\r\n2,--------,4,5", 1}, gap, {" 6\r\n", 1}},
         {{"2", 4, 5, 6, 1}}},
        {"an SDR record",
         {{kSdrHeader + "08TP               1 1 2", 1}, gap, {"3\r\n" + kPoint2, 1}},
         {{"1", 1, 2, 3, 1}, {"2", 4, 5, 6, 1}}},
    };
    const double idle = testing::childPeakMiB([] { return true; });
    for (const auto& c : cases) {
        const std::size_t size = testing::writeRepeated(path, c.file);
        const double peak = testing::childPeakMiB([&] {
            PointStore store;
            return !readSurveyFile(path, store) && pointsOf(store) == c.points;
        });
        EXPECT_GT(peak, 0) << c.what << ": the points differ";
        EXPECT_LT(peak, idle + static_cast<double>(size) / (1 << 20) + 16) << c.what;
    }
}

TEST(SurveyReader, AFileThatCannotBeReadLeavesTheStoreEmpty) {
    testing::TempDir dir;
    PointStore store;
    store.append("old", 1, 2, 3, kColourAqua, kKindPoint);
    const auto missing = store.loadSurveyFile(dir.file("missing.sdr"));
    ASSERT_TRUE(missing);
    EXPECT_EQ(missing->errorNumber, ENOENT);
    EXPECT_EQ(store.count(), 0u);

    store.append("old", 1, 2, 3, kColourAqua, kKindPoint);
    const auto folder = store.loadSurveyFile(dir.path().string());
    ASSERT_TRUE(folder);
    EXPECT_EQ(folder->errorNumber, EISDIR);
    EXPECT_EQ(store.count(), 0u);

    ASSERT_EQ(::mkfifo(dir.file("pipe").c_str(), 0600), 0);
    store.append("old", 1, 2, 3, kColourAqua, kKindPoint);
    const auto pipe = store.loadSurveyFile(dir.file("pipe"));
    ASSERT_TRUE(pipe);
    EXPECT_EQ(pipe->errorNumber, kNotRegularFile);
    EXPECT_EQ(store.count(), 0u);
}

}  // namespace
}  // namespace korvela
