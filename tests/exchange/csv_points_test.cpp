#include "exchange/csv_points.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <optional>
#include <sstream>
#include <tuple>

#include "buffer_edge_survey.h"
#include "common/cp1251.h"
#include "common/number_text.h"
#include "common/regular_file.h"
#include "common/work_progress.h"
#include "points/line_chunks.h"
#include "points/point_store.h"
#include "points/survey_points.h"
#include "test_support.h"

namespace korvela {
namespace {

using testing::SurveyPoint;

const std::vector<SurveyPoint> kPoints = {
    {"1", 6123456.789, 7412345.678, 151.25, kKindPoint},
    {"\xCF\xD3"
     "2",
     -12.5, 0.001, 0, kKindPoint},  // "ПУ2"
    {"A 3", 100, 200, -3.75, kKindPoint},
};

std::vector<SurveyPoint> pointsOf(const PointStore& store) {
    std::vector<SurveyPoint> points;
    for (std::size_t i = 0; i < store.count(); ++i)
        points.push_back({std::string(store.number()[i]), store.x()[i], store.y()[i], store.z()[i],
                          store.kind()[i]});
    return points;
}

// The points as a file with the layout's columns, separator and decimal mark would hold them.
std::string fileOf(const std::vector<SurveyPoint>& points, const CsvLayout& layout) {
    const std::string separator = layout.separator == kBlankSeparator
                                      ? std::string(" \t ")
                                      : std::string(1, layout.separator);
    std::string text(layout.skipLines, '\n');
    const auto number = [&](double value) {
        std::string t = formatNumber(value);
        if (layout.decimalComma) std::replace(t.begin(), t.end(), '.', ',');
        return t;
    };
    for (const SurveyPoint& p : points) {
        std::string line;
        for (const char column : layout.columns) {
            if (!line.empty()) line += separator;
            if (column == 'P') line += '"' + p.number + '"';
            if (column == 'N') line += number(p.x);
            if (column == 'E') line += number(p.y);
            if (column == 'Z') line += number(p.z);
            if (column == 'D') line += "fence";
        }
        text += line + "\r\n";
    }
    return text;
}

TEST(CsvPoints, EveryColumnOrderAndSeparatorReadsTheSamePoints) {
    for (const char* columns : {"PNEZD", "PENZD", "PNEZ", "PENZ", "DPNEZ", "ZNEP", "PNE", "PEN"}) {
        for (const char separator : {',', ';', '\t', kBlankSeparator}) {
            for (const bool decimalComma : {false, true}) {
                if (decimalComma && separator == ',') continue;
                const CsvLayout layout{columns, separator, decimalComma, 2, TextEncoding::Cp1251};
                SCOPED_TRACE(std::string(columns) + " separator " + std::to_string(separator) +
                             (decimalComma ? " decimal comma" : ""));
                PointStore store;
                const CsvReadSummary summary =
                    readCsvPoints(fileOf(kPoints, layout), layout, store);
                std::vector<SurveyPoint> want = kPoints;
                if (std::string_view(columns).find('Z') == std::string_view::npos) {
                    for (SurveyPoint& p : want) p.z = 0;
                }
                EXPECT_EQ(pointsOf(store), want);
                EXPECT_EQ(summary.pointsRead, 3u);
                EXPECT_EQ(summary.rowsUnread, 0u);
            }
        }
    }
}

TEST(CsvPoints, ReadsSemicolonsWithDecimalCommasAndUtf8Numbers) {
    const std::string file =
        "\xEF\xBB\xBF"
        "Номер;Y;X;H\r\n"
        "ПУ-1; 7412345,678 ;6123456,789;151,25\r\n"
        "\r\n"
        "Репер 2;0,5;-1,25;\r\n"
        "3;abc;1;2\r\n"
        "4;1\r\n";
    EXPECT_EQ(guessEncoding(file), TextEncoding::Utf8);
    const CsvLayout layout{"PENZ", ';', true, 1, TextEncoding::Utf8};
    PointStore store;
    const CsvReadSummary summary = readCsvPoints(file, layout, store);
    EXPECT_EQ(pointsOf(store), (std::vector<SurveyPoint>{
                                   {"\xCF\xD3-1", 6123456.789, 7412345.678, 151.25, kKindPoint},
                                   {"\xD0\xE5\xEF\xE5\xF0 2", -1.25, 0.5, 0, kKindPoint},
                               }));
    EXPECT_EQ(summary.rowsUnread, 2u);  // "abc" and the short row; the blank line is no row
    EXPECT_EQ(store.colour()[0], kColourAqua);

    const auto preview = previewCsv(file, layout, 3);
    ASSERT_EQ(preview.size(), 3u);
    EXPECT_EQ(preview[0].line, "ПУ-1; 7412345,678 ;6123456,789;151,25");
    EXPECT_TRUE(preview[1].point);
    EXPECT_FALSE(preview[2].point);
}

TEST(CsvPoints, APreviewShortensALongLineAtAWholeCharacter) {
    const auto repeated = [](std::string_view text, std::size_t count) {
        std::string line;
        for (std::size_t i = 0; i < count; ++i) line += text;
        return line;
    };
    const std::string letterZhe = "Ж";  // two bytes in UTF-8, "\xC6" in Windows-1251
    const struct {
        const char* what;
        std::string line;
        TextEncoding encoding;
        std::string shown;
    } cases[] = {
        {"short", "1;2;3", TextEncoding::Cp1251, "1;2;3"},
        {"as long as shown", std::string(kPreviewLineBytes, '7'), TextEncoding::Utf8,
         std::string(kPreviewLineBytes, '7')},
        {"longer", std::string(kPreviewLineBytes + 1, '7'), TextEncoding::Utf8,
         std::string(kPreviewLineBytes, '7') + "…"},
        // The cut would fall inside the 256th letter: 255 of them stay after the "a".
        {"UTF-8", "a" + repeated(letterZhe, kPreviewLineBytes), TextEncoding::Utf8,
         "a" + repeated(letterZhe, (kPreviewLineBytes - 1) / 2) + "…"},
        {"Windows-1251", std::string(kPreviewLineBytes + 9, '\xC6'), TextEncoding::Cp1251,
         repeated(letterZhe, kPreviewLineBytes) + "…"},
    };
    for (const auto& c : cases) {
        CsvLayout layout;
        layout.encoding = c.encoding;
        const auto preview = previewCsv(c.line + "\r\n", layout, 1);
        ASSERT_EQ(preview.size(), 1u) << c.what;
        EXPECT_EQ(preview[0].line, c.shown) << c.what;
    }
}

// A hundred megabytes of separators on one line: reading it, guessing its separator and
// encoding and previewing it take less than twice the file.
TEST(CsvPoints, ALineOfSeparatorsTakesLessThanTwiceTheFile) {
    testing::TempDir dir;
    const std::string path = dir.file("commas.csv");
    const std::size_t size =
        testing::writeRepeated(path, {{"1,6123.5,7412.25,151\n", 1}, {",", 100 << 20}});
    const double peak = testing::childPeakMiB([&] {
        std::string bytes;
        if (readCsvFile(path, bytes)) return false;
        CsvLayout layout;
        layout.encoding = chooseEncoding(bytes, TextEncoding::Cp1251);
        layout.separator = guessSeparator(bytes, 0).value_or(',');
        const auto preview = previewCsv(bytes, layout, 20);
        PointStore store;
        const CsvReadSummary summary = readCsvPoints(bytes, layout, store);
        return preview.size() == 2 &&
               preview[1].line == std::string(kPreviewLineBytes, ',') + "…" &&
               summary.pointsRead == 1 && summary.rowsUnread == 1;
    });
    EXPECT_GT(peak, 0) << "the file did not read as one point and one unread row";
    EXPECT_LT(peak, 2 * static_cast<double>(size) / (1 << 20));
}

// Another program shortens, extends or rewrites the file after it was opened: no bytes are
// read, rather than a part of the file as if it were all of it.
TEST(CsvPoints, AFileChangedWhileReadingIsNotRead) {
    testing::TempDir dir;
    const std::string path = dir.file("points.csv");
    const std::string file = fileOf(kPoints, CsvLayout{});
    for (const testing::FileChange& c : testing::changesAfterOpening(path, file)) {
        testing::writeFile(path, file);
        RegularFile opened;
        ASSERT_FALSE(opened.open(path));
        c.change();
        std::string bytes = "old";
        const auto error = readCsvFile(opened, bytes);
        ASSERT_EQ(error.has_value(), c.fails) << c.what;
        EXPECT_EQ(bytes, c.fails ? "" : file) << c.what;
        if (c.fails) {
            EXPECT_EQ(error->message(),
                      "Не удаётся прочитать файл \"" + path + "\": файл изменился во время чтения");
        }
    }
}

// A file read from disk a run of lines at a time gives the points written into it, whatever
// its line ends, its last line and where its blocks of a mebibyte cut its records.
TEST(CsvPoints, AFileReadInRunsOfLinesGivesEveryPointWritten) {
    const auto written = [](std::size_t count, std::string_view lineEnd, bool finalLineEnd) {
        std::vector<SurveyPoint> points;
        std::string bytes = "number;north;east;height" + std::string(lineEnd);
        for (std::size_t i = 0; i < count; ++i) {
            // Quarters are exact, so the expected values need no formatter.
            points.push_back({"П" + std::to_string(i), 6000000 + 0.25 * static_cast<double>(i),
                              -0.75 * static_cast<double>(i), static_cast<double>(i % 7), kKindPoint});
            bytes += points.back().number + ";" + std::to_string(6000000 + i / 4) + "." +
                     std::to_string(i % 4 * 25) + ";" + (i == 0 ? "" : "-") +
                     std::to_string(i * 3 / 4) + "." + std::to_string(i * 3 % 4 * 25) + ";" +
                     std::to_string(i % 7);
            if (i + 1 < count || finalLineEnd) bytes += lineEnd;
        }
        for (SurveyPoint& p : points) p.number = utf8ToCp1251(p.number);
        return std::pair(bytes, points);
    };
    const struct {
        const char* what;
        std::size_t count;
        std::string_view lineEnd;
        bool finalLineEnd;
    } cases[] = {
        {"CR LF", 60'000, "\r\n", true},
        {"LF", 60'000, "\n", true},
        {"no final line end", 60'000, "\r\n", false},
        {"one line without line end", 1, "\n", false},
        {"the header only", 0, "\n", false},
    };
    testing::TempDir dir;
    const std::string path = dir.file("points.csv");
    for (const auto& c : cases) {
        const auto [bytes, points] = written(c.count, c.lineEnd, c.finalLineEnd);
        if (c.count > 1) {
            ASSERT_GT(bytes.size(), std::size_t{3} << 19) << c.what;  // past a block and a half
        }
        testing::writeFile(path, bytes);
        RegularFile file;
        ASSERT_FALSE(file.open(path));
        CsvLayout layout{"PNEZ", ';', false, 1, TextEncoding::Cp1251};
        ASSERT_FALSE(guessFileEncoding(file, layout.encoding));
        EXPECT_EQ(layout.encoding, TextEncoding::Utf8) << c.what;
        PointStore store;
        CsvReadSummary summary;
        ASSERT_FALSE(readCsvPointsFile(file, layout, store, summary)) << c.what;
        EXPECT_EQ(summary.rowsUnread, 0u) << c.what;
        EXPECT_EQ(summary.pointsRead, c.count) << c.what;
        EXPECT_TRUE(pointsOf(store) == points) << c.what;
    }
    testing::writeFile(path, "");
    RegularFile empty;
    ASSERT_FALSE(empty.open(path));
    PointStore store;
    CsvReadSummary summary{1, 1};
    EXPECT_FALSE(readCsvPointsFile(empty, CsvLayout{}, store, summary));
    EXPECT_EQ(store.count(), 0u);
    EXPECT_EQ(summary.pointsRead + summary.rowsUnread, 0u);
}

// A file parsed by several threads gives its points in file order; without a P column they
// are numbered in the order read across the threads' runs, an unread row where a run's split
// falls is counted once, and a stop ends every thread with no points.
TEST(CsvPoints, RunsReadOnSeveralThreadsJoinInFileOrder) {
    // Lines of one length, so that the split at a third of the data falls where a line starts,
    // the unread row's.
    constexpr std::size_t kLines = 60'000;
    constexpr std::size_t kUnreadLine = kLines / 3;
    std::string bytes;
    std::vector<SurveyPoint> read;
    for (std::size_t i = 0; i < kLines; ++i) {
        char number[16];
        std::snprintf(number, sizeof number, "P%06zu", i);
        const std::string integer = std::to_string(100000 + i);
        bytes += std::string(number) + "," + (i == kUnreadLine ? "abcdef" : integer) + ".5,-" +
                 integer + ".25," + std::to_string(i % 7) + "\n";
        const double value = static_cast<double>(100000 + i);
        if (i != kUnreadLine) {
            read.push_back({number, value + 0.5, -value - 0.25, static_cast<double>(i % 7), kKindPoint});
        }
    }
    ASSERT_GT(bytes.size(), 3 * kSmallestChunk);  // three runs
    testing::TempDir dir;
    const std::string path = dir.file("points.csv");
    testing::writeFile(path, bytes);
    const struct {
        const char* what;
        const char* columns;
        std::size_t threads;
        bool stopped;
    } cases[] = {
        {"numbered, one thread", "PNEZ", 1, false},
        {"numbered, three threads", "PNEZ", 3, false},
        {"in the order read, three threads", "DNEZ", 3, false},
        {"stopped, three threads", "PNEZ", 3, true},
    };
    for (const auto& c : cases) {
        RegularFile file;
        ASSERT_FALSE(file.open(path));
        const CsvLayout layout{c.columns, ',', false, 0, TextEncoding::Cp1251};
        PointStore store;
        CsvReadSummary summary;
        WorkProgress progress;
        if (c.stopped) {
            progress.requestStop();
            EXPECT_THROW(readCsvPointsFile(file, layout, store, summary, &progress, c.threads),
                         WorkStopped) << c.what;
            EXPECT_EQ(store.count(), 0u) << c.what;
            continue;
        }
        ASSERT_FALSE(readCsvPointsFile(file, layout, store, summary, &progress, c.threads)) << c.what;
        EXPECT_EQ(summary.pointsRead, kLines - 1) << c.what;
        EXPECT_EQ(summary.rowsUnread, 1u) << c.what;
        EXPECT_EQ(progress.done(), bytes.size()) << c.what;
        std::vector<SurveyPoint> want = read;
        const bool numbered = std::string_view(c.columns).starts_with('P');
        for (std::size_t i = 0; i < want.size(); ++i) {
            if (!numbered) {
                EXPECT_EQ(store.code()[i], want[i].number) << c.what;
                want[i].number = std::to_string(i + 1);
            }
        }
        EXPECT_TRUE(pointsOf(store) == want) << c.what;
    }
}

TEST(CsvPoints, GuessesWindows1251WhenTheBytesAreNotUtf8) {
    EXPECT_EQ(guessEncoding("\xCF\xD3"
                            "1,1,2\r\n"),
              TextEncoding::Cp1251);
    EXPECT_EQ(guessEncoding("1,1,2\r\n"), TextEncoding::Utf8);
}

TEST(CsvPoints, APreferredEncodingStaysWhereTheBytesCanBeInIt) {
    using enum TextEncoding;
    const std::tuple<std::string, TextEncoding, TextEncoding> cases[] = {
        {"1,1,2\r\n", Cp1251, Cp1251},  // plain ASCII reads alike in either
        {"1,1,2\r\n", Utf8, Utf8},
        {"ПУ1,1,2\r\n", Cp1251, Utf8},
        {"\xCF\xD3"
         "1,1,2\r\n",
         Utf8, Cp1251},
    };
    for (const auto& [bytes, preferred, chosen] : cases)
        EXPECT_EQ(chooseEncoding(bytes, preferred), chosen) << bytes;
}

TEST(CsvPoints, TheSeparatorIsTheOneThatSplitsTheFirstLinesAlike) {
    std::string tenRows;
    for (int row = 0; row < 10; ++row) tenRows += "1;2;3\n";
    const std::string describedTabs = "1\t6123.5\t7412.25\tfence, brick\n2\t6\t7\tgate, iron\n";
    const std::optional<char> none;
    const struct {
        const char* name;
        std::string bytes;
        std::size_t skipLines;
        std::optional<char> preferred;
        std::optional<char> chosen;
    } cases[] = {
        {"semicolons with decimal commas", "1;6123,5;7412,25\r\n2;6124;7413,5\r\n", 0, ',', ';'},
        {"tabs", "1\t6123.5\t7412.25\r\n2\t6124\t7413.5\r\n", 0, none, '\t'},
        {"blanks", "1   6123.5 7412.25\n 2 6124  7413.5\n", 0, ',', kBlankSeparator},
        {"tabs with commas in the descriptions", describedTabs, 0, none, '\t'},
        {"the preferred one fits too", describedTabs, 0, ',', ','},
        {"tab before ';' when both fit", "a;b\tc;d\ne;f\tg;h\n", 0, ',', '\t'},
        {"a quoted separator splits nothing", "\"a;b\",1,2\n\n\"c;d\",3,4\n", 0, ';', ','},
        {"lines split differently", "1;2;3\n4;5\n", 0, ',', none},
        {"a title line read over", "Points of site\n1;2;3\n4;5;6\n", 1, ',', ';'},
        {"a title line counted", "Points of site\n1;2;3\n4;5;6\n", 0, none, none},
        {"only the first ten lines count", tenRows + "bad\n", 0, ',', ';'},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(guessSeparator(c.bytes, c.skipLines, c.preferred), c.chosen) << c.name;
    }
}

TEST(CsvPoints, WrittenPointsReadBackInEveryFormat) {
    PointStore store;
    for (const SurveyPoint& p : kPoints) store.append(p.number, p.x, p.y, p.z, kColourAqua, p.kind);
    store.append("q\"uote;d", 1.5, 2.5, 3.5, kColourGreen, kKindStation);
    store.setActive(3, 0);
    for (const char separator : {',', ';', '\t', kBlankSeparator}) {
        for (const bool decimalComma : {false, true}) {
            for (const TextEncoding encoding : {TextEncoding::Cp1251, TextEncoding::Utf8}) {
                SCOPED_TRACE(std::to_string(separator) + (decimalComma ? " comma " : " point ") +
                             (encoding == TextEncoding::Utf8 ? "utf-8" : "cp1251"));
                std::ostringstream out;
                writeCsvPoints(store, {separator, decimalComma, encoding}, out);
                const std::string file = out.str();
                EXPECT_EQ(std::count(file.begin(), file.end(), '\n'), 4);
                const std::string sep(1, separator);
                EXPECT_TRUE(file.ends_with(sep + "0" + sep + "0\r\n")) << file;  // kind, active
                PointStore back;
                readCsvPoints(file, {"PNEZ", separator, decimalComma, 0, encoding}, back);
                std::vector<SurveyPoint> want = pointsOf(store);
                for (SurveyPoint& p : want) p.kind = kKindPoint;  // the kind column is read over
                EXPECT_EQ(pointsOf(back), want);
            }
        }
    }
}

// The numbers quoted (decimal commas among commas) or not; read back by the reader, the
// values compared with the C library's reading of fifteen digits.
TEST(CsvPoints, LinesAreWholeAroundTheOutputBuffersEnds) {
    const PointStore store = testing::bufferEdgeSurvey();
    for (const CsvWriteOptions options :
         {CsvWriteOptions{}, CsvWriteOptions{',', true, TextEncoding::Utf8}}) {
        SCOPED_TRACE(options.decimalComma);
        std::ostringstream out;
        writeCsvPoints(store, options, out);
        PointStore back;
        readCsvPoints(out.str(), {"PNEZ", options.separator, options.decimalComma, 0,
                                  options.encoding},
                      back);
        ASSERT_EQ(back.count(), store.count());
        for (std::size_t i = 0; i < store.count(); ++i) {
            EXPECT_EQ(back.number()[i], store.number()[i]) << i;
            EXPECT_EQ(back.x()[i], testing::fifteenDigits(store.x()[i])) << i;
            EXPECT_EQ(back.y()[i], testing::fifteenDigits(store.y()[i])) << i;
            EXPECT_EQ(back.z()[i], testing::fifteenDigits(store.z()[i])) << i;
        }
    }
}

TEST(CsvPoints, ColumnOrdersNeedNAndEAndKnownLettersOnce) {
    const struct {
        const char* columns;
        bool readable;
    } cases[] = {{"PNEZD", true}, {"NE", true},    {"ENZ", true},   {"PNZ", false},
                 {"PNEX", false}, {"PNNE", false}, {"pnez", false}, {"", false}};
    for (const auto& c : cases) EXPECT_EQ(!columnOrderProblem(c.columns), c.readable) << c.columns;
}

}  // namespace
}  // namespace korvela
