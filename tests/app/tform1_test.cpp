#include "app/tform1.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QHeaderView>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QStatusBar>
#include <QTableView>
#include <QTest>

#include "common/conversion_error.h"
#include "main_window_fixture.h"
#include "test_support.h"

namespace korvela {
namespace {

const QString kSample = QStringLiteral(KORVELA_EXAMPLES "/site.sdr");

class MainWindowTest : public testing::MainWindowFixture {
protected:
    QStringList headerTexts() {
        QStringList texts;
        for (int column = 0; column < model()->columnCount(); ++column) {
            texts << model()->headerData(column, Qt::Horizontal).toString();
        }
        return texts;
    }
};

TEST_F(MainWindowTest, StartsWithTheHeaderRowOneEmptyRowAndAnEmptyStatusLine) {
    EXPECT_EQ(main().windowTitle(), QString::fromUtf8("KORVELA 16.06.10"));
    EXPECT_EQ(headerTexts(), (QStringList{"", QString::fromUtf8("номер"), "x", "y", "h",
                                          QString::fromUtf8("ход точка")}));
    EXPECT_EQ(grid()->model()->rowCount(), 1);
    EXPECT_EQ(cell(0, 1), "");
    EXPECT_EQ(main().statusText(), "");
    EXPECT_EQ(grid()->horizontalHeader()->defaultSectionSize(), 54);
}

TEST_F(MainWindowTest, HasEveryButtonAndMenuItemWithItsCaption) {
    const std::pair<const char*, const char*> buttons[] = {{"OpenButton", "Import Project"},
                                                           {"Button2", "Rotate"},
                                                           {"Button3", "Выбрать все"},
                                                           {"Button4", "Убрать все"},
                                                           {"Button1", "Площадь"}};
    for (const auto& [name, caption] : buttons) {
        ASSERT_NE(button(name), nullptr) << name;
        EXPECT_EQ(button(name)->text(), QString::fromUtf8(caption)) << name;
    }
    const std::pair<const char*, const char*> items[] = {{"Open1", "Open Project"},
                                                         {"Save2", "Save Project"},
                                                         {"AddtoProject1", "Add to Project"},
                                                         {"CloseProject1", "Close Project"},
                                                         {"ImportProject1", "Import Project"},
                                                         {"SaveProject1", "Export txt"},
                                                         {"ExportProject1", "Export AutoCad"},
                                                         {"Quit1", "Quit"},
                                                         {"Settings1", "Settings"},
                                                         {"Rotate1", "Rotate"},
                                                         {"N7", "Площадь"},
                                                         {"N8", "Длина"},
                                                         {"N9", "Углы"},
                                                         {"N14", "Дирекционные углы"},
                                                         {"N13", "Один Цвет"},
                                                         {"N16", "Выбрать путь хода"},
                                                         {"N1", "Удалить"},
                                                         {"N4", "Добавить"},
                                                         {"N2", "Заморозить"},
                                                         {"N3", "Разморозить"},
                                                         {"N15", "Добавить много точек"},
                                                         {"Excel1", "Отредактировать всё в Excel"},
                                                         {"Undo1", "Отменить"},
                                                         {"Redo1", "Повторить"}};
    for (const auto& [name, caption] : items) {
        const QAction* action = main().findChild<QAction*>(name);
        ASSERT_NE(action, nullptr) << name;
        EXPECT_EQ(action->text(), QString::fromUtf8(caption)) << name;
    }
    QStringList menuTitles;
    // The titles carry their keyboard accelerators ("&File").
    for (const QAction* action : main().menuBar()->actions()) {
        menuTitles << QString(action->text()).remove('&');
    }
    EXPECT_EQ(menuTitles, (QStringList{"File", QString::fromUtf8("Правка"), "Settings",
                                       QString::fromUtf8("Задачи"),
                                       QString::fromUtf8("Вывод протокола"), "Help"}));
}

TEST_F(MainWindowTest, TheOtherTenWindowsExistHiddenWithTheirCaptions) {
    const QStringList expected = {QString::fromUtf8("Поворот"),
                                  "Form4",
                                  "AutoCAD",
                                  QString::fromUtf8("Вычисление площадей"),
                                  "Settings",
                                  QString::fromUtf8("Выбрано сразу несколько точек"),
                                  "Form8",
                                  QString::fromUtf8("Номера базовых точек второй системы"),
                                  QString::fromUtf8("Добавить много точек"),
                                  "Form11"};
    QStringList captions;
    for (const char* name : {"TForm2", "TForm4", "TForm5", "TGeop", "TSettings", "TForm7", "TForm8",
                             "TForm9", "TForm10", "TForm11"}) {
        QWidget* window = nullptr;
        for (QWidget* topLevel : QApplication::topLevelWidgets()) {
            if (topLevel->objectName() == name) window = topLevel;
        }
        ASSERT_NE(window, nullptr) << name;
        EXPECT_FALSE(window->isVisible()) << name;
        captions << window->windowTitle();
    }
    EXPECT_EQ(captions, expected);
}

TEST_F(MainWindowTest, ImportProjectReadsTheChosenSurvey) {
    clickImport(kSample);
    EXPECT_EQ(main().statusText(), kSample);
    ASSERT_GT(data.points.store().count(), 10u);
    EXPECT_EQ(data.points.selected(), std::vector<std::int32_t>(data.points.store().count(), 0));
    EXPECT_EQ(dialogs.lastRequest().filters.size(), 4);
    EXPECT_EQ(dialogs.lastRequest().filters.first(),
              QString::fromUtf8("sdr, dxf, txt (*.sdr *.dxf *.txt)"));
    // More than ten points: the plan looks at the eleventh.
    EXPECT_EQ(data.view.state().offsetX, -data.points.store().x()[10]);
    EXPECT_EQ(data.view.state().offsetY, -data.points.store().y()[10]);
    EXPECT_EQ(data.view.state().offsetZ, data.points.store().z()[10] - 20);
    // The table lists the points.
    EXPECT_EQ(grid()->model()->rowCount(), static_cast<int>(data.points.store().count()));
    EXPECT_EQ(cell(0, 5), QString::number(data.points.store().kind()[0]));
}

// A GSI-8 file's status line names the width and the lines that held nothing to read.
TEST_F(MainWindowTest, ImportOfAGsiFileSaysSoInTheStatusLine) {
    testing::TempDir dir;
    const std::string path = (dir.path() / "field.gsi").string();
    testing::writeFile(path,
                       "110001+00000001 81..00+00001000 82..00+00002000\r\n"
                       "a note typed on the instrument\r\n");
    clickImport(QString::fromStdString(path));
    ASSERT_EQ(data.points.store().count(), 1u);
    EXPECT_EQ(main().statusText(), QString::fromStdString(path) +
                                       QString::fromUtf8(" (GSI-8, 8 знаков, пропущено строк: 1)"));
}

TEST_F(MainWindowTest, TheFileMenuImportsAsTheButtonDoes) {
    dialogs.answer(kSample);
    main().findChild<QAction*>("ImportProject1")->trigger();
    EXPECT_EQ(main().statusText(), kSample);
}

TEST_F(MainWindowTest, ACancelledDialogChangesNothing) {
    clickImport(kSample);
    const std::size_t count = data.points.store().count();
    clickImport(std::nullopt);
    EXPECT_EQ(data.points.store().count(), count);
    EXPECT_EQ(main().statusText(), kSample);
}

TEST_F(MainWindowTest, AnUnreadableFileIsReportedAndLeavesNoData) {
    clickImport(kSample);
    testing::TempDir dir;
    const QString missing = QString::fromStdString(dir.file("gone.sdr"));
    clickImport(missing);
    const QStringList messages = dialogs.takeMessages();
    ASSERT_EQ(messages.size(), 1);
    EXPECT_TRUE(messages[0].contains(missing)) << messages[0].toStdString();
    EXPECT_EQ(data.points.store().count(), 0u);
    EXPECT_TRUE(data.points.selected().empty());
    EXPECT_EQ(main().statusText(), "");
    EXPECT_EQ(grid()->model()->rowCount(), 1);
}

// Long enough for the button to be pressed before the import ends: a few tenths of a second.
// No message: the status line says that the import stopped.
TEST_F(MainWindowTest, AnImportStoppedByTheButtonLeavesThePointsAsTheyWere) {
    clickImport(kSample);
    const PointStore before = data.points.store();
    const std::string large = surveys.file("large.txt");
    testing::writeCommaSurvey(large, 1'000'000);
    main().show();  // the button can be pressed where it is seen
    const testing::StopButtonPresser presser;
    clickImport(QString::fromStdString(large));
    ASSERT_TRUE(presser.pressed()) << "the import ended before the button showed";
    EXPECT_EQ(data.points.store().number(), before.number());
    EXPECT_EQ(data.points.store().x(), before.x());
    EXPECT_EQ(main().statusText(), kSample);
    EXPECT_EQ(main().statusBar()->currentMessage(), QString::fromUtf8("Импорт: прервано"));
    action("Undo1")->trigger();  // the first import was the last step
    EXPECT_EQ(data.points.store().count(), 0u);
}

TEST_F(MainWindowTest, TheFirstPaintOfTheMaximisedWindowMakesItANormalWindowAtTheCorner) {
    main().showMaximized();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&main()));
    const QSize maximised = main().frameGeometry().size();
    QTRY_VERIFY(!(main().windowState() & Qt::WindowMaximized));
    EXPECT_EQ(main().pos(), QPoint(0, 0));
    EXPECT_EQ(main().frameGeometry().size(), maximised - QSize(15, 15));
}

// An error that escapes a command is shown in a message box and the program goes on.
class ThrowingObject : public QObject {
public:
    bool event(QEvent*) override { throw ConversionError::notFloatingPoint("12a"); }
};

TEST_F(MainWindowTest, TheGeneralErrorHandlerShowsTheMessage) {
    ThrowingObject object;
    QEvent event(QEvent::User);
    QApplication::sendEvent(&object, &event);
    EXPECT_EQ(dialogs.takeMessages(), QStringList{"'12a' is not a valid floating point value"});
}

}  // namespace
}  // namespace korvela
