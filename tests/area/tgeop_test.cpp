#include "area/tgeop.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPageSize>
#include <QPrinter>
#include <QPrinterInfo>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTableView>
#include <QTest>
#include <QUrl>
#include <filesystem>
#include <numeric>

#include "area/area_sheet.h"
#include "gui_test_support.h"
#include "test_support.h"
#include "ui/korvela_application.h"

namespace korvela {

// Records the files the window hands to the desktop instead of opening them.
class OpenedFiles : public QObject {
    Q_OBJECT
public:
    OpenedFiles() { QDesktopServices::setUrlHandler(QStringLiteral("file"), this, "open"); }
    ~OpenedFiles() override { QDesktopServices::unsetUrlHandler(QStringLiteral("file")); }
    QList<QUrl> urls;
public slots:
    void open(const QUrl& url) { urls.push_back(url); }
};

namespace {

const QString kTriangleResult = QString::fromUtf8("P = 5000 м^2 = 0.5 га");
const QString kOpenFailed = QString::fromUtf8("Ошибка открытия файла!");

// Runs a test in a folder of its own as the current folder.
class CurrentFolder {
public:
    explicit CurrentFolder(const std::filesystem::path& folder)
        : previous_(std::filesystem::current_path()) {
        std::filesystem::current_path(folder);
    }
    ~CurrentFolder() { std::filesystem::current_path(previous_); }

private:
    std::filesystem::path previous_;
};

int pdfPageCount(const std::string& pdf) {
    int pages = 0;
    const std::string pageType = "/Type /Page";
    for (std::size_t at = pdf.find(pageType); at != std::string::npos;
         at = pdf.find(pageType, at + 1)) {
        if (at + pageType.size() < pdf.size() && pdf[at + pageType.size()] != 's') ++pages;
    }
    return pages;
}

class AreaWindowTest : public ::testing::Test {
protected:
    explicit AreaWindowTest(const QString& firstArgument = QString())
        : window(dialogs, firstArgument) {
        application()->setDialogs(&dialogs);
    }
    ~AreaWindowTest() override { application()->setDialogs(nullptr); }

    static KorvelaApplication* application() { return static_cast<KorvelaApplication*>(qApp); }

    QTableView* table() { return window.findChild<QTableView*>("Table"); }
    QLineEdit* txtNum() { return window.findChild<QLineEdit*>("txtNum"); }
    QLineEdit* txtP() { return window.findChild<QLineEdit*>("txtP"); }
    QAction* item(const char* name) { return window.findChild<QAction*>(name); }

    QStringList row(int index) {
        QStringList texts;
        for (int column = 0; column < 7; ++column)
            texts << table()->model()->index(index, column).data().toString();
        return texts;
    }
    int rows() { return table()->model()->rowCount(); }

    void fillTriangle() {
        window.setPointCount(3);
        const char* const coordinates[][2] = {{"0", "0"}, {"100", "0"}, {"0", "100"}};
        for (int point = 0; point < 3; ++point) {
            window.setCellText(point, 1, coordinates[point][0]);
            window.setCellText(point, 2, coordinates[point][1]);
        }
    }

    void pressKey(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QWidget* target = QApplication::focusWidget() != nullptr &&
                                  QApplication::focusWidget()->window() == &window
                              ? QApplication::focusWidget()
                              : table();
        QTest::keyClick(target, key, modifiers);
    }

    void showActive() {
        window.show();
        window.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    }

    testing::ScriptedDialogs dialogs;
    testing::TempDir dir;
    TGeop window;
};

TEST_F(AreaWindowTest, StartsWithEightNumberedPointRowsAndItsControls) {
    EXPECT_EQ(window.windowTitle(), QString::fromUtf8("Вычисление площадей"));
    EXPECT_EQ(window.centralWidget()->size(), QSize(598, 357));
    ASSERT_EQ(rows(), 11);
    for (int point = 0; point < 8; ++point)
        EXPECT_EQ(row(point), (QStringList{QString::number(point + 1), "", "", "", "", "", ""}));
    for (int summary = 8; summary < 11; ++summary)
        EXPECT_EQ(row(summary), QStringList(7, QString()));
    const int widths[] = {40, 60, 60, 60, 60, 85, 81};
    for (int column = 0; column < 7; ++column)
        EXPECT_EQ(table()->columnWidth(column), widths[column]) << column;
    EXPECT_EQ(table()->rowHeight(0), 16);
    EXPECT_EQ(txtNum()->text(), "8");
    EXPECT_TRUE(txtP()->isReadOnly());
    EXPECT_EQ(txtP()->alignment(), Qt::AlignCenter);
    EXPECT_EQ(txtP()->text(), "");
    EXPECT_EQ(window.findChild<QGroupBox*>("GroupBox1")->title(),
              QString::fromUtf8("Число точек:"));
    EXPECT_EQ(window.findChild<QPushButton*>("Button2")->text(), QString::fromUtf8("Построить"));

    QStringList headings;
    for (const QLabel* label : window.findChildren<QLabel*>()) headings << label->text();
    for (const char* heading :
         {"№ точки", "координаты (м)", "X", "Y", "x(i-1) - x(i+1) (м)", "y(i+1) - y(i-1) (м)",
          "y(i)[x(i-1) - x(i+1)] м^2", "x(i)[y(i+1) - y(i-1)] м^2"}) {
        EXPECT_TRUE(headings.contains(QString::fromUtf8(heading))) << heading;
    }
}

TEST_F(AreaWindowTest, TheMenuHasEveryItemWithItsShortcut) {
    const std::tuple<const char*, const char*, const char*> items[] = {
        {"N5", "Вычислить", ""},       {"N3", "Открыть", "Ctrl+O"},
        {"N4", "Сохранить", "Ctrl+S"}, {"N18", "Загрузить из ведомости", "Ctrl+I"},
        {"N19", "Образец", ""},        {"N20", "Очистить", "Ctrl+E"},
        {"N22", "Печать", "Ctrl+P"},   {"N24", "Выход", "Ctrl+X"},
    };
    QMenu* menu = window.menuBar()->findChild<QMenu*>("ActionsMenu");
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(menu->title(), QString::fromUtf8("Действия"));
    ASSERT_EQ(menu->actions().size(), 8);
    for (int index = 0; index < 8; ++index) {
        const auto& [name, caption, shortcut] = items[index];
        const QAction* action = menu->actions()[index];
        EXPECT_EQ(action->objectName(), name);
        EXPECT_EQ(action->text(), QString::fromUtf8(caption));
        EXPECT_EQ(action->shortcut().toString(), shortcut) << name;
    }
}

TEST_F(AreaWindowTest, ComputingTheStartUpSheetGivesZeros) {
    item("N5")->trigger();
    EXPECT_EQ(row(0), (QStringList{"1", "", "", "0", "0", "0", "0"}));
    EXPECT_EQ(row(8), (QStringList{"", "", "", "+0", "+0", "+0", "+0"}));
    EXPECT_EQ(row(9), (QStringList{"", "", "", "0", "0", "0", "0"}));
    EXPECT_EQ(row(10), (QStringList{"", "", "", "0", "0", "2P = 0", "2P = 0"}));
    EXPECT_EQ(txtP()->text(), QString::fromUtf8("P = 0 м^2 = 0 га"));
}

TEST_F(AreaWindowTest, TheHandOverFillsTheSheetWithoutComputing) {
    fillTriangle();
    EXPECT_EQ(txtNum()->text(), "3");
    EXPECT_EQ(rows(), 6);
    EXPECT_EQ(row(1), (QStringList{"2", "100", "0", "", "", "", ""}));
    EXPECT_EQ(window.cellText(2, 2), "100");
    item("N5")->trigger();
    EXPECT_EQ(row(1), (QStringList{"2", "100", "0", "0", "100", "0", "10000"}));
    EXPECT_EQ(row(5), (QStringList{"", "", "", "0", "0", "2P = 10000", "2P = 10000"}));
    EXPECT_EQ(txtP()->text(), kTriangleResult);
}

// National-grid coordinates: the columns widen to their longest texts (the coordinates,
// "2P = …"), the headings follow the columns and the window grows to hold the grid.
TEST_F(AreaWindowTest, ColumnsWidenToTheirTextsAndTheWindowGrows) {
    const char* const coordinates[][2] = {{"5412112.345", "7312105.678"},
                                          {"5412130.002", "7312098.417"},
                                          {"5412125.5", "7312140.25"}};
    window.setPointCount(3);
    for (int point = 0; point < 3; ++point) {
        window.setCellText(point, 1, coordinates[point][0]);
        window.setCellText(point, 2, coordinates[point][1]);
    }
    window.N5Click();
    testing::expectColumnsHoldTheirTexts(*table(), 0, rows() - 1);
    const int widths[] = {40, 60, 60, 60, 60, 85, 81};
    EXPECT_GT(table()->columnWidth(1), widths[1]);
    const QRect grid = table()->geometry();
    const QRect box = window.findChild<QGroupBox*>("GroupBox1")->geometry();
    EXPECT_GT(window.centralWidget()->width(), 598);
    EXPECT_LT(grid.right(), box.left());
    EXPECT_LE(box.right(), window.centralWidget()->width());
    EXPECT_EQ(window.findChild<QLabel*>("Label8")->geometry().right(),
              grid.left() + table()->frameWidth() + table()->horizontalHeader()->length() - 1);

    window.N20Click();  // a cleared sheet has the design widths again
    for (int column = 0; column < 7; ++column)
        EXPECT_EQ(table()->columnWidth(column), widths[column]) << column;
    EXPECT_EQ(window.centralWidget()->width(), 598);
}

TEST_F(AreaWindowTest, SummaryRowsArePaintedLightGrey) {
    showActive();
    item("N5")->trigger();
    QApplication::processEvents();
    const QImage grid = table()->viewport()->grab().toImage();
    const auto colourIn = [&](int gridRow, int column) {
        const QRect cell = table()->visualRect(table()->model()->index(gridRow, column));
        return grid.pixelColor(cell.right() - 4, cell.center().y()).rgb() & 0xFFFFFF;
    };
    for (int summary = 8; summary < 11; ++summary) {
        for (int column = 0; column < 7; ++column)
            EXPECT_EQ(colourIn(summary, column), 0xDFDFDFu) << summary;
    }
    EXPECT_NE(colourIn(3, 4), 0xDFDFDFu);
    const QModelIndex summaryCell = table()->model()->index(8, 3);
    EXPECT_EQ(summaryCell.data(Qt::ForegroundRole).value<QColor>(), QColor(Qt::black));
}

TEST_F(AreaWindowTest, BuildTakesAWholeNonNegativeCountOrShowsTheConversionMessage) {
    fillTriangle();
    item("N5")->trigger();
    for (const char* typed : {"-5", "ab", "1.5", ""}) {
        txtNum()->setText(typed);
        QTest::mouseClick(window.findChild<QPushButton*>("Button2"), Qt::LeftButton);
        EXPECT_EQ(dialogs.takeMessages(),
                  QStringList{QString("'%1' is not a valid integer value").arg(typed)});
        EXPECT_EQ(rows(), 6) << typed;
        EXPECT_EQ(txtP()->text(), kTriangleResult);
    }
    txtNum()->setText("0");
    QTest::mouseClick(window.findChild<QPushButton*>("Button2"), Qt::LeftButton);
    EXPECT_EQ(rows(), 3);
    EXPECT_EQ(txtP()->text(), "");
}

TEST_F(AreaWindowTest, ThePointCountTakesThreeTypedCharactersButAnyHandedOverCount) {
    showActive();
    txtNum()->setFocus();
    QApplication::processEvents();
    EXPECT_EQ(txtNum()->selectedText(), "8");  // entering it selects its text
    QTest::keyClicks(txtNum(), "12345");
    EXPECT_EQ(txtNum()->text(), "123");
    window.setPointCount(1000);
    EXPECT_EQ(txtNum()->text(), "1000");
    EXPECT_EQ(rows(), 1003);
    EXPECT_EQ(row(999)[0], "1000");
    item("N5")->trigger();
    txtP()->setFocus();
    QApplication::processEvents();
    EXPECT_EQ(txtP()->selectedText(), QString::fromUtf8("P = 0 м^2 = 0 га"));
}

TEST_F(AreaWindowTest, TypedCellTextCountsAtOnceAndAComputationFailureIsReported) {
    showActive();
    table()->setCurrentIndex(table()->model()->index(1, 1));
    auto* editor = qobject_cast<QLineEdit*>(QApplication::focusWidget());
    ASSERT_NE(editor, nullptr);
    QTest::keyClicks(editor, "1e300");
    item("N5")->trigger();  // chosen while the cell is still being edited
    EXPECT_EQ(window.sheet().cell(1, 1), "1e300");
    EXPECT_EQ(dialogs.takeMessages(),
              QStringList{QString::fromUtf8("Ошибка вычисления!\nПроверьте исходные данные.")});
    EXPECT_EQ(txtP()->text(), "");
}

TEST_F(AreaWindowTest, SavesAndOpensAreaFiles) {
    fillTriangle();
    window.setCellText(0, 0, "1 a");
    item("N5")->trigger();

    dialogs.answer(QString::fromStdString(dir.file("parcel")));
    item("N4")->trigger();
    EXPECT_EQ(dialogs.lastRequest().title, QString::fromUtf8("Сохранить"));
    EXPECT_EQ(dialogs.lastRequest().filters,
              (QStringList{QString::fromUtf8("Файл расчета площади (*.tdp)"),
                           QString::fromUtf8("Все файлы (*)")}));
    EXPECT_EQ(dialogs.lastRequest().defaultSuffix, "tdp");
    // A name typed without extension gets ".tdp"; the point number loses its blank.
    const std::string bytes = testing::readFile(dir.file("parcel.tdp"));
    EXPECT_EQ(bytes.substr(bytes.find("\r\n1a ")),
              "\r\n1a 0 0 -100 -100 0 0 \r\n2 100 0 0 100 0 10000 \r\n"
              "3 0 100 100 0 10000 0 \r\nP = 5000 \xEC^2 = 0.5 \xE3\xE0");
    EXPECT_EQ(row(0)[0], "1a");

    item("N20")->trigger();
    EXPECT_EQ(row(0), (QStringList{"1", "", "", "", "", "", ""}));
    EXPECT_EQ(txtP()->text(), "");
    dialogs.answer(QString::fromStdString(dir.file("parcel.tdp")));
    item("N3")->trigger();
    EXPECT_EQ(dialogs.lastRequest().title, QString::fromUtf8("Открыть"));
    EXPECT_EQ(dialogs.lastRequest().fileName, "");
    EXPECT_EQ(row(0), (QStringList{"1a", "0", "0", "-100", "-100", "0", "0"}));
    EXPECT_EQ(row(3), (QStringList{"", "", "", "+100", "+100", "+10000", "+10000"}));
    EXPECT_EQ(txtP()->text(), kTriangleResult);
    EXPECT_EQ(txtNum()->text(), "3");
}

TEST_F(AreaWindowTest, AFileThatCannotBeOpenedOrSavedIsReportedAndChangesNothing) {
    fillTriangle();
    item("N5")->trigger();
    dialogs.answer(std::nullopt);
    item("N3")->trigger();
    dialogs.answer(QString::fromStdString(dir.file("missing.tdp")));
    item("N3")->trigger();
    EXPECT_EQ(dialogs.takeMessages(), QStringList{kOpenFailed});
    dialogs.answer(QString::fromStdString(dir.file("missing/parcel.tdp")));
    item("N4")->trigger();
    EXPECT_EQ(dialogs.takeMessages(), QStringList{QString::fromUtf8("Ошибка сохранения!")});
    EXPECT_EQ(rows(), 6);
    EXPECT_EQ(row(2), (QStringList{"3", "0", "100", "100", "0", "10000", "0"}));
    EXPECT_EQ(txtP()->text(), kTriangleResult);
}

TEST_F(AreaWindowTest, ImportsAStatementAndComputes) {
    const std::string path = dir.file("parcel.tdl");
    testing::writeFile(path, "Ведомость\r\nN = 3\r\n[Y]\r\n0 0 100\r\n[X]\r\n0\r\n100\r\n0\r\n");
    dialogs.answer(QString::fromStdString(path));
    item("N18")->trigger();
    EXPECT_EQ(dialogs.lastRequest().title, QString::fromUtf8("Импортировать из ведомости"));
    EXPECT_EQ(dialogs.lastRequest().filters,
              (QStringList{QString::fromUtf8("Координатная ведомость (*.tdl)"),
                           QString::fromUtf8("Все файлы (*)")}));
    EXPECT_EQ(txtNum()->text(), "3");
    EXPECT_EQ(row(2), (QStringList{"3", "0", "100", "100", "0", "10000", "0"}));
    EXPECT_EQ(txtP()->text(), kTriangleResult);

    // A statement that cannot be opened leaves the sheet emptied.
    dialogs.answer(QString::fromStdString(dir.file("missing.tdl")));
    item("N18")->trigger();
    EXPECT_EQ(dialogs.takeMessages(), QStringList{kOpenFailed});
    EXPECT_EQ(rows(), 6);
    EXPECT_EQ(row(0), QStringList(7, QString()));
    EXPECT_EQ(txtP()->text(), "");
}

TEST_F(AreaWindowTest, TheSampleComputesWithItsDecimalComma) {
    window.setPointCount(2);
    item("N19")->trigger();
    EXPECT_EQ(txtNum()->text(), "8");
    EXPECT_EQ(row(0), (QStringList{"1", "+967,5", "+300,3", "", "", "", ""}));
    EXPECT_EQ(txtP()->text(), "");
    item("N5")->trigger();
    EXPECT_EQ(txtP()->text(), QString::fromUtf8("P = 552138.75 м^2 = 55.21 га"));
}

TEST_F(AreaWindowTest, KeysReachTheWindowBeforeItsControls) {
    fillTriangle();
    showActive();
    table()->setCurrentIndex(table()->model()->index(0, 1));
    ASSERT_NE(qobject_cast<QLineEdit*>(QApplication::focusWidget()), nullptr);  // a cell editor

    pressKey(Qt::Key_E, Qt::ControlModifier);
    EXPECT_EQ(row(0), (QStringList{"1", "", "", "", "", "", ""}));
    EXPECT_EQ(rows(), 6);

    dialogs.answer(std::nullopt);
    pressKey(Qt::Key_O, Qt::ControlModifier);
    EXPECT_EQ(dialogs.lastRequest().title, QString::fromUtf8("Открыть"));
    dialogs.answer(std::nullopt);
    pressKey(Qt::Key_I, Qt::ControlModifier);
    EXPECT_EQ(dialogs.lastRequest().title, QString::fromUtf8("Импортировать из ведомости"));
    dialogs.answer(std::nullopt);
    pressKey(Qt::Key_S, Qt::ControlModifier);
    EXPECT_EQ(dialogs.lastRequest().title, QString::fromUtf8("Сохранить"));

    table()->setCurrentIndex(table()->model()->index(1, 2));
    pressKey(Qt::Key_Escape);
    EXPECT_FALSE(window.isVisible());
    showActive();
    txtNum()->setFocus();
    pressKey(Qt::Key_X, Qt::ControlModifier);
    EXPECT_FALSE(window.isVisible());
    EXPECT_EQ(rows(), 6);  // hiding keeps the sheet
}

TEST_F(AreaWindowTest, ReadMeAndLicenceOpenFromTheProgramFolder) {
    OpenedFiles opened;
    showActive();
    pressKey(Qt::Key_R, Qt::ControlModifier);
    pressKey(Qt::Key_L, Qt::ControlModifier);
    const QDir programFolder(QCoreApplication::applicationDirPath());
    const char* const names[] = {"ReadMe.txt", "License.txt"};
    ASSERT_EQ(opened.urls.size(), 2);
    for (int index = 0; index < 2; ++index) {
        EXPECT_EQ(opened.urls[index], QUrl::fromLocalFile(programFolder.filePath(names[index])));
        EXPECT_TRUE(QFileInfo::exists(opened.urls[index].toLocalFile()))
            << names[index] << " is not shipped";
    }
}

// The pages of a PDF file as pdftotext lays them out; nothing when pdftotext is missing.
std::optional<QStringList> pdfPages(const std::string& path) {
    const QString program = QStandardPaths::findExecutable(QStringLiteral("pdftotext"));
    if (program.isEmpty()) return std::nullopt;
    QProcess process;
    process.start(program, {QStringLiteral("-layout"), QString::fromStdString(path), "-"});
    if (!process.waitForFinished()) return std::nullopt;
    QStringList pages = QString::fromUtf8(process.readAllStandardOutput()).split(QChar('\f'));
    if (!pages.isEmpty() && pages.back().trimmed().isEmpty()) pages.pop_back();
    return pages;
}

// A 40-point sheet prints whole, as text: every row once and in order, the summary rows and
// the result after them, the headings on every page; a small page takes several pages.
TEST_F(AreaWindowTest, PrintsTheWholeSheetOnAsManyPagesAsItNeeds) {
    constexpr int kPoints = 40;
    window.setPointCount(kPoints);
    for (int point = 0; point < kPoints; ++point) {
        window.setCellText(point, 1, QString::number(1001 + point));
        window.setCellText(point, 2, QString::number(5001 + 2 * point));
    }
    window.N5Click();
    const QRegularExpression pointRow(QStringLiteral("^\\s*(\\d+)\\s+1\\d{3}\\s+5\\d{3}\\s"),
                                      QRegularExpression::MultilineOption);
    const QPageSize small(QSizeF(150, 100), QPageSize::Millimeter);
    for (const QPageSize& size : {QPageSize(QPageSize::A4), small}) {
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(QString::fromStdString(dir.file("sheet.pdf")));
        printer.setPageSize(size);
        ASSERT_TRUE(window.printSheet(printer));
        const auto pages = pdfPages(dir.file("sheet.pdf"));
        if (!pages) GTEST_SKIP() << "pdftotext (poppler-utils) is not installed";
        EXPECT_EQ(pages->size(), size == small ? 3 : 1) << size.name().toStdString();
        QList<int> numbers;
        for (const QString& page : *pages) {
            EXPECT_TRUE(page.contains(QString::fromUtf8("координаты (м)"))) << page.toStdString();
            for (const auto& match : pointRow.globalMatch(page))
                numbers << match.captured(1).toInt();
        }
        QList<int> expected(kPoints);
        std::iota(expected.begin(), expected.end(), 1);
        EXPECT_EQ(numbers, expected);
        const QString last = pages->back();
        EXPECT_EQ(last.count(QStringLiteral("2P = ")), 2);
        EXPECT_TRUE(last.contains(txtP()->text())) << last.toStdString();
        EXPECT_LT(last.indexOf(QStringLiteral("2P = ")), last.indexOf(txtP()->text()));
    }
}

TEST_F(AreaWindowTest, WithoutAPrinterThePrintDialogOffersAPdfFile) {
    if (!QPrinterInfo::defaultPrinter().isNull())
        GTEST_SKIP() << "this machine has a default printer";
    dialogs.answer(std::nullopt);
    item("N22")->trigger();
    EXPECT_TRUE(std::filesystem::is_empty(dir.path()));
    dialogs.answer(QString::fromStdString(dir.file("printed.pdf")));
    item("N22")->trigger();
    EXPECT_EQ(pdfPageCount(testing::readFile(dir.file("printed.pdf"))), 1);
}

class StatementHandOverTest : public AreaWindowTest {
protected:
    StatementHandOverTest() : AreaWindowTest(QStringLiteral("-p")), folder(dir.path()) {}
    CurrentFolder folder;
};

TEST_F(StatementHandOverTest, EveryShowingReadsTheTemporaryStatement) {
    testing::writeFile(dir.file("~TEMP.tdl"),
                       "header\r\nN = 3\r\n[X]\r\n0 100 0\r\n[Y]\r\n0 0 100\r\n");
    window.show();
    EXPECT_EQ(row(1), (QStringList{"2", "100", "0", "0", "100", "0", "10000"}));
    EXPECT_EQ(txtP()->text(), kTriangleResult);

    window.hide();
    testing::writeFile(dir.file("~TEMP.tdl"), "header\r\nN = 1\r\n[X]\r\n5\r\n[Y]\r\n7\r\n");
    window.show();
    EXPECT_EQ(row(0), (QStringList{"1", "5", "7", "5", "-7", "35", "-35"}));

    window.hide();
    std::filesystem::remove(dir.file("~TEMP.tdl"));
    window.show();
    EXPECT_EQ(dialogs.takeMessages(), QStringList{kOpenFailed});
    EXPECT_EQ(row(0), QStringList(7, QString()));
}

TEST_F(AreaWindowTest, WithoutTheSwitchShowingChangesNothing) {
    CurrentFolder folder(dir.path());
    testing::writeFile(dir.file("~TEMP.tdl"), "header\r\nN = 3\r\n[X]\r\n0 100 0\r\n");
    window.show();
    EXPECT_EQ(rows(), 11);
    EXPECT_EQ(txtP()->text(), "");
}

}  // namespace
}  // namespace korvela

#include "tgeop_test.moc"
