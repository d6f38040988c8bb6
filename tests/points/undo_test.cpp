// Undo and redo driven from the main window: each command taken back and repeated.
#include <gtest/gtest.h>

#include <QAbstractItemModelTester>
#include <QSignalSpy>
#include <QTimer>
#include <functional>

#include "main_window_fixture.h"
#include "points/point_table_text.h"
#include "points/tform4.h"

namespace korvela {
namespace {

PointStore greenPoints(std::initializer_list<const char*> numbers) {
    PointStore store;
    for (const char* number : numbers) {
        const double x = 500.0 + static_cast<double>(store.count());
        store.append(number, x, x + 1, x + 2, kColourGreen, kKindPoint);
    }
    return store;
}

using testing::Seen;

class UndoTest : public testing::MainWindowFixture {
protected:
    // Five imported points, two from the workbook (their kind cells empty), a text typed into
    // a cell that is no number, the second point frozen, the second and the sixth selected.
    void arrange() {
        importPoints(5);
        data.points.append(greenPoints({"w1", "w2"}), true, "Добавить много точек");
        typeInto(0, kXColumn, "12a");
        setTicked(1, true);
        action("N2")->trigger();
        setTicked(5, true);
    }

    void openProjectOf(PointStore points) {
        const std::string path = surveys.file("other.kor");
        ASSERT_FALSE(saveProjectFile(path, ViewState(), {1, 0}, points));
        dialogs.answer(QString::fromStdString(path));
        action("Open1")->trigger();
    }

    // "Добавить" with the dialog's four fields typed and "Ok" pressed.
    void addThroughDialog(const QString& number) {
        TForm4* dialog = forms.form4.get();
        QTimer::singleShot(0, dialog, [=] {
            for (const char* field : {"Edit1", "Edit2", "Edit3", "Edit4"}) {
                dialog->findChild<QLineEdit*>(field)->setText(field == std::string("Edit1")
                                                                   ? number
                                                                   : QStringLiteral("7"));
            }
            QTest::mouseClick(dialog->findChild<QPushButton*>("Button1"), Qt::LeftButton);
        });
        action("N4")->trigger();
    }

    // Every signal the table model sends while a test runs is checked against the model's
    // rules (rows announced before they appear, indexes in range, data of the right types).
    QAbstractItemModelTester modelTester{model(),
                                         QAbstractItemModelTester::FailureReportingMode::Fatal};
};

TEST_F(UndoTest, UndoThenRedoOfEachCommandLeavesEverythingAsItWas) {
    struct Case {
        const char* step;
        std::function<void()> command;
    };
    const std::vector<Case> cases = {
        {"Импорт", [this] { importPoints(3); }},
        {"Открыть проект",
         [this] {
             openProjectOf(greenPoints({"p1", "p2"}));
         }},
        {"Закрыть проект", [this] { action("CloseProject1")->trigger(); }},
        {"Добавить", [this] { addThroughDialog("n"); }},
        {"Добавить много точек",
         [this] {
             data.points.append(greenPoints({"m1", "m2"}), true, "Добавить много точек");
         }},
        {"Удалить 2 точки", [this] { action("N1")->trigger(); }},
        {"Заморозить", [this] { action("N2")->trigger(); }},
        {"Разморозить", [this] { action("N3")->trigger(); }},
        {"Один Цвет", [this] { action("N13")->trigger(); }},
        {"Изменить ячейку", [this] { typeInto(2, kNumberColumn, "77"); }},
        {"Отредактировать всё в Excel",
         [this] {
             data.points.replace(greenPoints({"e1", "e2", "e3"}), {0, 1}, "edited",
                                 "Отредактировать всё в Excel");
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.step);
        arrange();
        const Seen before = seen();
        c.command();
        const Seen after = seen();
        ASSERT_NE(after, before);
        EXPECT_EQ(action("Undo1")->text(), QString::fromUtf8("Отменить: ") + c.step);
        action("Undo1")->trigger();
        EXPECT_EQ(seen(), before);
        EXPECT_EQ(action("Redo1")->text(), QString::fromUtf8("Повторить: ") + c.step);
        action("Redo1")->trigger();
        EXPECT_EQ(seen(), after);
        EXPECT_FALSE(action("Redo1")->isEnabled());
    }
}

// A command that finds nothing to change records no step: the last step stays the one to undo.
TEST_F(UndoTest, ACommandThatChangesNothingIsNoStep) {
    const std::vector<std::pair<const char*, std::function<void()>>> cases = {
        {"Удалить with nothing ticked", [this] { action("N1")->trigger(); }},
        {"Заморозить with nothing ticked", [this] { action("N2")->trigger(); }},
        {"Один Цвет on aqua points", [this] { action("N13")->trigger(); }},
        {"edit all with every point as it was",
         [this] {
             data.points.replace(PointStore(data.points.store()), data.points.selected(),
                                 data.points.status(), "Отредактировать всё в Excel");
         }},
    };
    for (const auto& [name, command] : cases) {
        SCOPED_TRACE(name);
        importPoints(3);
        const QString undoText = action("Undo1")->text();
        const Seen before = seen();
        QSignalSpy resets(model(), &QAbstractItemModel::modelReset);
        command();
        EXPECT_EQ(seen(), before);
        EXPECT_EQ(action("Undo1")->text(), undoText);
        EXPECT_EQ(resets.count(), 0);
    }
}

TEST_F(UndoTest, TheCommandsAreEnabledOnlyWithAStepAndLeaveTheTitleAlone) {
    const QString title = main().windowTitle();
    EXPECT_FALSE(action("Undo1")->isEnabled());
    EXPECT_FALSE(action("Redo1")->isEnabled());
    EXPECT_EQ(action("Undo1")->text(), QString::fromUtf8("Отменить"));
    importPoints(2);
    EXPECT_TRUE(action("Undo1")->isEnabled());
    EXPECT_EQ(action("Undo1")->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_Z));
    EXPECT_EQ(action("Redo1")->shortcuts(),
              (QList<QKeySequence>{QKeySequence(Qt::CTRL | Qt::Key_Y),
                                   QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)}));
    action("Undo1")->trigger();
    EXPECT_FALSE(action("Undo1")->isEnabled());
    EXPECT_EQ(action("Redo1")->text(), QString::fromUtf8("Повторить: Импорт"));
    EXPECT_EQ(main().windowTitle(), title);
    EXPECT_EQ(model()->rowCount(), 1);
}

// Undo from the menu while a cell is still being edited takes back what was typed so far and
// closes the editor, which then types nothing over it.
TEST_F(UndoTest, UndoWhileACellIsEditedTakesBackItsTyping) {
    importPoints(2);
    const Seen before = seen();
    const QModelIndex number = model()->index(1, kNumberColumn);
    grid()->setCurrentIndex(number);
    grid()->edit(number);
    auto* editor = grid()->findChild<QLineEdit*>();
    ASSERT_NE(editor, nullptr);
    editor->selectAll();
    QTest::keyClicks(editor, "75");
    action("Undo1")->trigger();
    grid()->setCurrentIndex(model()->index(0, kNumberColumn));  // leaving the cell types nothing
    EXPECT_EQ(seen(), before);
    EXPECT_EQ(action("Redo1")->text(), QString::fromUtf8("Повторить: Изменить ячейку"));
    action("Redo1")->trigger();
    EXPECT_EQ(data.points.store().number()[1], "75");
}

// Saving keeps the history: the step before the save can still be undone.
TEST_F(UndoTest, SavingAProjectKeepsTheHistory) {
    importPoints(2);
    setTicked(0, true);
    action("N1")->trigger();
    dialogs.answer(QString::fromStdString(surveys.file("saved.kor")));
    action("Save2")->trigger();
    EXPECT_EQ(action("Undo1")->text(), QString::fromUtf8("Отменить: Удалить 1 точку"));
    action("Undo1")->trigger();
    EXPECT_EQ(data.points.store().count(), 2u);
    EXPECT_EQ(data.points.selected(), (std::vector<std::int32_t>{1, 0}));
}

}  // namespace
}  // namespace korvela
