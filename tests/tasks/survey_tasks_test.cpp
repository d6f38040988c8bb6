// The survey tasks driven through the main window's menus and buttons and the real dialogs.
#include <gtest/gtest.h>

#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTableView>
#include <QTimer>
#include <filesystem>

#include "area/tgeop.h"
#include "exchange/tform5.h"
#include "main_window_fixture.h"
#include "plan/plan_image.h"
#include "plan/tform7.h"
#include "tasks/tform11.h"
#include "tasks/tform2.h"
#include "tasks/tform8.h"
#include "tasks/tform9.h"
#include "ui/tolerances.h"

namespace korvela {
namespace {

// Two stations and five points: (10, 5, 2) and the rotation's proposal pair among them.
const std::string kSurvey =
    "00NMSDR33 V04-04.02\r\n10NMJOB\r\n13NM\r\n13NM\r\n"
    "02TP             ST1 0 0 0\r\n"
    "08TP               1 10 5 2\r\n"
    "08TP               2 0 0 0\r\n"
    "08TP               3 1 0.005 1\r\n"
    "02TP             ST2 3 4 0\r\n"
    "08TP               4 0 10 0\r\n";

class SurveyTasksTest : public testing::MainWindowFixture {
protected:
    SurveyTasksTest() { importSurveyBytes(kSurvey); }

    void select(std::initializer_list<int> rows) {
        for (const int row : rows) setTicked(row, true);
    }

    QString reportText() { return forms.form8->findChild<QPlainTextEdit*>("Memo1")->toPlainText(); }

    // Runs the base point numbers dialog by the keyboard when it opens: each text typed
    // where the focus is, Tab between them, Enter at the end.
    void typeNumbers(const QStringList& texts) {
        TForm9* dialog = forms.form9.get();
        QTimer::singleShot(0, dialog, [=] {
            dialog->activateWindow();
            ASSERT_TRUE(QTest::qWaitForWindowActive(dialog));
            for (const QString& text : texts) {
                if (&text != &texts.front())
                    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
                QTest::keyClicks(QApplication::focusWidget(), text);
            }
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        });
    }

    QScrollBar* scrollBar(const char* name) { return forms.form2->findChild<QScrollBar*>(name); }
};

TEST_F(SurveyTasksTest, LengthListsEverySelectedPairAndSavesByteForByte) {
    select({4, 1});
    action("N8")->trigger();
    EXPECT_TRUE(forms.form8->isVisible());
    EXPECT_EQ(forms.form8->windowTitle(), QString::fromUtf8("Длина"));
    EXPECT_EQ(reportText(), "1 ST2\n7.34846922834953\n\n");

    const std::string path = surveys.file("report.txt");
    dialogs.answer(QString::fromStdString(path));
    QTest::mouseClick(forms.form8->findChild<QPushButton*>("Button2"), Qt::LeftButton);
    EXPECT_EQ(testing::readFile(path), "1 ST2\r\n7.34846922834953\r\n\r\n");
}

TEST_F(SurveyTasksTest, SavingKeepsTheUsersEditsAndReportsAFileThatCannotBeWritten) {
    action("N9")->trigger();  // nothing selected: the one-line message
    EXPECT_EQ(forms.form8->windowTitle(), QString::fromUtf8("Внутренние углы"));
    EXPECT_EQ(reportText(), QString::fromUtf8("Надо выбрать ровно три точки!"));
    auto* memo = forms.form8->findChild<QPlainTextEdit*>("Memo1");
    memo->setPlainText(QString::fromUtf8("угол 47°\u00A0\nпроверен"));
    const std::string path = surveys.file("edited.txt");
    dialogs.answer(QString::fromStdString(path));
    forms.form8->Button2Click();
    EXPECT_EQ(testing::readFile(path),
              "\xF3\xE3\xEE\xEB 47\xB0\xA0\r\n\xEF\xF0\xEE\xE2\xE5\xF0\xE5\xED");

    dialogs.answer(QString::fromStdString(surveys.file("missing/report.txt")));
    forms.form8->Button2Click();
    EXPECT_EQ(dialogs.takeMessages().size(), 1);
    dialogs.answer(std::nullopt);  // cancelled: nothing is written, nothing is said
    forms.form8->Button2Click();
    EXPECT_TRUE(dialogs.takeMessages().isEmpty());
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(surveys.path()),
                            std::filesystem::directory_iterator()),
              2);  // the survey and edited.txt
}

TEST_F(SurveyTasksTest, InteriorAnglesOfThreeSelectedPoints) {
    select({2, 1, 5});  // (0,0,0), (10,5,2), (0,10,0)
    action("N9")->trigger();
    EXPECT_TRUE(reportText().startsWith("1\n"));
    EXPECT_EQ(reportText().count(QChar(0xB0)), 3);
}

TEST_F(SurveyTasksTest, DirectionalAngleBorrowsTheNumbersDialogAndPutsItBack) {
    answerNumbers("2", "ST2");  // from (0,0) to (3,4)
    action("N14")->trigger();
    EXPECT_EQ(forms.form8->windowTitle(), QString::fromUtf8("Дирекцинный угол"));
    EXPECT_EQ(reportText(), QString::fromUtf8("53° 7' 48''\n"));
    EXPECT_EQ(forms.form9->windowTitle(), QString::fromUtf8("Номера базовых точек второй системы"));
    EXPECT_FALSE(forms.form9->findChild<QLineEdit*>("Edit3")->isHidden());
    answerNumbers("2 ", "ST2");  // a trailing blank matches no point
    action("N14")->trigger();
    EXPECT_EQ(reportText(), QString::fromUtf8("Надо выбрать ровно две точки!"));
}

TEST_F(SurveyTasksTest, AreaHandOverTakesTheSelectedPointsThatAreNotFrozen) {
    select({1, 4});
    action("N2")->trigger();  // freeze 1 and ST2
    setTicked(5, true);
    setTicked(3, true);
    QTest::mouseClick(button("Button1"), Qt::LeftButton);
    TGeop& area = *forms.geop;
    EXPECT_TRUE(area.isVisible());
    EXPECT_EQ(area.findChild<QLineEdit*>("txtNum")->text(), "2");
    EXPECT_EQ(area.cellText(0, 1), "1");
    EXPECT_EQ(area.cellText(0, 2), "0.005");
    EXPECT_EQ(area.cellText(1, 1), "0");
    EXPECT_EQ(area.cellText(1, 2), "10");
    area.hide();
}

TEST_F(SurveyTasksTest, RotateProposesAnAngleAndTurnsTheSelectedPoints) {
    select({2, 3});  // (0,0,0) and (1,0.005,1): 45 proposed
    QTest::mouseClick(button("Button2"), Qt::LeftButton);
    EXPECT_TRUE(forms.form2->isVisible());
    EXPECT_EQ(forms.form2->findChild<QLineEdit*>("Edit1")->text(), "45");
    setTicked(2, false);
    setTicked(3, false);
    setTicked(1, true);  // (10, 5, 2)
    QTest::mouseClick(forms.form2->findChild<QPushButton*>("Button1"), Qt::LeftButton);
    EXPECT_FALSE(forms.form2->isVisible());
    EXPECT_TRUE(forms.form5->isVisible());
    const TextGrid& grid = forms.form5->grid();
    ASSERT_EQ(grid.rows(), 2);
    EXPECT_EQ(grid.text(1, 0), "1");
    EXPECT_EQ(grid.text(1, 1), "5.6569");
    EXPECT_EQ(grid.text(1, 2), "5");
    EXPECT_EQ(grid.text(1, 3), "8.4853");
    EXPECT_EQ(scrollBar("ScrollBar1")->value(), 315);
    EXPECT_EQ(data.view.state().rollDeg, 314);
    forms.form5->hide();
}

TEST_F(SurveyTasksTest, ABadAngleShowsTheConversionErrorAndWritesNothing) {
    select({1});
    action("Rotate1")->trigger();
    forms.form2->findChild<QLineEdit*>("Edit1")->setText("1,5");
    QTest::mouseClick(forms.form2->findChild<QPushButton*>("Button1"), Qt::LeftButton);
    EXPECT_EQ(dialogs.takeMessages(), QStringList{"'1,5' is not a valid floating point value"});
    EXPECT_EQ(forms.form5->grid().rows(), 2);  // as the opening cleared it
    EXPECT_EQ(forms.form5->grid().text(1, 0), "");
}

TEST_F(SurveyTasksTest, ViewScrollBarsWrapAndTurnThePlanAndImportSetsThemBack) {
    scrollBar("ScrollBar1")->setValue(91);
    EXPECT_EQ(data.view.state().rollDeg, 90);
    scrollBar("ScrollBar3")->setValue(0);
    EXPECT_EQ(scrollBar("ScrollBar3")->value(), 360);
    EXPECT_EQ(data.view.state().azimuthDeg, 359);
    scrollBar("ScrollBar2")->setValue(361);
    EXPECT_EQ(scrollBar("ScrollBar2")->value(), 1);
    scrollBar("ScrollBar2")->setValue(362);
    EXPECT_EQ(data.view.state().tiltDeg, 361);
    importSurveyBytes(kSurvey);
    EXPECT_EQ(scrollBar("ScrollBar1")->value(), 1);
    EXPECT_EQ(scrollBar("ScrollBar3")->value(), 1);
    EXPECT_EQ(data.view.state().rollDeg, 0);
    EXPECT_EQ(data.view.state().azimuthDeg, 0);
}

TEST_F(SurveyTasksTest, JoinAppendsTheSecondSurveyMappedThroughThreeBasePoints) {
    // Scaled by 10 in the plan: a scaling in space (the unit points onto the same ×10) is
    // no similarity and is refused.
    importSurveyBytes(
        "h\n"
        "A,--------,10,0,1\nB,--------,0,10,2\nC,--------,0,0,5\n");
    select({0, 1, 2});
    const std::string second = surveys.file("second.txt");
    testing::writeFile(
        second, "h\na,--------,1,0,1\nb,--------,0,1,2\nc,--------,0,0,5\nn,--------,1,1,3\n");
    dialogs.answer(QString::fromStdString(second));
    answerNumbers("a", "b", "c");
    action("AddtoProject1")->trigger();
    ASSERT_EQ(data.points.store().count(), 7u);
    EXPECT_EQ(data.points.store().number()[6], "n");
    EXPECT_EQ(data.points.store().x()[6], 10);
    EXPECT_EQ(data.points.store().z()[6], 3);
    EXPECT_EQ(data.points.store().colour()[6], kColourGreen);
    EXPECT_EQ(data.points.selected(), (std::vector<std::int32_t>{1, 1, 1, 0, 0, 0, 0}));
    EXPECT_EQ(model()->rowCount(), 7);
    EXPECT_EQ(cell(6, 5), "1");
    EXPECT_EQ(checkState(0), Qt::Checked);
    EXPECT_EQ(checkState(6), Qt::Unchecked);
}

// The directional angle leaves the focus in the second field; the join's dialog still
// starts in the first, with its old text selected so that typing replaces it.
TEST_F(SurveyTasksTest, TheNumbersDialogAlwaysOpensInItsFirstField) {
    typeNumbers({"2", "ST2"});
    action("N14")->trigger();
    EXPECT_EQ(reportText(), QString::fromUtf8("53° 7' 48''\n"));

    select({1, 3, 5});  // (10, 5, 2), (1, 0.005, 1), (0, 10, 0)
    const std::string second = surveys.file("second.txt");
    testing::writeFile(second,
                       "h\nT1,--------,10,5,2\nT2,--------,1,0.005,1\nT3,--------,0,10,0\n");
    dialogs.answer(QString::fromStdString(second));
    typeNumbers({"T1", "T2", "T3"});
    action("AddtoProject1")->trigger();
    EXPECT_EQ(forms.form9->numbers(), (std::array<std::string, 3>{"T1", "T2", "T3"}));
    EXPECT_FALSE(forms.form7->isVisible());
    EXPECT_EQ(data.points.store().count(), 9u);
}

TEST_F(SurveyTasksTest, JoinNoticesLeaveEverythingAsItWas) {
    select({1, 2, 3, 5});  // four selected: the notice at once, no dialog
    action("AddtoProject1")->trigger();
    EXPECT_TRUE(forms.form7->isVisible());
    EXPECT_EQ(forms.form7->windowTitle(),
              QString::fromUtf8("Надо выбрать ровно о три точки с каждой стороны"));
    forms.form7->Button1Click();

    setTicked(5, false);
    const std::string flat = surveys.file("flat.txt");  // every base point at height 0
    testing::writeFile(flat, "h\na,--------,1,0,0\nb,--------,0,1,0\nc,--------,1,1,0\n");
    dialogs.answer(QString::fromStdString(flat));
    answerNumbers("a", "b", "c");
    action("AddtoProject1")->trigger();
    EXPECT_EQ(forms.form7->windowTitle(),
              QString::fromUtf8("Матрица сингулярная. Бесконечно много решений. Поменяйте точки."));
    EXPECT_EQ(data.points.store().count(), 6u);
    forms.form7->Button1Click();

    // The same points 100 m and 200 m off: n, 5 m above their plane, strays metres off.
    setTicked(2, false);
    setTicked(5, true);  // (10, 5, 2), (1, 0.005, 1), (0, 10, 0) selected
    const std::string shifted = surveys.file("shifted.txt");
    testing::writeFile(shifted,
                       "h\na,--------,-90,-195,2\nb,--------,-99,-199.995,1\n"
                       "c,--------,-100,-190,0\nn,--------,-95,-195,7\n");
    write(kJoinLimit.preference, 0.2);
    dialogs.answer(QString::fromStdString(shifted));
    answerNumbers("a", "b", "c");
    action("AddtoProject1")->trigger();
    const QStringList messages = dialogs.takeMessages();
    ASSERT_EQ(messages.size(), 1);
    EXPECT_TRUE(messages[0].contains(QString::fromUtf8("точку «n» в ")));
    EXPECT_TRUE(messages[0].contains(QString::fromUtf8("допуск 0.2 м")));
    EXPECT_FALSE(forms.form7->isVisible());
    EXPECT_EQ(data.points.store().count(), 6u);
}

TEST_F(SurveyTasksTest, TheTraversePathCollectsTheStationsPicked) {
    setTicked(0, true);  // ST1 selected before the mode: added at the first press
    action("N16")->trigger();
    EXPECT_TRUE(forms.form11->isVisible());
    setTicked(4, true);  // ST2 by its box
    setTicked(1, true);  // an ordinary point: not a station
    EXPECT_EQ(forms.form11->stations(), std::vector<std::string>{"ST2"});
    emit main().plan().pressed(QPoint(1, 1));
    emit main().plan().released(QPoint(1, 1));
    EXPECT_EQ(forms.form11->stations(), (std::vector<std::string>{"ST2", "ST1"}));
    setTicked(4, false);
    setTicked(4, true);  // no repeats
    EXPECT_EQ(forms.form11->stations().size(), 2u);

    QTest::mouseClick(forms.form11->findChild<QPushButton*>("Button1"), Qt::LeftButton);
    EXPECT_FALSE(forms.form11->isVisible());
    forms.form11->Timer1Timer();  // the mode is off: the window stays closed
    EXPECT_FALSE(forms.form11->isVisible());
    setTicked(0, false);
    setTicked(0, true);
    EXPECT_EQ(forms.form11->stations().size(), 2u);
}

TEST_F(SurveyTasksTest, TheTraverseWindowComesBackWhileTheModeIsOn) {
    action("N16")->trigger();
    forms.form11->close();
    forms.form11->Timer1Timer();
    EXPECT_TRUE(forms.form11->isVisible());
    forms.form11->Button1Click();
    EXPECT_EQ(dialogs.takeMessages().size(), 1);  // an empty path is refused
}

}  // namespace
}  // namespace korvela
