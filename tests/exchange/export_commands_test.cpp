// File ▸ Export Project ▸ "Export AutoCad" and "Export txt" of the main window.
#include "exchange/export_commands.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QPushButton>
#include <QStatusBar>
#include <QTableView>
#include <QTest>
#include <filesystem>
#include <sstream>

#include "app/forms.h"
#include "app/tform1.h"
#include "common/conversion_error.h"
#include "common/local_time.h"
#include "exchange/text_listing.h"
#include "gui_test_support.h"
#include "points/point_store_grid.h"
#include "points/point_table_model.h"
#include "points/point_table_text.h"
#include "app/program_data.h"
#include "test_support.h"
#include "ui/korvela_application.h"

namespace korvela {
namespace {

const QString kSample = QStringLiteral(KORVELA_EXAMPLES "/site.sdr");

class ExportMenuTest : public ::testing::Test {
protected:
    ExportMenuTest() : forms(data, dialogs) {
        static_cast<KorvelaApplication*>(qApp)->setDialogs(&dialogs);
    }
    ~ExportMenuTest() override { static_cast<KorvelaApplication*>(qApp)->setDialogs(nullptr); }

    TForm1& main() { return *forms.form1; }
    const TextGrid& table() {
        return *static_cast<PointTableModel*>(
            main().findChild<QTableView*>("StringGrid1")->model());
    }

    void importSample() {
        dialogs.answer(kSample);
        QTest::mouseClick(main().findChild<QPushButton*>("OpenButton"), Qt::LeftButton);
        ASSERT_GT(data.points.store().count(), 10u);
    }

    // Chooses `path` in the save dialog of the menu item, run as the event loop runs it
    // (an exception that escapes becomes a message).
    void chooseMenuItem(const char* name, std::optional<QString> path) {
        dialogs.answer(std::move(path));
        QMetaObject::invokeMethod(main().findChild<QAction*>(name), "trigger",
                                  Qt::QueuedConnection);
        QApplication::processEvents();
    }

    std::size_t filesIn(const testing::TempDir& dir) {
        return static_cast<std::size_t>(
            std::distance(std::filesystem::directory_iterator(dir.path()), {}));
    }

    testing::ScriptedDialogs dialogs;
    ProgramData data;
    Forms forms;
    testing::TempDir dir;
};

std::string tableDxf(const TextGrid& grid, const PointStore& store) {
    std::ostringstream out;
    WriteDxf(grid, kPointTableDxfColumns, store.kind(), true, out);
    return out.str();
}

// The windowless exports (korvela-cli) read the table through PointStoreGrid; the table
// the user sees must give the same texts.
TEST_F(ExportMenuTest, TheTableShowsWhatTheWindowlessTableShows) {
    importSample();
    const PointStoreGrid fresh(data.points.store());
    ASSERT_EQ(table().rows(), fresh.rows());
    for (int row = 0; row < fresh.rows(); ++row) {
        for (int column = 0; column < 6; ++column) {
            ASSERT_EQ(table().text(row, column), fresh.text(row, column)) << row << ' ' << column;
        }
    }
}

TEST_F(ExportMenuTest, ExportAutoCadWritesTheOrdinaryPointsOfTheTable) {
    importSample();
    const QString path = QString::fromStdString(dir.file("site.dxf"));
    chooseMenuItem("ExportProject1", path);
    EXPECT_EQ(dialogs.lastRequest().defaultSuffix, "DXF");
    EXPECT_EQ(dialogs.lastRequest().filters, QStringList{"*.dxf (*.dxf)"});
    const std::string written = testing::readFile(path.toStdString());
    EXPECT_EQ(written, tableDxf(PointStoreGrid(data.points.store()), data.points.store()));
    // The sample's first point is a station: no BLK1.
    ASSERT_EQ(data.points.store().kind()[0], kKindStation);
    EXPECT_EQ(written.find("\r\nBLK1\r\n"), std::string::npos);
    EXPECT_NE(written.find("\r\nBLK2\r\n"), std::string::npos);
}

// The table takes 5138,5 typed into a cell as 5138.5, and so does the export.
TEST_F(ExportMenuTest, ACellTypedWithADecimalCommaExportsAsTheTableTookIt) {
    importSample();
    auto* model = main().findChild<QTableView*>("StringGrid1")->model();
    ASSERT_TRUE(model->setData(model->index(1, kXColumn), QStringLiteral("5138,5"), Qt::EditRole));
    ASSERT_EQ(table().text(2, kXColumn), "5138,5");
    const QString path = QString::fromStdString(dir.file("typed.dxf"));
    chooseMenuItem("ExportProject1", path);
    const std::string written = testing::readFile(path.toStdString());
    // The block's base point: (10, easting), then (20, northing) from the typed cell.
    const std::size_t northing = written.find("\r\n20\r\n", written.find("\r\nBLK2\r\n"));
    ASSERT_NE(northing, std::string::npos);
    EXPECT_EQ(written.substr(northing + 6, 8), "5138.5\r\n");
}

TEST_F(ExportMenuTest, CancellingTheSaveDialogWritesNothing) {
    importSample();
    chooseMenuItem("ExportProject1", std::nullopt);
    chooseMenuItem("SaveProject1", std::nullopt);
    EXPECT_EQ(filesIn(dir), 0u);
}

// Long enough for the button to be pressed before the export ends: a few tenths of a second.
TEST_F(ExportMenuTest, AnExportStoppedByTheButtonLeavesTheOldFileAsItWas) {
    constexpr std::size_t kPoints = 1'000'000;
    PointStore many;
    many.reserve(kPoints);
    for (std::size_t i = 0; i < kPoints; ++i) {
        many.append(std::to_string(i + 1), 5412000 + i % 1000, 7312000 + i / 1000.0, 140, 0, 1);
    }
    data.points.replace(std::move(many), {}, "many.sdr");
    const std::string path = dir.file("site.txt");
    testing::writeFile(path, "the listing written before\r\n");
    main().show();  // the button can be pressed where it is seen
    const testing::StopButtonPresser presser;
    chooseMenuItem("SaveProject1", QString::fromStdString(path));
    ASSERT_TRUE(presser.pressed()) << "the export ended before the button showed";
    EXPECT_EQ(testing::readFile(path), "the listing written before\r\n");
    EXPECT_EQ(filesIn(dir), 1u);  // no temporary file left
    EXPECT_EQ(main().statusBar()->currentMessage(), QString::fromUtf8("Экспорт текста: прервано"));
}

TEST_F(ExportMenuTest, AnEmptyTableShowsTheConversionMessageAndWritesNoFile) {
    chooseMenuItem("ExportProject1", QString::fromStdString(dir.file("empty.dxf")));
    EXPECT_EQ(dialogs.takeMessages(), QStringList{"'' is not a valid floating point value"});
    EXPECT_EQ(filesIn(dir), 0u);
    dialogs.answer(QString::fromStdString(dir.file("empty.dxf")));
    EXPECT_THROW(ExportProject1Click(&main(), dialogs, table(), data.points.store()),
                 ConversionError);
}

TEST_F(ExportMenuTest, AFileThatCannotBeWrittenIsReportedByName) {
    importSample();
    for (const char* item : {"ExportProject1", "SaveProject1"}) {
        const QString path = QString::fromStdString(dir.file("missing/out"));
        chooseMenuItem(item, path);
        const QStringList messages = dialogs.takeMessages();
        ASSERT_EQ(messages.size(), 1) << item;
        EXPECT_TRUE(messages[0].contains(path)) << messages[0].toStdString();
    }
    EXPECT_EQ(filesIn(dir), 0u);
}

TEST_F(ExportMenuTest, ExportTxtWritesTheListingOfTheStoreDatedNow) {
    importSample();
    const QString path = QString::fromStdString(dir.file("site.txt"));
    ::setenv("KORVELA_NOW", "2011-01-01 00:00:00", 1);
    chooseMenuItem("SaveProject1", path);
    ::unsetenv("KORVELA_NOW");
    EXPECT_EQ(dialogs.lastRequest().defaultSuffix, "TXT");
    EXPECT_TRUE(dialogs.lastRequest().filters.isEmpty());
    std::ostringstream expected;
    writeTextListing(data.points.store(), {2011, 1, 1, 0, 0, 0}, expected);
    EXPECT_EQ(testing::readFile(path.toStdString()), expected.str());
    EXPECT_NE(expected.str().find("\r\n0:0:0\r\n1:1:2011\r\n"), std::string::npos);
}

}  // namespace
}  // namespace korvela
