// The point table driven as the user drives it: ticks, typing, the pop-up menu commands.
#include <gtest/gtest.h>

#include <QAbstractItemModelTester>
#include <QApplication>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTimer>

#include "main_window_fixture.h"
#include "points/point_table_text.h"
#include "points/tform4.h"
#include "ui/column_widener.h"

namespace korvela {
namespace {

class PointTableTest : public testing::MainWindowFixture {
protected:
    PointTableModel& table() { return *static_cast<PointTableModel*>(model()); }

    std::vector<std::string> numbers() {
        const PointNumbers& numbers = data.points.store().number();
        return std::vector<std::string>(numbers.begin(), numbers.end());
    }

    // Runs "Добавить" with the four fields typed as given and "Ok" pressed. With a bad
    // field the dialog stays open and is then closed without adding.
    void addPoint(const QString& number, const QString& x, const QString& y, const QString& z) {
        TForm4* dialog = forms.form4.get();
        QTimer::singleShot(0, dialog, [=] {
            dialog->findChild<QLineEdit*>("Edit1")->setText(number);
            dialog->findChild<QLineEdit*>("Edit2")->setText(x);
            dialog->findChild<QLineEdit*>("Edit3")->setText(y);
            dialog->findChild<QLineEdit*>("Edit4")->setText(z);
            QTest::mouseClick(dialog->findChild<QPushButton*>("Button1"), Qt::LeftButton);
            if (dialog->isVisible()) dialog->reject();
        });
        action("N4")->trigger();
    }
};

TEST_F(PointTableTest, ImportListsEveryPointWithAnUntickedBox) {
    importPoints(3);
    ASSERT_EQ(model()->rowCount(), 3);
    EXPECT_EQ(cell(0, 1), "1");
    EXPECT_EQ(cell(2, 2), "103");
    EXPECT_EQ(cell(2, 3), "203");
    EXPECT_EQ(cell(2, 4), "13");
    EXPECT_EQ(cell(2, 5), "1");
    for (int row = 0; row < 3; ++row) EXPECT_EQ(checkState(row), Qt::Unchecked);
    // The exports read the same texts, the header row first.
    EXPECT_EQ(table().rows(), 4);
    EXPECT_EQ(table().text(0, 4), "h");
    EXPECT_EQ(table().text(3, 2), "103");
}

TEST_F(PointTableTest, TickingABoxSelectsItsPoint) {
    importPoints(3);
    setTicked(1, true);
    EXPECT_EQ(data.points.selected(), (std::vector<std::int32_t>{0, 1, 0}));
    setTicked(1, false);
    EXPECT_EQ(data.points.selected(), (std::vector<std::int32_t>{0, 0, 0}));
}

TEST_F(PointTableTest, SelectAllAndUnselectAll) {
    importPoints(4);
    QTest::mouseClick(button("Button3"), Qt::LeftButton);
    EXPECT_EQ(data.points.selected(), std::vector<std::int32_t>(4, 1));
    EXPECT_EQ(checkState(3), Qt::Checked);
    QTest::mouseClick(button("Button4"), Qt::LeftButton);
    EXPECT_EQ(data.points.selected(), std::vector<std::int32_t>(4, 0));
    EXPECT_EQ(checkState(0), Qt::Unchecked);
}

TEST_F(PointTableTest, SelectAllOnAnEmptyTableDoesNothing) {
    QTest::mouseClick(button("Button3"), Qt::LeftButton);
    EXPECT_TRUE(data.points.selected().empty());
    EXPECT_FALSE(checkState(0).isValid());  // the empty row has no check box
}

TEST_F(PointTableTest, TypingAppliesEachKeystrokeWithADecimalComma) {
    importPoints(2);
    typeInto(0, 2, "1,5");
    EXPECT_EQ(data.points.store().x()[0], 1.5);
    typeInto(1, 2, "1,5,2");  // the value of the keystroke before stays
    EXPECT_EQ(data.points.store().x()[1], 1.5);
    EXPECT_EQ(cell(1, 2), "1,5,2");  // and the cell keeps what was typed
    typeInto(0, 1, QString::fromUtf8("ОП9"));
    EXPECT_EQ(data.points.store().number()[0],
              "\xCE\xCF"
              "9");
    typeInto(0, 4, "");  // an empty text leaves the value
    EXPECT_EQ(data.points.store().z()[0], 11);
    typeInto(0, 5, "0");  // the kind column changes nothing
    EXPECT_EQ(data.points.store().kind()[0], 1);
    EXPECT_EQ(cell(0, 5), "0");
}

// Each keystroke the editor hands over changes its row once: one dataChanged, for that row.
TEST_F(PointTableTest, EachKeystrokeChangesItsRowOnce) {
    struct Case {
        const char* name;
        int row;
        int column;
        const char* text;
    };
    importPoints(3);
    for (const Case& c : {Case{"a coordinate", 1, kXColumn, "1,5"},
                          Case{"no number", 2, kYColumn, "12a"},
                          Case{"a number", 0, kNumberColumn, "ОП9"},
                          Case{"the kind", 1, kKindColumn, "0"}}) {
        QSignalSpy changes(model(), &QAbstractItemModel::dataChanged);
        ASSERT_TRUE(model()->setData(model()->index(c.row, c.column), QString::fromUtf8(c.text)));
        ASSERT_EQ(changes.count(), 1) << c.name;
        EXPECT_EQ(changes[0][0].toModelIndex().row(), c.row) << c.name;
        EXPECT_EQ(changes[0][1].toModelIndex().row(), c.row) << c.name;
        EXPECT_EQ(cell(c.row, c.column), QString::fromUtf8(c.text)) << c.name;
    }
}

TEST_F(PointTableTest, TypingBeforeAnyDataKeepsTheTextButChangesNoPoint) {
    typeInto(0, 2, "12.5");
    EXPECT_EQ(data.points.store().count(), 0u);
    EXPECT_EQ(cell(0, 2), "12.5");
}

TEST_F(PointTableTest, DeletingRowsOneAndThreeOfThreeLeavesTheSecondUnticked) {
    importPoints(3);
    typeInto(1, 1, "typed");
    setTicked(0, true);
    setTicked(2, true);
    action("N1")->trigger();
    EXPECT_EQ(numbers(), std::vector<std::string>{"typed"});
    EXPECT_EQ(data.points.selected(), std::vector<std::int32_t>{0});
    ASSERT_EQ(model()->rowCount(), 1);
    EXPECT_EQ(cell(0, 1), "typed");
    EXPECT_EQ(cell(0, 2), "102");
    EXPECT_EQ(checkState(0), Qt::Unchecked);
}

TEST_F(PointTableTest, TextsTypedIntoLaterRowsMoveUpWithTheirRows) {
    importPoints(4);
    typeInto(3, 2, "104,50");
    setTicked(1, true);
    action("N1")->trigger();
    EXPECT_EQ(cell(2, 2), "104,50");
    EXPECT_EQ(data.points.store().x()[2], 104.5);
}

TEST_F(PointTableTest, DeletingAllLeavesOneEmptyRowWithoutACheckBox) {
    importPoints(3);
    typeInto(2, 1, "x");
    QTest::mouseClick(button("Button3"), Qt::LeftButton);
    action("N1")->trigger();
    EXPECT_EQ(data.points.store().count(), 0u);
    EXPECT_TRUE(data.points.selected().empty());
    ASSERT_EQ(model()->rowCount(), 1);
    EXPECT_EQ(cell(0, 1), "");
    EXPECT_FALSE(checkState(0).isValid());
}

TEST_F(PointTableTest, FreezingPaintsTheSelectedRowsRedAndUnfreezingBringsThemBack) {
    importPoints(3);
    action("N2")->trigger();  // nothing selected: nothing freezes
    EXPECT_EQ(data.points.store().active(), std::vector<PointFlag>(3, 1));
    setTicked(1, true);
    action("N2")->trigger();
    EXPECT_EQ(data.points.store().active(), (std::vector<PointFlag>{1, 0, 1}));
    EXPECT_EQ(model()->index(1, 3).data(Qt::BackgroundRole).value<QColor>(), QColor(255, 0, 0));
    EXPECT_EQ(model()->index(1, 0).data(Qt::BackgroundRole).value<QColor>(), QColor(255, 0, 0));
    EXPECT_FALSE(model()->index(0, 3).data(Qt::BackgroundRole).isValid());
    action("N3")->trigger();
    EXPECT_EQ(data.points.store().active(), std::vector<PointFlag>(3, 1));
    EXPECT_FALSE(model()->index(1, 3).data(Qt::BackgroundRole).isValid());
}

TEST_F(PointTableTest, AddingToAnEmptyStoreWritesRowOneAndMarksDataPresent) {
    addPoint("A1", "1,5", "2", "3");
    ASSERT_EQ(data.points.store().count(), 1u);
    EXPECT_EQ(data.points.store().x()[0], 1.5);
    EXPECT_EQ(data.points.store().colour()[0], kColourAqua);
    EXPECT_EQ(data.points.selected(), std::vector<std::int32_t>{0});
    EXPECT_EQ(main().statusText(), "no file");
    ASSERT_EQ(model()->rowCount(), 1);
    EXPECT_EQ(cell(0, 1), "A1");
    EXPECT_EQ(cell(0, 2), "1.5");
    EXPECT_EQ(cell(0, 5), "1");
    EXPECT_EQ(checkState(0), Qt::Unchecked);
    typeInto(0, 3, "7");  // the table is editable now
    EXPECT_EQ(data.points.store().y()[0], 7);
}

TEST_F(PointTableTest, AddingKeepsTheEarlierTicksAndTheImportedPath) {
    importPoints(2);
    setTicked(1, true);
    addPoint("3", "1", "2", "3");
    EXPECT_EQ(data.points.selected(), (std::vector<std::int32_t>{0, 1, 0}));
    EXPECT_EQ(checkState(1), Qt::Checked);
    EXPECT_EQ(checkState(2), Qt::Unchecked);
    EXPECT_EQ(model()->rowCount(), 3);
    EXPECT_NE(main().statusText(), "no file");
}

TEST_F(PointTableTest, AddingKeepsWhatWasTypedIntoTheLastRow) {
    importPoints(3);
    typeInto(2, 2, "1,5,2");
    addPoint("4", "1", "2", "3");
    EXPECT_EQ(cell(2, 2), "1,5,2");
    EXPECT_EQ(table().text(3, 2), "1,5,2");  // and the exports read it
}

TEST_F(PointTableTest, ABadCoordinateShowsTheConversionErrorAndAddsNothing) {
    importPoints(1);
    addPoint("2", "1", "2,5,1", "3");
    EXPECT_EQ(dialogs.takeMessages(), QStringList{"'2.5,1' is not a valid floating point value"});
    EXPECT_EQ(data.points.store().count(), 1u);
    EXPECT_EQ(data.points.selected().size(), 1u);
    // The fields keep their text for the next use.
    EXPECT_EQ(forms.form4->findChild<QLineEdit*>("Edit3")->text(), "2,5,1");
}

// Columns widen to the header and to the texts of the rows in view (the design width is the
// minimum); a longer text further down widens its column once it is scrolled into view.
TEST_F(PointTableTest, ColumnsWidenToTheTextsInViewAndTheirHeader) {
    std::string survey = "h\r\n1,--------,5101.334,1455644.371,12.5\r\n";
    for (int point = 2; point < 500; ++point)
        survey += std::to_string(point) + ",--------,1,2,3\r\n";
    survey += "a-long-number-at-the-end,--------,1,2,3\r\n";
    importSurveyBytes(survey);
    main().show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&main()));
    const int lastInView = grid()->rowAt(grid()->viewport()->height() - 1);
    ASSERT_GT(lastInView, 10);
    ASSERT_LT(lastInView, 400);
    testing::expectColumnsHoldTheirTexts(*grid(), 0, lastInView);
    EXPECT_EQ(grid()->columnWidth(4), 54);  // "12.5", "3" and "h" fit the design width
    const int numberWidth = grid()->columnWidth(1);
    grid()->scrollToBottom();
    EXPECT_GT(grid()->columnWidth(1), numberWidth);
    testing::expectColumnsHoldTheirTexts(*grid(), 499, 499);
}

TEST_F(PointTableTest, ModelKeepsItsContractThroughEveryCommand) {
    QAbstractItemModelTester tester(model(), QAbstractItemModelTester::FailureReportingMode::Fatal);
    importPoints(5);
    setTicked(0, true);
    setTicked(3, true);
    action("N2")->trigger();
    action("N1")->trigger();
    addPoint("9", "1", "1", "1");
    QTest::mouseClick(button("Button3"), Qt::LeftButton);
    action("N1")->trigger();
    EXPECT_EQ(model()->rowCount(), 1);
}

// The add-point dialog answers the keyboard: Enter confirms, Esc cancels.
TEST_F(PointTableTest, TheAddDialogTakesEnterAndEsc) {
    for (const auto& [key, added] :
         {std::pair{Qt::Key_Return, 1u}, std::pair{Qt::Key_Escape, 0u}}) {
        TForm4* dialog = forms.form4.get();
        const std::size_t before = data.points.store().count();
        QTimer::singleShot(0, dialog, [dialog, key = key] {
            for (const char* field : {"Edit1", "Edit2", "Edit3", "Edit4"})
                dialog->findChild<QLineEdit*>(field)->setText("7");
            QTest::keyClick(dialog->findChild<QLineEdit*>("Edit4"), key);
            if (dialog->isVisible()) dialog->reject();
        });
        action("N4")->trigger();
        EXPECT_EQ(data.points.store().count(), before + added) << key;
    }
}

// Each time "Добавить" opens, the number field has the focus with its text selected: typing
// number Tab x Tab y Tab z Enter adds that point, whatever field was used last time.
TEST_F(PointTableTest, TheAddDialogAlwaysOpensInTheNumberFieldForTyping) {
    // Enter is pressed in the last field, where the focus stays when the dialog closes.
    const auto typePoint = [this](const QStringList& fields) {
        TForm4* dialog = forms.form4.get();
        QTimer::singleShot(0, dialog, [=] {
            dialog->activateWindow();
            ASSERT_TRUE(QTest::qWaitForWindowActive(dialog));
            for (const QString& text : fields) {
                if (&text != &fields.front())
                    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
                QTest::keyClicks(QApplication::focusWidget(), text);
            }
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        });
        action("N4")->trigger();
    };
    importPoints(1);
    typePoint({"2", "105", "206", "7.5"});
    typePoint({"3", "110", "210", "8"});
    ASSERT_EQ(numbers(), (std::vector<std::string>{"1", "2", "3"}));
    EXPECT_EQ(data.points.store().x()[2], 110);
    EXPECT_EQ(data.points.store().y()[2], 210);
    EXPECT_EQ(data.points.store().z()[2], 8);
}

}  // namespace
}  // namespace korvela

namespace korvela {
namespace {

// The "код" column stands after "ход точка" only while some point has a code; a typed code is
// one step that undo takes back.
using CodeColumnTest = testing::MainWindowFixture;

TEST_F(CodeColumnTest, ComesWithCodesAndTakesTypedOnes) {
    // ЗД and a long code in Windows-1251: the column comes as wide as its texts.
    importSurveyBytes("1,100,200,10,\xC7\xC4\r\n2,110,210,11,\r\n"
                      "3,120,220,12,\xC7\xC4\xC0\xCD\xC8\xC5 \xC7\xC4\xC0\xCD\xC8\xC5 "
                      "\xC7\xC4\xC0\xCD\xC8\xC5\r\n");
    ASSERT_EQ(model()->columnCount(), 7);
    EXPECT_EQ(model()->headerData(6, Qt::Horizontal).toString(), QString::fromUtf8("код"));
    EXPECT_EQ(cell(0, 6), QString::fromUtf8("ЗД"));
    EXPECT_GE(grid()->columnWidth(6), ColumnWidener::textWidth(*grid(), 6, 0, 2));
    EXPECT_EQ(cell(1, 6), "");

    typeInto(1, 6, QString::fromUtf8("КЮ"));
    EXPECT_EQ(data.points.store().code()[1], "\xCA\xDE");
    action("Undo1")->trigger();
    EXPECT_EQ(data.points.store().code()[1], "");
    EXPECT_EQ(data.points.store().code()[0], "\xC7\xC4");

    importPoints(3);  // a survey without codes looks as it always did
    EXPECT_EQ(model()->columnCount(), 6);
}

}  // namespace
}  // namespace korvela
