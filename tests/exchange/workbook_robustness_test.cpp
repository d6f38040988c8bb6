// The workbook reader against damaged and hostile files: a clear error, never a crash.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>

#include "common/conversion_error.h"
#include "exchange/workbook_reader.h"
#include "points/point_store.h"
#include "workbook_test_support.h"

namespace korvela {
namespace {

using testing::workbookBytes;

const std::string kGoodSheet =
    "<row r=\"1\"><c r=\"A1\" t=\"s\"><v>0</v></c><c r=\"B1\"><v>1.5</v></c><c "
    "r=\"C1\"><v>2</v></c></row>"
    "<row r=\"2\"><c r=\"A2\" t=\"inlineStr\"><is><t>7</t></is></c><c r=\"D2\"><v>-3</v></c></row>";
const std::string kGoodStrings = "<si><t>Репер</t></si>";

// The problem the reader reports for the bytes, or "read" when it reads them.
std::string problemOf(const std::string& bytes, const WorkbookLimits& limits = {}) {
    WorkbookSheet sheet;
    const auto error = readFirstSheet(bytes, sheet, limits);
    return error ? error->problem : "read";
}

TEST(WorkbookRobustness, WhatIsNoWorkbookSaysSo) {
    const std::string notWorkbook = "это не книга .xlsx, или файл повреждён";
    EXPECT_EQ(problemOf(""), "это не книга .xlsx (нет части xl/workbook.xml)");  // an empty zip
    EXPECT_EQ(problemOf("PK\x03\x04 not really a zip"), notWorkbook);
    EXPECT_EQ(problemOf("number,x,y,z\r\n1,2,3,4\r\n"), notWorkbook);
    EXPECT_EQ(problemOf(testing::zipParts({{"readme.txt", "hello"}})),
              "это не книга .xlsx (нет части xl/workbook.xml)");
    testing::WorkbookParts parts = testing::workbookParts(kGoodSheet);
    parts[4].second = "<worksheet><sheetData><row r=\"1\"></sheetData>";
    EXPECT_EQ(problemOf(testing::zipParts(parts))
                  .rfind("файл повреждён (ошибка XML в части xl/worksheets/sheet1.xml", 0),
              0u);
    parts.erase(parts.begin() + 4);
    EXPECT_EQ(problemOf(testing::zipParts(parts)),
              "файл повреждён (нет части xl/worksheets/sheet1.xml)");
}

TEST(WorkbookRobustness, EveryTruncationAndEveryFlippedByteEndsInAResultOrAnError) {
    const std::string good = workbookBytes(kGoodSheet, kGoodStrings);
    ASSERT_EQ(problemOf(good), "read");
    for (std::size_t length = 0; length < good.size(); ++length) {
        EXPECT_NE(problemOf(good.substr(0, length)), "read") << "cut at " << length;
    }
    for (std::size_t at = 0; at < good.size(); ++at) {
        std::string flipped = good;
        flipped[at] = static_cast<char>(flipped[at] ^ 0x5A);
        WorkbookSheet sheet;
        const auto error = readFirstSheet(flipped, sheet);
        if (error) {
            EXPECT_FALSE(error->problem.empty()) << "flipped at " << at;
        }
    }
}

// Sets the uncompressed size that the zip headers declare for the part.
void declareSize(std::string& zip, const std::string& part, std::uint32_t size) {
    const auto patch = [&](std::size_t header, std::size_t sizeOffset) {
        std::memcpy(zip.data() + header + sizeOffset, &size, sizeof size);  // little-endian
    };
    for (std::size_t at = zip.find(part); at != std::string::npos; at = zip.find(part, at + 1)) {
        if (at >= 46 && zip.compare(at - 46, 4, "PK\x01\x02") == 0) patch(at - 46, 24);
        if (at >= 30 && zip.compare(at - 30, 4, "PK\x03\x04") == 0) patch(at - 30, 22);
    }
}

TEST(WorkbookRobustness, APartThatUnpacksToMoreThanTheLimitsIsRefusedBeforeItIsRead) {
    // Ten megabytes of rows pack into a few kilobytes.
    std::string rows;
    for (int i = 0; i < 400000; ++i) rows += "<row><c><v>1</v></c></row>";
    const std::string bomb = workbookBytes(rows, kGoodStrings);
    ASSERT_EQ(problemOf(bomb), "read");
    WorkbookLimits small;
    small.partBytes = 1 << 20;
    EXPECT_EQ(problemOf(bomb, small),
              "книга слишком велика (часть xl/worksheets/sheet1.xml больше 1 МБ)");
    WorkbookLimits smallTotal;
    smallTotal.totalBytes = 5 << 20;
    EXPECT_EQ(problemOf(bomb, smallTotal),
              "книга слишком велика (больше 5 МБ в распакованном виде)");
    // The sheet is parsed a block of rows at a time; one huge row is refused.
    EXPECT_EQ(problemOf(workbookBytes("<row r=\"1\">" + std::string(10 << 20, ' ') + "</row>")),
              "книга слишком велика (в части xl/worksheets/sheet1.xml есть строка больше 8 МБ)");

    // A part that declares gigabytes is refused without allocating them.
    std::string declaredHuge = bomb;
    declareSize(declaredHuge, "xl/worksheets/sheet1.xml", 0xF0000000u);
    EXPECT_EQ(problemOf(declaredHuge),
              "книга слишком велика (часть xl/worksheets/sheet1.xml больше 512 МБ)");
    // The parts that are parsed whole have a lower limit.
    std::string hugeWorkbookPart = bomb;
    declareSize(hugeWorkbookPart, "xl/workbook.xml", 20 << 20);
    EXPECT_EQ(problemOf(hugeWorkbookPart),
              "книга слишком велика (часть xl/workbook.xml больше 16 МБ)");

    // A part that unpacks to more than it declares is damaged, however small it claims to be.
    std::string declaredSmall = bomb;
    declareSize(declaredSmall, "xl/worksheets/sheet1.xml", 200);
    EXPECT_EQ(problemOf(declaredSmall), "файл повреждён (часть xl/worksheets/sheet1.xml)");
}

TEST(WorkbookRobustness, AHugeSharedStringTableIsRefused) {
    std::string items;
    for (int i = 0; i < 40000; ++i)
        items += "<si><t>string number " + std::to_string(i) + "</t></si>";
    const std::string bytes = workbookBytes(kGoodSheet, "<si><t>first</t></si>" + items);
    WorkbookLimits limits;
    limits.partBytes = 1 << 20;
    EXPECT_EQ(problemOf(bytes, limits),
              "книга слишком велика (часть xl/sharedStrings.xml больше 1 МБ)");
    // A count that claims billions of strings is only an attribute.
    EXPECT_EQ(problemOf(workbookBytes(kGoodSheet, "<si><t>x</t></si>"), limits), "read");
}

TEST(WorkbookRobustness, OneHugeSharedStringInManyCellsCountsForEachCell) {
    // 400 cells of column A use one string of 4 MB: a file of a few kilobytes that would
    // unpack to 1.6 GB of cell texts.
    std::string rows;
    for (int row = 1; row <= 400; ++row) {
        rows += "<row r=\"" + std::to_string(row) + "\"><c t=\"s\"><v>0</v></c></row>";
    }
    const std::string bomb =
        workbookBytes(rows, "<si><t>" + std::string(4 << 20, '7') + "</t></si>");
    ASSERT_LT(bomb.size(), 20000u);
    const std::string refusal = "книга слишком велика (текст в столбцах A-D больше 32 МБ)";
    const double sheetPeak = testing::childPeakMiB([&] { return problemOf(bomb) == refusal; });
    const double pointsPeak = testing::childPeakMiB([&] {
        PointStore points;
        const auto error = readWorkbookPoints(bomb, points);
        return error && error->problem == refusal && points.count() == 0;
    });
    EXPECT_GT(sheetPeak, 0) << "the sheet was not refused as too large";
    EXPECT_GT(pointsPeak, 0) << "the points were not refused as too large";
    EXPECT_LT(sheetPeak, 100);
    EXPECT_LT(pointsPeak, 100);
    // Within the limit the same string in many cells reads.
    WorkbookLimits roomy;
    roomy.sheetTextBytes = std::uint64_t{2} << 30;
    EXPECT_EQ(problemOf(workbookBytes(rows.substr(0, rows.find("<row r=\"3\"")),
                                      "<si><t>" + std::string(4 << 20, '7') + "</t></si>"),
                        roomy),
              "read");
}

TEST(WorkbookRobustness, APipeOrADeviceIsRefusedAtOnce) {
    testing::TempDir dir;
    const std::string pipe = dir.file("1.xlsx");
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    for (const std::string& path : {pipe, std::string("/dev/zero")}) {
        const std::string refusal =
            "Не удаётся прочитать файл \"" + path + "\": это не обычный файл";
        WorkbookSheet sheet;
        const auto sheetError = readFirstSheetFile(path, sheet);
        ASSERT_TRUE(sheetError);
        EXPECT_EQ(sheetError->message(), refusal);
        PointStore points;
        const auto pointsError = readWorkbookPointsFile(path, points);
        ASSERT_TRUE(pointsError);
        EXPECT_EQ(pointsError->message(), refusal);
    }
}

TEST(WorkbookRobustness, ReferencesOutsideTheSheetOrTheStringTableAreErrors) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"<row r=\"1\"><c r=\"XFE1\"><v>1</v></c></row>", "неверная ссылка на ячейку «XFE1»"},
        {"<row r=\"1\"><c r=\"A0\"><v>1</v></c></row>", "неверная ссылка на ячейку «A0»"},
        {"<row r=\"1\"><c r=\"A1048577\"><v>1</v></c></row>",
         "неверная ссылка на ячейку «A1048577»"},
        {"<row r=\"1\"><c r=\"A" + std::string(29, '9') + "\"><v>1</v></c></row>",
         "неверная ссылка на ячейку «A" + std::string(29, '9') + "»"},
        {"<row r=\"1\"><c r=\"A" + std::string(49, '9') + "\"><v>1</v></c></row>",
         "неверная ссылка на ячейку «A" + std::string(39, '9') + "…»"},
        {"<row r=\"1\"><c r=\"ZZZZ1\"><v>1</v></c></row>", "неверная ссылка на ячейку «ZZZZ1»"},
        {"<row r=\"1\"><c r=\"1A\"><v>1</v></c></row>", "неверная ссылка на ячейку «1A»"},
        {"<row r=\"1\"><c r=\"A1B\"><v>1</v></c></row>", "неверная ссылка на ячейку «A1B»"},
        {"<row r=\"0\"><c><v>1</v></c></row>", "неверный номер строки «0»"},
        {"<row r=\"1048577\"><c><v>1</v></c></row>", "неверный номер строки «1048577»"},
        {"<row r=\"-1\"><c><v>1</v></c></row>", "неверный номер строки «-1»"},
        {"<row r=\"1\"><c r=\"A1\" t=\"s\"><v>1</v></c></row>",
         "в ячейке A1 ссылка на несуществующую строку «1»"},
        {"<row r=\"1\"><c r=\"B1\" t=\"s\"><v>-1</v></c></row>",
         "в ячейке B1 ссылка на несуществующую строку «-1»"},
        {"<row r=\"1\"><c r=\"C1\" t=\"s\"><v>99999999999999999999999</v></c></row>",
         "в ячейке C1 ссылка на несуществующую строку «99999999999999999999999»"},
        {"<row r=\"1\"><c r=\"D1\"><v>12a</v></c></row>", "в ячейке D1 не число: «12a»"},
    };
    for (const auto& [sheetData, problem] : cases) {
        EXPECT_EQ(problemOf(workbookBytes(sheetData, kGoodStrings)), problem) << sheetData;
    }
    // Columns beyond D are checked but not kept; a row of more cells than columns is refused.
    std::string wide = "<row r=\"1\">";
    for (int i = 0; i < 16385; ++i) wide += "<c/>";
    EXPECT_EQ(problemOf(workbookBytes(wide + "</row>")),
              "в строке 1 больше ячеек, чем столбцов листа");
}

TEST(WorkbookRobustness, RelationshipsThatLeadOutOfThePackageFindNothing) {
    testing::WorkbookParts parts = testing::workbookParts(kGoodSheet);
    parts[3].second =
        "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
        "<Relationship Id=\"rId7\" Type=\"http://x/relationships/worksheet\" "
        "Target=\"../../../../etc/passwd\"/></Relationships>";
    EXPECT_EQ(problemOf(testing::zipParts(parts)), "файл повреждён (нет части etc/passwd)");
}

TEST(WorkbookRobustness, FilesThatCannotBeReadNameTheReason) {
    testing::TempDir dir;
    WorkbookSheet sheet;
    const auto missing = readFirstSheetFile(dir.file("1.xlsx"), sheet);
    ASSERT_TRUE(missing);
    EXPECT_EQ(missing->message(), "Не удаётся прочитать файл \"" + dir.file("1.xlsx") +
                                      "\": нет такого файла или папки");
    const auto folder = readFirstSheetFile(dir.path().string(), sheet);
    ASSERT_TRUE(folder);
    EXPECT_EQ(folder->message(),
              "Не удаётся прочитать файл \"" + dir.path().string() + "\": это папка, а не файл");

    testing::writeFile(dir.file("big.xlsx"), std::string(3 << 20, 'x'));
    WorkbookLimits limits;
    limits.fileBytes = 2 << 20;
    const auto big = readFirstSheetFile(dir.file("big.xlsx"), sheet, limits);
    ASSERT_TRUE(big);
    EXPECT_EQ(big->message(),
              "Не удаётся прочитать книгу \"" + dir.file("big.xlsx") + "\": файл больше 2 МБ");
    const auto damaged = readFirstSheetFile(dir.file("big.xlsx"), sheet);
    ASSERT_TRUE(damaged);
    EXPECT_EQ(damaged->message(), "Не удаётся прочитать книгу \"" + dir.file("big.xlsx") +
                                      "\": это не книга .xlsx, или файл повреждён");
}

}  // namespace
}  // namespace korvela
