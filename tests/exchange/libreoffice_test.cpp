// The workbook against a real spreadsheet program: LibreOffice, headless, stands in for the
// user who opens the workbook and saves it again. Each test starts soffice once, with a
// profile of its own and a time limit, so that it can never hang the test run.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "common/cp1251.h"
#include "exchange/workbook_points.h"
#include "exchange/workbook_reader.h"
#include "exchange/workbook_test_support.h"
#include "exchange/workbook_writer.h"
#include "points/point_store.h"

namespace korvela {
namespace {

using testing::TempDir;

constexpr const char* kSofficeTimeLimit = "150";  // seconds; a first start makes its profile

// Runs soffice --convert-to format on the inputs into the folder out; returns the converted
// files, or nothing (with the reason as a test failure) when one is missing.
std::optional<std::vector<std::string>> convertWithSoffice(
    const TempDir& work, const std::string& format, const std::vector<std::string>& inputs,
    const std::vector<std::string>& options = {}) {
    const std::string out = work.file("converted");
    std::vector<std::string> arguments = {"timeout",
                                          "--kill-after=10",
                                          kSofficeTimeLimit,
                                          "soffice",
                                          "--headless",
                                          "--norestore",
                                          "-env:UserInstallation=file://" + work.file("profile"),
                                          "--convert-to",
                                          format,
                                          "--outdir",
                                          out};
    arguments.insert(arguments.end(), options.begin(), options.end());
    arguments.insert(arguments.end(), inputs.begin(), inputs.end());
    const std::string log = work.file("soffice.log");
    const pid_t child = ::fork();
    if (child == 0) {
        std::FILE* output = std::freopen(log.c_str(), "w", stdout);
        if (output != nullptr) ::dup2(::fileno(stdout), STDERR_FILENO);
        ::setenv("HOME", work.path().c_str(), 1);
        std::vector<char*> argv;
        for (std::string& argument : arguments) argv.push_back(argument.data());
        argv.push_back(nullptr);
        ::execvp(argv[0], argv.data());
        ::_exit(127);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    std::vector<std::string> converted;
    for (const std::string& input : inputs) {
        converted.push_back(
            (std::filesystem::path(out) / std::filesystem::path(input).stem()).string() + "." +
            format);
        // soffice exits 0 even when the conversion failed: the file it wrote is what counts.
        if (!WIFEXITED(status) || WEXITSTATUS(status) != 0 ||
            !std::filesystem::exists(converted.back())) {
            ADD_FAILURE() << "soffice did not convert " << input << " (status " << status
                          << "; 127: not installed, "
                          << "124: time limit)\n"
                          << testing::readFile(log);
            return std::nullopt;
        }
    }
    return converted;
}

// The workbook saved again by soffice as xlsx; an empty path when it was not.
std::string convertToXlsx(const TempDir& work, const std::string& input,
                          const std::vector<std::string>& options = {}) {
    const auto converted = convertWithSoffice(work, "xlsx", {input}, options);
    return converted ? converted->front() : std::string();
}

PointStore readPoints(const std::string& path) {
    PointStore points;
    const auto error = readWorkbookPointsFile(path, points);
    EXPECT_FALSE(error) << error->message();
    return points;
}

TEST(LibreOffice, AWorkbookWeWroteSavedAgainReadsBackToTheSamePoints) {
    PointStore store;
    store.append("12", 6543210.1234, -1234567.891, 100.25, kColourAqua, kKindPoint);
    store.append("\xD0\xE5\xEF\xE5\xF0 1", -0.5, 7654321.5, -12.125, kColourAqua,
                 kKindPoint);  // "Репер 1"
    store.append("007", 0, 1e-7, 9999999.999, kColourAqua, kKindPoint);
    store.append("\xF2.5", 1234567.0001, 2345678.9876, 0.3, kColourAqua, kKindPoint);  // "т.5"
    store.append("_x0041_ & <a>", 1, 2, 3, kColourAqua, kKindPoint);  // no escape: the text
    TempDir work;
    const std::string ours = work.file("ours.xlsx");
    ASSERT_FALSE(writeWorkbookPoints(ours, store));

    const std::string saved = convertToXlsx(work, ours);
    ASSERT_FALSE(saved.empty());
    const PointStore points = readPoints(saved);
    ASSERT_EQ(points.count(), store.count());
    for (std::size_t i = 0; i < points.count(); ++i) {
        EXPECT_EQ(points.number()[i], store.number()[i]) << i;
        EXPECT_EQ(points.x()[i], store.x()[i]) << i;
        EXPECT_EQ(points.y()[i], store.y()[i]) << i;
        EXPECT_EQ(points.z()[i], store.z()[i]) << i;
    }
}

TEST(LibreOffice, TheOtherSheetsOfAWorkbookWeWroteIntoStayForTheSpreadsheetProgram) {
    TempDir work;
    const std::string book = work.file("book.xlsx");
    // With a calculation chain, so that the parts rewritten without it are opened too.
    testing::WorkbookParts parts = testing::twoSheetWorkbook();
    testing::addCalculationChain(parts, "calcChain.xml", "/xl/calcChain.xml");
    testing::writeFile(book, testing::zipParts(parts));
    PointStore store;
    store.append("12", 6543210.1234, -1234567.891, 100.25, kColourAqua, kKindPoint);
    ASSERT_FALSE(writeWorkbookPoints(book, store));

    const std::string saved = convertToXlsx(work, book);
    ASSERT_FALSE(saved.empty());
    const PointStore points = readPoints(saved);
    EXPECT_EQ(points.number(), store.number());
    EXPECT_EQ(points.x(), store.x());
    const std::string bytes = testing::readFile(saved);
    const auto workbook = testing::partOf(bytes, "xl/workbook.xml");
    ASSERT_TRUE(workbook);
    EXPECT_NE(workbook->find("name=\"Notes\""), std::string::npos) << *workbook;
    const auto strings = testing::partOf(bytes, "xl/sharedStrings.xml");
    ASSERT_TRUE(strings);
    EXPECT_NE(strings->find("keep me"), std::string::npos) << *strings;
}

// The text pdftotext finds in a PDF file.
std::string pdfText(const std::string& pdf) {
    std::string text;
    if (std::FILE* pipe = ::popen(("pdftotext -layout '" + pdf + "' -").c_str(), "r")) {
        char chunk[4096];
        for (std::size_t count; (count = std::fread(chunk, 1, sizeof chunk, pipe)) > 0;)
            text.append(chunk, count);
        EXPECT_EQ(::pclose(pipe), 0) << "pdftotext (poppler-utils) failed on " << pdf;
    }
    return text;
}

// A General-format number too wide for its column is shown rounded (7312105.678 as 7312106):
// printed by LibreOffice, every coordinate, height and point number keeps all its digits, in
// a new workbook and in the first sheet of a workbook that was there.
TEST(LibreOffice, EveryValueIsShownWithAllItsDigits) {
    // The texts as typed; the store gets the values they read as.
    const char* const rows[][4] = {
        {"1", "6543210.1234", "7312105.678", "100.25"},
        {"Репер 15", "5412130.002", "-1234567.89012345", "-12.125"},
        {"ШЖЩЮ 1234", "-0.001", "9999999.999", "1500.0001"},
    };
    PointStore store;
    for (const auto& row : rows) {
        store.append(utf8ToCp1251(row[0]), std::stod(row[1]), std::stod(row[2]), std::stod(row[3]),
                     kColourAqua, kKindPoint);
    }
    TempDir work;
    const std::string fresh = work.file("fresh.xlsx");
    const std::string existing = work.file("existing.xlsx");
    testing::writeFile(existing, testing::zipParts(testing::twoSheetWorkbook()));
    for (const std::string& book : {fresh, existing})
        ASSERT_FALSE(writeWorkbookPoints(book, store));

    const auto printed = convertWithSoffice(work, "pdf", {fresh, existing});
    ASSERT_TRUE(printed);
    for (const std::string& pdf : *printed) {
        const std::string text = pdfText(pdf);
        for (const auto& row : rows) {
            for (const char* value : row) {
                EXPECT_NE(text.find(value), std::string::npos) << value << " in " << pdf << ":\n"
                                                               << text;
            }
        }
    }
}

TEST(LibreOffice, AWorkbookMadeFromRowsTypedInReadsAsExpected) {
    TempDir work;
    const std::string typed = work.file("typed.csv");
    testing::writeFile(typed,
                       "12,6543210.1234,-1234567.891,100.25\n"
                       "Репер 1,1,2,\n"      // an empty height is 0
                       "т.5,\"1,5\",-7,3\n"  // a decimal comma in a text cell
                       ",9,9,9\n"            // the first empty number ends the points
                       "99,1,1,1\n");
    // Comma separated, double quotes around texts, UTF-8, from line 1.
    const std::string book = convertToXlsx(work, typed, {"--infilter=CSV:44,34,76,1"});
    ASSERT_FALSE(book.empty());
    const PointStore points = readPoints(book);
    ASSERT_EQ(points.count(), 3u);
    EXPECT_EQ(points.number()[0], "12");  // typed as a number, read as its text
    EXPECT_EQ(points.x()[0], 6543210.1234);
    EXPECT_EQ(points.y()[0], -1234567.891);
    EXPECT_EQ(points.number()[1], "\xD0\xE5\xEF\xE5\xF0 1");
    EXPECT_EQ(points.z()[1], 0);
    EXPECT_EQ(points.number()[2], "\xF2.5");
    EXPECT_EQ(points.x()[2], 1.5);
    EXPECT_EQ(points.y()[2], -7);
}

}  // namespace
}  // namespace korvela
