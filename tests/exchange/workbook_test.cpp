// The workbook exchange: what the read pass takes from a sheet, and the write pass's file.
#include <gtest/gtest.h>

#include <cctype>
#include <filesystem>

#include "common/conversion_error.h"
#include "exchange/workbook_points.h"
#include "exchange/workbook_reader.h"
#include "exchange/workbook_writer.h"
#include "points/point_store.h"
#include "workbook_test_support.h"

namespace korvela {
namespace {

using testing::TempDir;
using testing::workbookBytes;

WorkbookSheet sheetOf(const std::string& bytes) {
    WorkbookSheet sheet;
    const auto error = readFirstSheet(bytes, sheet);
    EXPECT_FALSE(error) << error->message();
    return sheet;
}

// The points of the read pass, in its one streaming pass; the same as from the whole sheet.
PointStore pointsOf(const std::string& sheetData, const std::string& sharedItems = {}) {
    const std::string bytes = workbookBytes(sheetData, sharedItems);
    PointStore fromSheet;
    std::string sheetMessage = "no conversion error";
    try {
        readWorkbookPoints(sheetOf(bytes), fromSheet);
    } catch (const ConversionError& error) {
        sheetMessage = error.what();
    }
    PointStore points;
    try {
        const auto error = readWorkbookPoints(bytes, points);
        EXPECT_FALSE(error) << error->message();
    } catch (const ConversionError& error) {
        EXPECT_EQ(error.what(), sheetMessage);
        throw;
    }
    EXPECT_EQ(points.number(), fromSheet.number());
    EXPECT_EQ(points.x(), fromSheet.x());
    return points;
}

std::string repeated(const std::string& text, int times) {
    std::string result;
    for (int i = 0; i < times; ++i) result += text;
    return result;
}

std::string conversionMessage(const std::string& sheetData) {
    try {
        pointsOf(sheetData);
    } catch (const ConversionError& error) {
        return error.what();
    }
    return "no conversion error";
}

TEST(WorkbookReader, ReadsEveryKindOfCellAsTheSpreadsheetsValue) {
    const WorkbookSheet sheet = sheetOf(
        workbookBytes("<row r=\"1\"><c r=\"A1\" t=\"s\"><v>1</v></c><c r=\"B1\"><v>12</v></c>"
                      "<c r=\"C1\" t=\"inlineStr\"><is><t>inline</t></is></c><c r=\"D1\" "
                      "t=\"b\"><v>1</v></c></row>"
                      "<row r=\"2\"><c r=\"A2\" t=\"s\"><v>0</v></c><c r=\"B2\" "
                      "t=\"str\"><f>A2&amp;\"x\"</f><v>formula text</v></c>"
                      "<c r=\"C2\"><f>1/3</f><v>0.333333333333333</v></c><c r=\"D2\" "
                      "t=\"e\"><v>#DIV/0!</v></c></row>"
                      "<row r=\"3\"><c r=\"A3\"><f>B3</f></c><c r=\"B3\" t=\"s\"><v>2</v></c><c "
                      "r=\"C3\"><v>-1.5E-7</v></c>"
                      "<c r=\"D3\" t=\"b\"><v>0</v></c></row>",
                      "<si><t>Точка 1</t></si>"
                      "<si><r><t>rich </t></r><r><rPr><b/></rPr><t>text</t></r><rPh sb=\"0\" "
                      "eb=\"1\"><t>hint</t></rPh></si>"
                      "<si><t xml:space=\"preserve\"> </t></si>"));
    const std::vector<std::vector<std::string>> expected = {
        {"rich text", "12", "inline", "True"},
        {"Точка 1", "formula text", "0.333333333333333", "#DIV/0!"},
        {"", " ", "-1.5E-7", "False"},  // a formula never calculated is empty
    };
    for (std::uint32_t row = 1; row <= 3; ++row) {
        for (int column = 1; column <= 4; ++column) {
            EXPECT_EQ(sheet.text(row, column), expected[row - 1][column - 1])
                << "row " << row << " column " << column;
        }
    }
    EXPECT_EQ(sheet.lastRow(), 3u);
}

TEST(WorkbookReader, PlacesSparseAndUnnumberedCellsByTheirReferences) {
    const WorkbookSheet sheet = sheetOf(workbookBytes(
        // Cells without a reference follow the one before; rows without a number follow too.
        "<row r=\"2\"><c><v>1</v></c><c><v>2</v></c><c r=\"D2\"><v>4</v></c><c><v>5</v></c></row>"
        "<row><c r=\"AB3\"><v>9</v></c><c r=\"XFD3\"><v>9</v></c><c r=\"b3\"><v>7</v></c></row>"
        "<row r=\"1048576\"><c r=\"A1048576\"><v>8</v></c></row>"
        "<row r=\"1\"><c r=\"C1\"><v>0</v></c><c r=\"C1\"><v>3</v></c></row>"));  // the last one
                                                                                  // counts
    EXPECT_EQ(sheet.text(2, 1), "1");
    EXPECT_EQ(sheet.text(2, 2), "2");
    EXPECT_EQ(sheet.text(2, 3), "");
    EXPECT_EQ(sheet.text(2, 4), "4");
    EXPECT_EQ(sheet.text(3, 2), "7");
    EXPECT_EQ(sheet.text(1, 3), "3");
    EXPECT_EQ(sheet.text(1048576, 1), "8");
    EXPECT_EQ(sheet.lastRow(), 1048576u);
}

TEST(WorkbookReader, OfTwoCellsAtOnePlaceTheLastCounts) {
    const WorkbookSheet sheet = sheetOf(workbookBytes(
        "<row r=\"1\"><c r=\"A1\"><v>1</v></c><c r=\"A1\"><v>2</v></c><c "
        "r=\"B1\"><v>5</v></c></row>"
        "<row r=\"1\"><c r=\"B1\"><v>6</v></c></row><row r=\"2\"><c r=\"A2\"><v>7</v></c></row>"));
    EXPECT_EQ(sheet.text(1, 1), "2");
    EXPECT_EQ(sheet.text(1, 2), "6");
    EXPECT_EQ(sheet.text(2, 1), "7");
    EXPECT_EQ(sheet.lastRow(), 2u);
}

TEST(WorkbookReader, DecodesEscapedCharactersAndPrefixedElements) {
    WorkbookSheet sheet;
    testing::WorkbookParts parts = testing::workbookParts({});
    parts[4].second =
        "<x:worksheet "
        "xmlns:x=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\"><x:sheetData>"
        "<x:row r=\"1\"><x:c r=\"A1\" "
        "t=\"inlineStr\"><x:is><x:t>a_x000D_b_x0416__xZZ_</x:t></x:is></x:c></x:row>"
        "</x:sheetData></x:worksheet>";
    ASSERT_FALSE(readFirstSheet(testing::zipParts(parts), sheet));
    EXPECT_EQ(sheet.text(1, 1), "a\rbЖ_xZZ_");
}

TEST(WorkbookReader, ReadsASheetLargerThanOneBlockOfRowsWithPrefixedElements) {
    testing::WorkbookParts parts = testing::workbookParts({});
    std::string rows;
    for (int row = 1; row <= 30000; ++row) {  // about three blocks
        const std::string r = std::to_string(row);
        rows += "<x:row r=\"" + r + "\"><x:c r=\"A" + r + "\" t=\"s\"><x:v>" +
                std::to_string(row % 3) + "</x:v></x:c><x:c r=\"B" + r + "\"><x:v>" + r +
                ".5</x:v></x:c></x:row>\n";
    }
    const std::string main =
        "xmlns:x=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\"";
    parts[4].second =
        "<x:worksheet " + main + "><x:sheetData>" + rows + "</x:sheetData></x:worksheet>";
    parts.push_back({"xl/sharedStrings.xml",
                     "<x:sst " + main +
                         "><x:si><x:t>zero</x:t></x:si>"
                         "<x:si><x:t>one</x:t></x:si><x:si><x:t>two</x:t></x:si></x:sst>"});
    WorkbookSheet sheet;
    const std::string bytes = testing::zipParts(parts);
    ASSERT_FALSE(readFirstSheet(bytes, sheet));
    ASSERT_EQ(sheet.lastRow(), 30000u);
    PointStore points;
    ASSERT_FALSE(readWorkbookPoints(bytes, points));
    ASSERT_EQ(points.count(), 30000u);
    for (std::size_t i = 0; i < points.count(); ++i) {
        const std::size_t row = i + 1;
        ASSERT_EQ(points.number()[i], (std::vector<std::string>{"zero", "one", "two"}[row % 3]))
            << row;
        ASSERT_EQ(points.x()[i], static_cast<double>(row) + 0.5) << row;
    }
}

TEST(WorkbookReader, AChartSheetInFrontOrNoSheetAtAllReadsAsAnEmptySheet) {
    testing::WorkbookParts parts =
        testing::workbookParts("<row r=\"1\"><c r=\"A1\"><v>1</v></c></row>");
    parts[3].second =
        "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
        "<Relationship Id=\"rId7\" Type=\"http://x/relationships/chartsheet\" Target=\"c.xml\"/>"
        "</Relationships>";
    WorkbookSheet sheet;
    ASSERT_FALSE(readFirstSheet(testing::zipParts(parts), sheet));
    EXPECT_EQ(sheet.lastRow(), 0u);
    parts[2].second =
        std::string("<workbook ") + testing::kSpreadsheetNamespace + "><sheets/></workbook>";
    ASSERT_FALSE(readFirstSheet(testing::zipParts(parts), sheet));
    EXPECT_EQ(sheet.lastRow(), 0u);
}

TEST(WorkbookPoints, ReadsRowsUntilTheFirstEmptyNumber) {
    const auto points = pointsOf(
        "<row r=\"1\"><c r=\"A1\"><v>12</v></c><c r=\"B1\"><v>1.5</v></c><c "
        "r=\"C1\"><v>-2</v></c><c r=\"D1\"><v>3</v></c></row>"
        // A number with empty coordinates is a point at 0, 0, 0; texts convert with '.' or ','.
        "<row r=\"2\"><c r=\"A2\" t=\"s\"><v>0</v></c></row>"
        "<row r=\"3\"><c r=\"A3\" t=\"s\"><v>1</v></c><c r=\"B3\" "
        "t=\"inlineStr\"><is><t>1,25</t></is></c>"
        "<c r=\"C3\" t=\"inlineStr\"><is><t> 7.5 </t></is></c><c r=\"D3\" "
        "t=\"inlineStr\"><is><t></t></is></c></row>"
        // Row 4 is empty: row 5 is never read.
        "<row r=\"5\"><c r=\"A5\"><v>99</v></c></row>",
        "<si><t>Репер</t></si><si><t>т.3</t></si>");
    ASSERT_EQ(points.count(), 3u);
    EXPECT_EQ(points.number()[0], "12");
    EXPECT_EQ(points.x()[0], 1.5);
    EXPECT_EQ(points.y()[0], -2);
    EXPECT_EQ(points.z()[0], 3);
    EXPECT_EQ(points.number()[1],
              "\xD0\xE5\xEF\xE5\xF0");  // Windows-1251, as the store keeps numbers
    EXPECT_EQ(points.x()[1], 0);
    EXPECT_EQ(points.z()[1], 0);
    EXPECT_EQ(points.x()[2], 1.25);
    EXPECT_EQ(points.y()[2], 7.5);
    EXPECT_EQ(points.z()[2], 0);
    EXPECT_EQ(points.colour()[2], kColourAqua);
    EXPECT_EQ(points.kind()[2], kKindPoint);
}

TEST(WorkbookPoints, CellsInAnyOrderGiveWhatTheWholeSheetGives) {
    const auto cellA = [](int row, const std::string& value) {
        const std::string r = std::to_string(row);
        return "<row r=\"" + r + "\"><c r=\"A" + r + "\"><v>" + value + "</v></c></row>";
    };
    const auto cellB = [](int row, const std::string& cell) {
        const std::string r = std::to_string(row);
        return "<row r=\"" + r + "\"><c r=\"B" + r + "\"" + cell + "</c></row>";
    };
    const std::string notANumber = " t=\"b\"><v>1</v>";
    const std::vector<std::pair<std::string, std::vector<std::string>>> cases = {
        {cellA(2, "2") + cellA(1, "1"), {"1", "2"}},
        {cellA(1, "1") + cellA(1, "9"), {"9"}},                            // the later cell counts
        {cellA(1, "1") + cellA(3, "3") + cellA(2, "2"), {"1", "2", "3"}},  // a gap filled late
        // A bad coordinate past the last point is never read; one mended later counts mended.
        {cellA(1, "1") + cellA(3, "3") + cellB(3, notANumber), {"1"}},
        {cellA(1, "1") + cellB(1, notANumber) + cellA(2, "2") + cellB(1, "><v>5</v>"), {"1", "2"}},
    };
    for (const auto& [sheetData, numbers] : cases) {
        const PointStore points = pointsOf(sheetData);
        EXPECT_EQ(std::vector<std::string>(points.number().begin(), points.number().end()), numbers)
            << sheetData;
    }
}

TEST(WorkbookPoints, AnEmptyFirstRowGivesNoPoints) {
    EXPECT_EQ(pointsOf("").count(), 0u);
    EXPECT_EQ(pointsOf("<row r=\"2\"><c r=\"A2\"><v>1</v></c></row>").count(), 0u);
    EXPECT_EQ(pointsOf("<row r=\"1\"><c r=\"B1\"><v>1</v></c></row>").count(), 0u);
}

TEST(WorkbookPoints, ACoordinateThatIsNoNumberStopsTheReadWithTheConversionMessage) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"<c r=\"B2\" t=\"inlineStr\"><is><t>12a</t></is></c>",
         "Ячейка B2 (строка 2, столбец B): '12a' is not a valid floating point value"},
        {"<c r=\"C2\" t=\"inlineStr\"><is><t>1,5,2</t></is></c>",
         "Ячейка C2 (строка 2, столбец C): '1,5,2' is not a valid floating point value"},
        {"<c r=\"D2\" t=\"b\"><v>1</v></c>",
         "Ячейка D2 (строка 2, столбец D): 'True' is not a valid floating point value"},
        {"<c r=\"B2\" t=\"e\"><v>#N/A</v></c>",
         "Ячейка B2 (строка 2, столбец B): '#N/A' is not a valid floating point value"},
        // At most 40 characters of the text are quoted.
        {"<c r=\"C2\" t=\"inlineStr\"><is><t>" + std::string(20, 'x') + repeated("ж", 30) +
             "</t></is></c>",
         "Ячейка C2 (строка 2, столбец C): '" + std::string(20, 'x') + repeated("ж", 20) +
             "…' is not a valid floating point value"},
    };
    for (const auto& [cell, message] : cases) {
        EXPECT_EQ(
            conversionMessage(
                "<row r=\"1\"><c r=\"A1\"><v>1</v></c></row><row r=\"2\"><c r=\"A2\"><v>2</v></c>" +
                cell + "</row>"),
            message);
    }
}

TEST(WorkbookWriter, WrittenPointsReadBackAsTheyWere) {
    PointStore store;
    store.append("12", 1.5, -2, 3, kColourAqua, kKindPoint);
    store.append("\xD0\xE5\xEF\xE5\xF0 1", -1234567.891, 7654321.5, 0.3, kColourGreen,
                 kKindStation);
    store.append("  7.50", 1e-7, -0.0, 123456789012.25, kColourAqua, kKindPoint);
    TempDir dir;
    const std::string path = dir.file("1.xlsx");
    ASSERT_FALSE(writeWorkbookPoints(path, store));
    PointStore points;
    ASSERT_FALSE(readWorkbookPointsFile(path, points));
    ASSERT_EQ(points.count(), store.count());
    for (std::size_t i = 0; i < points.count(); ++i) {
        EXPECT_EQ(points.number()[i], store.number()[i]);
        EXPECT_EQ(points.x()[i], store.x()[i]);
        EXPECT_EQ(points.y()[i], store.y()[i]);
        EXPECT_EQ(points.z()[i], store.z()[i]) << i;
    }
    // The workbook keeps the table's 15 significant digits: a computed value may come back a
    // few units in the last place off, which the table's text never shows.
    store.append("4", 0.1 + 0.2, 0, 0, kColourAqua, kKindPoint);
    ASSERT_FALSE(writeWorkbookPoints(path, store));
    WorkbookSheet sheet;
    ASSERT_FALSE(readFirstSheetFile(path, sheet));
    EXPECT_TRUE(testing::near(0.1 + 0.2, sheet.number(4, 2), 1e-16));
    // The number is text in the sheet, so 12 stays the text 12.
    EXPECT_EQ(sheet.cell(1, 1).type, WorkbookCell::Type::Text);
    EXPECT_EQ(sheet.cell(1, 2).type, WorkbookCell::Type::Number);
}

// Column E holds the code: written as text where a point has one, read back as typed in the
// sheet (Windows-1251 in the store), empty where the cell is empty or missing.
TEST(WorkbookWriter, CodesGoToColumnEAndComeBack) {
    const struct {
        const char* code;     // Windows-1251, as the store keeps it
        const char* inSheet;  // what the sheet shows (UTF-8)
    } cases[] = {{"\xC7\xC4", "ЗД"}, {"", ""}, {" 11 ", " 11 "}, {"A/B \"*\"", "A/B \"*\""}};
    PointStore store;
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        store.append(std::to_string(i + 1), 1, 2, 3, kColourAqua, kKindPoint, cases[i].code);
    }
    TempDir dir;
    const std::string path = dir.file("codes.xlsx");
    ASSERT_FALSE(writeWorkbookPoints(path, store));
    WorkbookSheet sheet;
    ASSERT_FALSE(readFirstSheetFile(path, sheet));
    PointStore points;
    ASSERT_FALSE(readWorkbookPointsFile(path, points));
    ASSERT_EQ(points.count(), std::size(cases));
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        const auto row = static_cast<std::uint32_t>(i + 1);
        EXPECT_EQ(sheet.text(row, 5), cases[i].inSheet) << i;
        EXPECT_EQ(points.code()[i], cases[i].code) << i;
    }
    // A sheet typed by hand: the code in column E of the second row only.
    const PointStore typed = pointsOf(
        "<row r=\"1\"><c r=\"A1\"><v>1</v></c></row>"
        "<row r=\"2\"><c r=\"A2\"><v>2</v></c><c r=\"E2\" t=\"inlineStr\"><is><t>КЮ</t></is></c>"
        "</row>");
    ASSERT_EQ(typed.count(), 2u);
    EXPECT_EQ(typed.code()[0], "");
    EXPECT_EQ(typed.code()[1], "\xCA\xDE");
}

TEST(WorkbookWriter, AnEmptyStoreGivesAnEmptyWorkbookReplacingTheOldOne) {
    TempDir dir;
    const std::string path = dir.file("1.xlsx");
    PointStore store;
    store.append("1", 1, 2, 3, kColourAqua, kKindPoint);
    ASSERT_FALSE(writeWorkbookPoints(path, store));
    ASSERT_FALSE(writeWorkbookPoints(path, PointStore()));
    WorkbookSheet sheet;
    ASSERT_FALSE(readFirstSheetFile(path, sheet));
    EXPECT_EQ(sheet.lastRow(), 0u);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()),
                            std::filesystem::directory_iterator()),
              1);
}

TEST(WorkbookWriter, AFailedWriteLeavesTheOldWorkbookAndSaysWhy) {
    TempDir dir;
    const std::string path = dir.file("1.xlsx");
    testing::writeFile(path, "old workbook");
    PointStore store;
    store.append(std::string(40000, '7'), 1, 2, 3, kColourAqua,
                 kKindPoint);  // longer than a cell holds
    const auto tooLong = writeWorkbookPoints(path, store);
    ASSERT_TRUE(tooLong);
    EXPECT_EQ(tooLong->message(), "Не удаётся записать книгу \"" + path +
                                      "\": номер точки в строке 1 длиннее, чем вмещает ячейка");
    EXPECT_EQ(testing::readFile(path), "old workbook");

    const auto missingFolder = writeWorkbookPoints(dir.file("missing/1.xlsx"), PointStore());
    ASSERT_TRUE(missingFolder);
    EXPECT_EQ(missingFolder->message(), "Не удаётся записать файл \"" + dir.file("missing/1.xlsx") +
                                            "\": нет такого файла или папки");
}

TEST(WorkbookWriter, EveryNumberComesBackByteForByte) {
    // Windows-1251 bytes as the store keeps them: texts that look like the spreadsheet's own
    // _xHHHH_ escapes, XML's special characters, control characters (CR would become LF),
    // spaces at the ends, Cyrillic, the unassigned byte 0x98.
    const std::vector<std::string> numbers = {"_x0041_",      "a_x005F_b", "_x0041",   "_X0041_",
                                              "__x0041__",    "_x00zz_",   "&<>\"'",   "a\rb",
                                              "a\r\nb",       "a\tb\n",    "\x01\x1F", "  7.50 ",
                                              "\xD0\xE5\xEF", "\x98",      "_x000D_\r"};
    PointStore store;
    for (const std::string& number : numbers)
        store.append(number, 1, 2, 3, kColourAqua, kKindPoint);
    TempDir dir;
    const std::string path = dir.file("1.xlsx");
    ASSERT_FALSE(writeWorkbookPoints(path, store));
    PointStore points;
    ASSERT_FALSE(readWorkbookPointsFile(path, points));
    EXPECT_EQ(points.number(), store.number());
    // The escaped underscore is what the file holds.
    WorkbookSheet sheet;
    ASSERT_FALSE(readFirstSheetFile(path, sheet));
    EXPECT_EQ(sheet.text(1, 1), "_x0041_");
}

TEST(WorkbookWriter, ANumberWithANulByteIsRefusedBeforeAnythingIsWritten) {
    TempDir dir;
    const std::string path = dir.file("1.xlsx");
    testing::writeFile(path, "old workbook");
    PointStore store;
    store.append("1", 1, 2, 3, kColourAqua, kKindPoint);
    store.append(std::string("2\0a", 3), 1, 2, 3, kColourAqua, kKindPoint);
    const auto error = writeWorkbookPoints(path, store);
    ASSERT_TRUE(error);
    EXPECT_EQ(error->message(), "Не удаётся записать книгу \"" + path +
                                    "\": номер точки в строке 2 содержит нулевой байт, которого "
                                    "книга не хранит");
    EXPECT_EQ(testing::readFile(path), "old workbook");
}

TEST(WorkbookWriter, AnExistingWorkbookKeepsItsOtherSheetsAndParts) {
    TempDir dir;
    const std::string path = dir.file("1.xlsx");
    const testing::WorkbookParts parts = testing::twoSheetWorkbook();
    testing::writeFile(path, testing::zipParts(parts));
    PointStore store;
    store.append("12", 1.5, 2, 3, kColourAqua, kKindPoint);
    ASSERT_FALSE(writeWorkbookPoints(path, store));

    const std::string written = testing::readFile(path);
    for (const auto& [name, content] : parts) {
        if (name == "xl/worksheets/sheet1.xml") continue;
        if (name == "xl/worksheets/_rels/sheet1.xml.rels") {
            EXPECT_FALSE(testing::partOf(written, name)) << "the old sheet's relationships stayed";
        } else {
            EXPECT_EQ(testing::partOf(written, name), content) << name;
        }
    }
    PointStore points;
    ASSERT_FALSE(readWorkbookPointsFile(path, points));
    ASSERT_EQ(points.count(), 1u);
    EXPECT_EQ(points.number()[0], "12");
    EXPECT_EQ(points.x(), std::vector<double>{1.5});

    // A chart sheet in front is refused; a file that is no workbook is replaced by a new one.
    testing::WorkbookParts chartInFront = parts;
    chartInFront[3].second.replace(chartInFront[3].second.find("worksheet\""), 10, "chartsheet\"");
    const std::string chartBytes = testing::zipParts(chartInFront);
    testing::writeFile(path, chartBytes);
    const auto refused = writeWorkbookPoints(path, store);
    ASSERT_TRUE(refused);
    EXPECT_EQ(refused->problem, "первый лист книги — не лист с ячейками");
    EXPECT_EQ(testing::readFile(path), chartBytes);
    testing::writeFile(path, "not a workbook");
    ASSERT_FALSE(writeWorkbookPoints(path, store));
    ASSERT_FALSE(readWorkbookPointsFile(path, points));
    EXPECT_EQ(points.count(), 1u);
}

// Excel's list of formula cells would name cells of the replaced sheet: it goes with its
// relationship and its override (part names in any case), and the rest of the workbook stays.
TEST(WorkbookWriter, TheCalculationChainGoesWithTheFirstSheet) {
    const struct {
        std::string target;
        std::string overridePart;
    } cases[] = {{"calcChain.xml", "/xl/calcChain.xml"},
                 {"/xl/calcChain.xml", "/XL/CALCCHAIN.XML"}};
    const auto lowered = [](std::string text) {
        for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        return text;
    };
    for (const auto& c : cases) {
        testing::WorkbookParts parts = testing::twoSheetWorkbook();
        testing::addCalculationChain(parts, c.target, c.overridePart);
        TempDir dir;
        const std::string path = dir.file("1.xlsx");
        testing::writeFile(path, testing::zipParts(parts));
        PointStore store;
        store.append("12", 1.5, 2, 3, kColourAqua, kKindPoint);
        ASSERT_FALSE(writeWorkbookPoints(path, store)) << c.target;

        const std::string written = testing::readFile(path);
        EXPECT_FALSE(testing::partOf(written, "xl/calcChain.xml")) << c.target;
        const auto relationships = testing::partOf(written, "xl/_rels/workbook.xml.rels");
        const auto types = testing::partOf(written, "[Content_Types].xml");
        ASSERT_TRUE(relationships && types);
        for (const std::string& kept : {*relationships, *types}) {
            EXPECT_EQ(lowered(kept).find("calcchain"), std::string::npos) << kept;
            EXPECT_NE(kept.find("worksheets/sheet2.xml"), std::string::npos) << kept;
        }
        EXPECT_NE(relationships->find("/xl/sharedStrings.xml"), std::string::npos);
        EXPECT_EQ(testing::partOf(written, "xl/worksheets/sheet2.xml"), parts[6].second);
        PointStore points;
        ASSERT_FALSE(readWorkbookPointsFile(path, points));
        EXPECT_EQ(points.x(), std::vector<double>{1.5});
    }
}

// Content types that cannot be read stay as they were: the other sheets are still kept.
TEST(WorkbookWriter, UnreadableContentTypesKeepTheOtherSheets) {
    testing::WorkbookParts parts = testing::twoSheetWorkbook();
    testing::addCalculationChain(parts, "calcChain.xml", "/xl/calcChain.xml");
    parts[0].second += "<broken";
    TempDir dir;
    const std::string path = dir.file("1.xlsx");
    testing::writeFile(path, testing::zipParts(parts));
    PointStore store;
    store.append("12", 1.5, 2, 3, kColourAqua, kKindPoint);
    ASSERT_FALSE(writeWorkbookPoints(path, store));
    const std::string written = testing::readFile(path);
    EXPECT_EQ(testing::partOf(written, "xl/worksheets/sheet2.xml"), parts[6].second);
    EXPECT_EQ(testing::partOf(written, "[Content_Types].xml"), parts[0].second);
}

TEST(WorkbookPoints, AppendedPointsAreNewAquaOrdinaryActivePoints) {
    PointStore store;
    store.append("old", 0, 0, 0, kColourGreen, kKindStation);
    PointStore read;
    read.append("a", 1, 2, 3, kColourGreen, kKindStation);
    read.append("b", 4, 5, 6, kColourGreen, kKindStation);
    appendWorkbookPoints(store, read);
    ASSERT_EQ(store.count(), 3u);
    EXPECT_EQ(store.number()[0], "old");
    EXPECT_EQ(store.colour()[0], kColourGreen);
    for (std::size_t i = 1; i < 3; ++i) {
        EXPECT_EQ(store.colour()[i], kColourAqua);
        EXPECT_EQ(store.kind()[i], kKindPoint);
        EXPECT_EQ(store.active()[i], 1);
    }
    EXPECT_EQ(store.z()[2], 6);
}

}  // namespace
}  // namespace korvela
