// The rotation result window "AutoCAD" and its ">> В AutoCAD >>".
#include "exchange/tform5.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QFrame>
#include <QHeaderView>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <filesystem>
#include <sstream>

#include "common/text_grid.h"
#include "exchange/dxf_writer.h"
#include "gui_test_support.h"
#include "points/point_store.h"
#include "test_support.h"
#include "ui/korvela_application.h"

namespace korvela {
namespace {

class RotationResultTest : public ::testing::Test {
protected:
    RotationResultTest() : form(nullptr, store, dialogs) {
        static_cast<KorvelaApplication*>(qApp)->setDialogs(&dialogs);
        store.append("S", 0, 0, 0, kColourAqua, kKindStation);
    }
    ~RotationResultTest() override { static_cast<KorvelaApplication*>(qApp)->setDialogs(nullptr); }

    QTableView* grid() { return form.findChild<QTableView*>("StringGrid1"); }
    QString cell(int row, int column) {
        return grid()->model()->index(row, column).data().toString();
    }
    void clickExport() {
        QTest::mouseClick(form.findChild<QPushButton*>("Button1"), Qt::LeftButton);
    }

    testing::ScriptedDialogs dialogs;
    PointStore store;
    TForm5 form;
    testing::TempDir dir;
};

TEST_F(RotationResultTest, HasTheButtonAcrossTheTopAndTheGridBetweenTwoGreenBars) {
    EXPECT_EQ(form.windowTitle(), "AutoCAD");
    auto* button = form.findChild<QPushButton*>("Button1");
    ASSERT_NE(button, nullptr);
    EXPECT_EQ(button->text(), QString::fromUtf8(">> В AutoCAD >>"));
    ASSERT_NE(grid(), nullptr);
    EXPECT_EQ(grid()->model()->columnCount(), 4);
    EXPECT_EQ(grid()->model()->rowCount(), 2);
    EXPECT_FALSE(grid()->horizontalHeader()->isVisibleTo(&form));
    EXPECT_FALSE(grid()->verticalHeader()->isVisibleTo(&form));
    EXPECT_EQ(grid()->selectionMode(), QAbstractItemView::ExtendedSelection);
    EXPECT_TRUE(grid()->model()->flags(grid()->model()->index(1, 1)) & Qt::ItemIsEditable);

    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    auto* left = form.findChild<QFrame*>("ControlBar3");
    auto* right = form.findChild<QFrame*>("ControlBar1");
    ASSERT_NE(left, nullptr);
    ASSERT_NE(right, nullptr);
    EXPECT_EQ(button->geometry().width(), form.width());
    EXPECT_EQ(button->y(), 0);
    EXPECT_LE(left->geometry().right(), grid()->geometry().left());
    EXPECT_GE(right->geometry().left(), grid()->geometry().right());
    EXPECT_EQ(left->palette().color(QPalette::Window), right->palette().color(QPalette::Window));
    EXPECT_GT(left->palette().color(QPalette::Window).green(),
              left->palette().color(QPalette::Window).red());
    form.hide();
}

TEST_F(RotationResultTest, TheRotationClearsWritesAndSizesTheGrid) {
    form.setRow(1,
                "\xCF\xD3"
                "1",
                "10", "20", "30");
    form.setRow(3, "3", "11", "21", "31");  // beyond the grid: rows are added
    EXPECT_EQ(form.grid().rows(), 4);
    EXPECT_EQ(cell(1, 0), QString::fromUtf8("ПУ1"));
    EXPECT_EQ(form.grid().text(1, 0),
              "\xCF\xD3"
              "1");
    EXPECT_EQ(cell(3, 3), "31");
    EXPECT_EQ(cell(2, 1), "");
    form.setRowCount(2);
    EXPECT_EQ(grid()->model()->rowCount(), 2);
    EXPECT_EQ(cell(1, 2), "20");
    form.setRow(0, "row 0", "", "", "");  // the user typed into row 0, which is not data
    form.clearGrid();
    EXPECT_EQ(form.grid().rows(), 2);
    for (int column = 0; column < 4; ++column) EXPECT_EQ(form.grid().text(1, column), "");
    EXPECT_EQ(form.grid().text(0, 0), "row 0");
}

// Columns are never narrower than their design width and widen to their longest text.
TEST_F(RotationResultTest, ColumnsWidenToTheirTexts) {
    const int designWidth = grid()->horizontalHeader()->defaultSectionSize();
    form.setRow(1, "7", "1455644.371", "5101.334", "1");
    form.setRow(2, "ПУ-длинный-номер", "-12345678901.2345", "0", "");
    testing::expectColumnsHoldTheirTexts(*grid(), 0, 2);
    EXPECT_GT(grid()->columnWidth(1), designWidth);
    EXPECT_EQ(grid()->columnWidth(3), designWidth);
    form.clearGrid();
    EXPECT_EQ(grid()->columnWidth(1), designWidth);
}

TEST_F(RotationResultTest, ExportWritesEveryRowWhateverTheKindWithColumnTwoAsEasting) {
    form.setRow(1, "A", "10", "20", "30");
    form.setRow(2, "B", "11", "21", "31");
    // An edit by the user goes into the file.
    grid()->model()->setData(grid()->model()->index(2, 0), QString::fromUtf8("Б"));
    const QString path = QString::fromStdString(dir.file("rotated.dxf"));
    dialogs.answer(path);
    clickExport();
    EXPECT_EQ(dialogs.lastRequest().defaultSuffix, "DXF");
    EXPECT_EQ(dialogs.lastRequest().filters, QStringList{"*.dxf (*.dxf)"});
    EXPECT_EQ(form.grid().text(2, 0), "\xC1");

    std::ostringstream expected;
    WriteDxf(form.grid(), kRotationGridDxfColumns, store.kind(), false, expected);
    const std::string written = testing::readFile(path.toStdString());
    EXPECT_EQ(written, expected.str());
    EXPECT_NE(written.find("0\r\nINSERT\r\n2\r\nBLK2\r\n"), std::string::npos);
    EXPECT_NE(written.find("\r\n10\r\n21\r\n20\r\n11\r\n30\r\n0\r\n"), std::string::npos);
    EXPECT_NE(written.find("\r\n1\r\n\xC1\r\n"), std::string::npos);
}

TEST_F(RotationResultTest, AnEmptyGridShowsTheConversionMessageAndWritesNoFile) {
    dialogs.answer(QString::fromStdString(dir.file("empty.dxf")));
    clickExport();
    EXPECT_EQ(dialogs.takeMessages(), QStringList{"'' is not a valid floating point value"});
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 0);
    dialogs.answer(std::nullopt);
    clickExport();
    EXPECT_TRUE(dialogs.takeMessages().isEmpty());
}

}  // namespace
}  // namespace korvela
