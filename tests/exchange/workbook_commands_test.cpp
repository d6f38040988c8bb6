// "Добавить много точек" and "Отредактировать всё в Excel" driven from the table's pop-up
// menu, with a stand-in for the user who edits the workbook in the spreadsheet program.
#include <gtest/gtest.h>

#include <QDir>
#include <QLabel>
#include <QTimer>
#include <functional>
#include <utility>

#include "exchange/tform10.h"
#include "exchange/workbook_reader.h"
#include "exchange/workbook_writer.h"
#include "main_window_fixture.h"
#include "workbook_test_support.h"

namespace korvela {
namespace {

using Flags = std::vector<std::int32_t>;

// A row of the sheet: number in A (as a number when it looks like one), cells B-D as given.
std::string sheetRow(int row, const std::string& a, const std::string& bToD = {}) {
    const std::string r = std::to_string(row);
    const bool numeric = !a.empty() && a.find_first_not_of("0123456789") == std::string::npos;
    const std::string cellA =
        numeric ? "<c r=\"A" + r + "\"><v>" + a + "</v></c>"
                : "<c r=\"A" + r + "\" t=\"inlineStr\"><is><t>" + a + "</t></is></c>";
    return "<row r=\"" + r + "\">" + cellA + bToD + "</row>";
}

std::string numberCell(const std::string& reference, double value) {
    return "<c r=\"" + reference + "\"><v>" + std::to_string(value) + "</v></c>";
}

class WorkbookCommandsTest : public testing::MainWindowFixture {
protected:
    WorkbookCommandsTest() {
        form10().setWorkbookFolder(QString::fromStdString(folder.path().string()));
        form10().setDocumentOpener([this](const QString& path) {
            opened.push_back(path);
            if (userEdit) userEdit(path.toStdString());
            if (pressOk) QTimer::singleShot(0, &form10(), [this] { pressOkUntilClosed(); });
            return openerWorks;
        });
    }

    TForm10& form10() { return *forms.form10; }
    std::string workbook() { return folder.file("1.xlsx"); }
    QAbstractItemModel* shownSheet() {
        return form10().findChild<QTableView*>("OleContainer1")->model();
    }
    QString shownState() { return form10().findChild<QLabel*>("workbookState")->text(); }
    void clickOk() {
        QTest::mouseClick(form10().findChild<QPushButton*>("Button1"), Qt::LeftButton);
    }

    // "Ok"; while the window stays open (the workbook could not be read) the user mends the
    // workbook as afterFailedRead says and presses "Ok" again, or else gives up and closes it.
    void pressOkUntilClosed() {
        clickOk();
        if (!form10().isVisible()) return;
        if (!afterFailedRead) {
            form10().reject();
            return;
        }
        std::exchange(afterFailedRead, nullptr)(workbook());
        pressOkUntilClosed();
    }

    // The user saves the workbook with this sheet content in the spreadsheet program.
    void userSaves(const std::string& sheetData) {
        userEdit = [sheetData](const std::string& path) {
            testing::writeFile(path, testing::workbookBytes(sheetData));
        };
    }

    std::vector<std::string> storeNumbers() {
        const PointNumbers& numbers = data.points.store().number();
        return std::vector<std::string>(numbers.begin(), numbers.end());
    }

    testing::TempDir folder;
    std::vector<QString> opened;
    std::function<void(const std::string& path)> userEdit;
    std::function<void(const std::string& path)> afterFailedRead;
    bool pressOk = true;
    bool openerWorks = true;
};

TEST_F(WorkbookCommandsTest, AddManyPointsMakesTheMissingWorkbookAndAppendsEveryFilledRow) {
    importPoints(2);
    setTicked(0, true);
    userEdit = [this](const std::string& path) {
        // The workbook exists, empty, when the spreadsheet program opens it.
        WorkbookSheet sheet;
        EXPECT_FALSE(readFirstSheetFile(path, sheet));
        EXPECT_EQ(sheet.lastRow(), 0u);
        testing::writeFile(
            path, testing::workbookBytes(
                      sheetRow(1, "12",
                               numberCell("B1", 1.5) + numberCell("C1", -2) + numberCell("D1", 7)) +
                      sheetRow(2, "Репер") +  // empty coordinates are 0, 0, 0
                      sheetRow(4, "never read")));
    };
    action("N15")->trigger();
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0], QString::fromStdString(workbook()));
    EXPECT_EQ(storeNumbers(), (std::vector<std::string>{"1", "2", "12", "\xD0\xE5\xEF\xE5\xF0"}));
    EXPECT_EQ(data.points.selected(), (Flags{1, 0, 0, 0}));
    ASSERT_EQ(model()->rowCount(), 4);
    EXPECT_EQ(cell(2, 1), "12");
    EXPECT_EQ(cell(2, 2), "1.5");
    EXPECT_EQ(cell(2, 3), "-2");
    EXPECT_EQ(cell(3, 1), QString::fromUtf8("Репер"));
    EXPECT_EQ(cell(3, 4), "0");
    EXPECT_EQ(cell(3, 5), "");  // the column "ход точка" stays empty for added rows
    EXPECT_EQ(cell(1, 5), "1");
    EXPECT_EQ(checkState(0), Qt::Checked);
    EXPECT_EQ(checkState(3), Qt::Unchecked);
    EXPECT_EQ(data.points.store().colour()[3], kColourAqua);
    EXPECT_EQ(data.points.store().kind()[3], kKindPoint);
    EXPECT_TRUE(main().statusText().endsWith("survey2.txt"));  // the status line keeps the file

    // Rows left in the workbook are appended again the next time.
    userEdit = nullptr;
    action("N15")->trigger();
    EXPECT_EQ(data.points.store().count(), 6u);
    EXPECT_EQ(data.points.selected().size(), 6u);
}

TEST_F(WorkbookCommandsTest, EditAllRefusesAPointWithoutANumberBeforeWritingAnything) {
    importPoints(3);
    typeInto(1, 1, "");  // the read pass would stop there and drop the third point
    userEdit = [](const std::string&) { ADD_FAILURE() << "the workbook was shown"; };
    action("Excel1")->trigger();
    const QStringList messages = dialogs.takeMessages();
    ASSERT_EQ(messages.size(), 1);
    EXPECT_TRUE(messages[0].contains(QString::fromUtf8("строке 2"))) << messages[0].toStdString();
    EXPECT_EQ(data.points.store().count(), 3u);
    EXPECT_TRUE(opened.empty());
}

TEST_F(WorkbookCommandsTest, EditAllKeepsCoordinatesTheUserDidNotTouchBitForBit) {
    importPoints(2);
    PointStore edited = data.points.store();
    edited.setX(0, 0.1 + 0.2);  // needs 17 digits; the workbook keeps 15
    edited.setY(1, 5412345.678901234);
    data.points.replace(std::move(edited), {}, data.points.status());
    action("Excel1")->trigger();
    EXPECT_EQ(data.points.store().x()[0], 0.1 + 0.2);
    EXPECT_EQ(data.points.store().y()[1], 5412345.678901234);
}

TEST_F(WorkbookCommandsTest, AddManyPointsToAnEmptyTableMakesTheDataPresent) {
    userSaves(sheetRow(1, "A1", numberCell("B1", 10)) + sheetRow(2, "A2"));
    action("N15")->trigger();
    ASSERT_EQ(data.points.store().count(), 2u);
    EXPECT_EQ(main().statusText(), "no file");
    ASSERT_EQ(model()->rowCount(), 2);
    EXPECT_EQ(cell(0, 2), "10");
    EXPECT_EQ(checkState(1), Qt::Unchecked);
}

TEST_F(WorkbookCommandsTest, AddManyPointsWithAnEmptyFirstRowAddsNothing) {
    userSaves(sheetRow(2, "7"));
    action("N15")->trigger();
    EXPECT_EQ(data.points.store().count(), 0u);
    EXPECT_TRUE(main().statusText().isEmpty());
    EXPECT_EQ(model()->rowCount(), 1);
    EXPECT_FALSE(checkState(0).isValid());
}

TEST_F(WorkbookCommandsTest, AddManyPointsWithACoordinateThatIsNoNumberAddsNothingUntilMended) {
    importPoints(1);
    userSaves(sheetRow(1, "5") +
              sheetRow(2, "6", "<c r=\"C2\" t=\"inlineStr\"><is><t>12a</t></is></c>"));
    afterFailedRead = [&](const std::string& path) {
        EXPECT_EQ(
            dialogs.takeMessages(),
            QStringList{QString::fromUtf8(
                "Ячейка C2 (строка 2, столбец C): '12a' is not a valid floating point value")});
        EXPECT_EQ(data.points.store().count(), 1u);
        EXPECT_EQ(model()->rowCount(), 1);
        testing::writeFile(path, testing::workbookBytes(sheetRow(1, "5") +
                                                        sheetRow(2, "6", numberCell("C2", 12))));
    };
    action("N15")->trigger();
    EXPECT_EQ(storeNumbers(), (std::vector<std::string>{"1", "5", "6"}));
    EXPECT_EQ(data.points.store().y()[2], 12);
    EXPECT_FALSE(form10().isVisible());
}

TEST_F(WorkbookCommandsTest, EditAllReadsAgainAfterTheUserMendedTheCellKeepingTheirEdits) {
    importPoints(3);
    const std::string editedRow1 = sheetRow(1, "first", numberCell("B1", 11));
    const std::string row3 = sheetRow(3, "3");
    userSaves(editedRow1 +
              sheetRow(2, "2", "<c r=\"D2\" t=\"inlineStr\"><is><t>12,5 м</t></is></c>") + row3);
    afterFailedRead = [&](const std::string& path) {
        EXPECT_EQ(dialogs.takeMessages(),
                  QStringList{QString::fromUtf8("Ячейка D2 (строка 2, столбец D): '12,5 м' is "
                                                "not a valid floating point value")});
        EXPECT_EQ(storeNumbers(), (std::vector<std::string>{"1", "2", "3"}));
        testing::writeFile(path, testing::workbookBytes(
                                     editedRow1 + sheetRow(2, "2", numberCell("D2", 12.5)) + row3));
    };
    action("Excel1")->trigger();
    EXPECT_EQ(storeNumbers(), (std::vector<std::string>{"first", "2", "3"}));
    EXPECT_EQ(data.points.store().x()[0], 11);
    EXPECT_EQ(data.points.store().z()[1], 12.5);
    EXPECT_TRUE(dialogs.takeMessages().isEmpty());
}

TEST_F(WorkbookCommandsTest, AWorkbookClosedWithUnreadEditsIsNeverWrittenOver) {
    importPoints(2);
    userSaves(sheetRow(1, "edited") + sheetRow(2, "2", "<c r=\"B2\" t=\"b\"><v>1</v></c>"));
    action("Excel1")->trigger();  // the read fails; the user closes the window
    EXPECT_EQ(dialogs.takeMessages().size(), 1);
    EXPECT_EQ(storeNumbers(), (std::vector<std::string>{"1", "2"}));

    // The next use shows the user's workbook as it is, and reads it once mended.
    userEdit = [](const std::string& path) {
        WorkbookSheet sheet;
        ASSERT_FALSE(readFirstSheetFile(path, sheet));
        EXPECT_EQ(sheet.text(1, 1), "edited");
        testing::writeFile(path, testing::workbookBytes(sheetRow(1, "edited") + sheetRow(2, "2")));
    };
    action("Excel1")->trigger();
    const QStringList messages = dialogs.takeMessages();
    ASSERT_EQ(messages.size(), 1);
    EXPECT_TRUE(messages[0].contains(QString::fromUtf8("не записаны")))
        << messages[0].toStdString();
    EXPECT_EQ(storeNumbers(), (std::vector<std::string>{"edited", "2"}));

    // Once read, the points are written into the workbook again.
    userEdit = [](const std::string& path) {
        WorkbookSheet sheet;
        ASSERT_FALSE(readFirstSheetFile(path, sheet));
        EXPECT_EQ(sheet.cell(2, 2).type, WorkbookCell::Type::Number);
    };
    action("Excel1")->trigger();
    EXPECT_TRUE(dialogs.takeMessages().isEmpty());
}

TEST_F(WorkbookCommandsTest, EditAllWritesThePointsAndKeepsTheSelectionByRowPosition) {
    importPoints(3);
    setTicked(0, true);
    setTicked(2, true);
    action("N2")->trigger();  // the ticked points frozen: they come back active
    int rowsShown = -1;
    userEdit = [&](const std::string& path) {
        rowsShown = shownSheet()->rowCount();
        EXPECT_EQ(shownSheet()->index(1, 0).data().toString(), "2");
        EXPECT_EQ(shownSheet()->index(2, 2).data().toString(), "203");
        // The user deletes the first row; the rows below move up.
        testing::writeFile(path, testing::workbookBytes(sheetRow(1, "2", numberCell("B1", 102)) +
                                                        sheetRow(2, "3", numberCell("B2", 103))));
    };
    action("Excel1")->trigger();
    EXPECT_EQ(rowsShown, 3);
    EXPECT_EQ(storeNumbers(), (std::vector<std::string>{"2", "3"}));
    EXPECT_EQ(data.points.store().x()[1], 103);
    EXPECT_EQ(data.points.store().y()[1], 0);
    EXPECT_EQ(data.points.selected(),
              (Flags{1, 0}));  // the old first point's flag marks the new first row
    EXPECT_EQ(checkState(0), Qt::Checked);
    ASSERT_EQ(model()->rowCount(), 2);
    for (std::size_t i = 0; i < 2; ++i) {
        EXPECT_EQ(data.points.store().active()[i], 1);
        EXPECT_EQ(data.points.store().colour()[i], kColourAqua);
        EXPECT_EQ(data.points.store().kind()[i], kKindPoint);
        EXPECT_EQ(cell(static_cast<int>(i), 5), "1");
    }
}

TEST_F(WorkbookCommandsTest, EditAllGivesNewRowsUnselectedAndAnEmptySheetAnEmptyStore) {
    importPoints(1);
    setTicked(0, true);
    userSaves(sheetRow(1, "1") + sheetRow(2, "new"));
    action("Excel1")->trigger();
    EXPECT_EQ(data.points.selected(), (Flags{1, 0}));
    EXPECT_EQ(checkState(1), Qt::Unchecked);

    userSaves("");
    action("Excel1")->trigger();
    EXPECT_EQ(data.points.store().count(), 0u);
    EXPECT_TRUE(data.points.selected().empty());
    EXPECT_EQ(model()->rowCount(), 1);
    EXPECT_FALSE(checkState(0).isValid());
}

TEST_F(WorkbookCommandsTest, AFailedReadOfTheEditedWorkbookLeavesEverythingAsItWas) {
    const std::vector<std::pair<std::function<void(const std::string&)>, QString>> failures = {
        {[](const std::string& path) { testing::writeFile(path, "not a workbook"); },
         QString::fromUtf8(
             "Не удаётся прочитать книгу \"%1\": это не книга .xlsx, или файл повреждён")},
        {[](const std::string& path) { std::filesystem::remove(path); },
         QString::fromUtf8("Не удаётся прочитать файл \"%1\": нет такого файла или папки")},
        {[](const std::string& path) {
             testing::writeFile(path, testing::workbookBytes(
                                          sheetRow(1, "1") +
                                          sheetRow(2, "2", "<c r=\"D2\" t=\"b\"><v>1</v></c>")));
         },
         QString::fromUtf8(
             "Ячейка D2 (строка 2, столбец D): 'True' is not a valid floating point value")},
    };
    importPoints(3);
    setTicked(1, true);
    action("N2")->trigger();
    for (const auto& [edit, message] : failures) {
        userEdit = edit;
        action("Excel1")->trigger();  // the read fails; the user closes the window
        const QString path = QString::fromStdString(workbook());
        QStringList messages = dialogs.takeMessages();
        // The edits left unread before are shown as they are, not written over.
        if (messages.size() == 2) messages.removeFirst();
        EXPECT_EQ(messages, QStringList{message.contains("%1") ? message.arg(path) : message});
        EXPECT_EQ(storeNumbers(), (std::vector<std::string>{"1", "2", "3"}));
        EXPECT_EQ(data.points.store().active(), (std::vector<PointFlag>{1, 0, 1}));
        EXPECT_EQ(data.points.selected(), (Flags{0, 1, 0}));
        ASSERT_EQ(model()->rowCount(), 3);
        EXPECT_EQ(checkState(1), Qt::Checked);
        EXPECT_EQ(cell(2, 2), "103");
    }
}

TEST_F(WorkbookCommandsTest, AWorkbookThatCannotBeWrittenIsReportedBeforeAnythingOpens) {
    importPoints(1);
    std::filesystem::create_directory(workbook());  // a folder where the workbook should be
    action("Excel1")->trigger();
    EXPECT_EQ(dialogs.takeMessages(),
              QStringList{QString::fromUtf8("Не удаётся записать файл \"%1\": это папка, а не файл")
                              .arg(QString::fromStdString(workbook()))});
    EXPECT_TRUE(opened.empty());
    EXPECT_EQ(data.points.store().count(), 1u);
}

TEST_F(WorkbookCommandsTest, TheWindowFollowsTheFileAndTheFocus) {
    PointStore three;
    for (const char* number : {"1", "2", "3"})
        three.append(number, 1, 2, 3, kColourAqua, kKindPoint);
    ASSERT_FALSE(writeWorkbookPoints(workbook(), PointStore()));
    pressOk = false;
    openerWorks = false;
    const auto whileShown = [&] {
        EXPECT_EQ(shownSheet()->rowCount(), 0);
        EXPECT_EQ(shownState(),
                  QString::fromUtf8("Книгу не удалось открыть в программе для таблиц"));
        // Saved in the spreadsheet program: the window reads the file again by itself.
        ASSERT_FALSE(writeWorkbookPoints(workbook(), three));
        EXPECT_TRUE(QTest::qWaitFor([&] { return shownSheet()->rowCount() == 3; }, 5000));
        // A file that cannot be read keeps what was shown and says why.
        testing::writeFile(workbook(), "half written");
        EXPECT_TRUE(QTest::qWaitFor(
            [&] { return shownState().contains(QString::fromUtf8("повреждён")); }, 5000));
        EXPECT_EQ(shownSheet()->rowCount(), 3);
        // Getting the focus reads the file at once.
        testing::writeFile(workbook(), testing::workbookBytes(sheetRow(1, "x")));
        QEvent activate(QEvent::WindowActivate);
        QCoreApplication::sendEvent(&form10(), &activate);
        EXPECT_EQ(shownSheet()->rowCount(), 1);
        EXPECT_EQ(shownSheet()->headerData(3, Qt::Horizontal).toString(), "D");
        // The button opens the spreadsheet program again.
        QTest::mouseClick(form10().findChild<QPushButton*>("OpenSpreadsheetButton"),
                          Qt::LeftButton);
        EXPECT_EQ(opened.size(), 2u);
    };
    QTimer::singleShot(0, &form10(), [&] {
        whileShown();
        clickOk();  // also after a failed check, so that the window never stays open
    });
    EXPECT_TRUE(form10().showWorkbook(QString::fromStdString(workbook()), [] { return true; }));
    EXPECT_FALSE(form10().isVisible());
}

TEST_F(WorkbookCommandsTest, TheWorkbookLiesInTheProgramsFolderWhenItIsWritable) {
    TForm10 window(nullptr);
    EXPECT_EQ(window.workbookPath(),
              QDir(QCoreApplication::applicationDirPath()).filePath("1.xlsx"));
    EXPECT_EQ(window.windowTitle(), QString::fromUtf8("Добавить много точек"));
}

}  // namespace
}  // namespace korvela
