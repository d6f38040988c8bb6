// Saving, opening and closing the work through the main window's File menu, and the typical
// road through the program from import to reopening.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QCheckBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <cstdio>
#include <filesystem>

#include "main_window_fixture.h"
#include "plan/plan_image.h"
#include "plan/plan_navigation.h"
#include "plan/tsettings.h"
#include "plan/view_transform.h"
#include "points/point_table_text.h"
#include "points/project_file.h"
#include "tasks/tform2.h"
#include "tasks/tform8.h"

namespace korvela {
namespace {

class ProjectCommandsTest : public testing::MainWindowFixture {
protected:
    void save(const std::string& path) {
        dialogs.answer(QString::fromStdString(path));
        action("Save2")->trigger();
    }
    void open(const std::string& path) {
        dialogs.answer(QString::fromStdString(path));
        action("Open1")->trigger();
    }
    QCheckBox* settingsBox(const char* name) { return forms.settings->findChild<QCheckBox*>(name); }
    QLineEdit* radius() { return forms.settings->findChild<QLineEdit*>("Cursor"); }
    QScrollBar* scrollBar(const char* name) { return forms.form2->findChild<QScrollBar*>(name); }
};

TEST_F(ProjectCommandsTest, AnEmptyProjectIs120BytesAndOpensAsNoPoints) {
    const std::string path = surveys.file("empty.kpr");
    save(path);
    EXPECT_EQ(std::filesystem::file_size(path), 120u);
    importPoints(3);
    open(path);
    EXPECT_EQ(data.points.store().count(), 0u);
    EXPECT_TRUE(data.points.selected().empty());
    EXPECT_EQ(model()->rowCount(), 1);
    EXPECT_FALSE(checkState(0).isValid());
    EXPECT_EQ(main().statusText(), "no file");
}

TEST_F(ProjectCommandsTest, OpeningRestoresTheSavedWork) {
    importPoints(12);
    PointStore painted = data.points.store();
    painted.setColour(4, 0x00123456);
    data.points.replace(std::move(painted), {}, data.points.status());
    typeInto(0, 1, QString::fromUtf8("ОП1"));
    typeInto(1, 2, "5412345.6789012345");
    setTicked(2, true);
    action("N2")->trigger();  // point 3 frozen
    setTicked(2, false);
    setTicked(5, true);
    setTicked(7, true);
    data.view.change([&](ViewState& view) {
        view.scale = 0.123;
        view.panDown = 22.5;  // the view turned below shows some of the points
        view.panRight = 7.25;
        view.depthOffset = 3.5;
    });
    settingsBox("ShowHight")->setChecked(false);
    radius()->setText("9");
    settingsBox("CheckBox1")->setChecked(true);
    scrollBar("ScrollBar1")->setValue(46);  // 45°
    // A view angle with a fraction comes back whole.
    data.view.change([](ViewState& view) { view.rollDeg = 45.7; });
    const std::string path = surveys.file("work.kpr");
    save(path);
    EXPECT_EQ(main().statusText().endsWith(".txt"), true);  // saving leaves the status line

    const PointStore saved = data.points.store();
    const std::vector<std::int32_t> savedSelection = data.points.selected();
    action("CloseProject1")->trigger();
    importPoints(20);  // other work, other offsets
    settingsBox("ShowHight")->setChecked(true);
    radius()->setText("5");
    settingsBox("CheckBox1")->setChecked(false);
    const ViewState before = data.view.state();

    open(path);
    EXPECT_EQ(data.points.store().number(), saved.number());
    EXPECT_EQ(data.points.store().number()[0],
              "\xCE\xCF"
              "1");
    EXPECT_EQ(data.points.store().x(), saved.x());  // bit for bit
    EXPECT_EQ(data.points.store().y(), saved.y());
    EXPECT_EQ(data.points.store().z(), saved.z());
    EXPECT_EQ(data.points.store().kind(), saved.kind());
    EXPECT_EQ(data.points.store().colour(), saved.colour());
    EXPECT_EQ(data.points.store().active(), saved.active());
    EXPECT_EQ(data.points.selected(), savedSelection);
    EXPECT_EQ(checkState(5), Qt::Checked);
    EXPECT_EQ(checkState(6), Qt::Unchecked);
    EXPECT_EQ(model()->index(2, 1).data(Qt::BackgroundRole).value<QColor>(), QColor(255, 0, 0));
    EXPECT_EQ(cell(1, 2), "5412345.67890123");  // the table of the file, not the typed text
    EXPECT_EQ(data.view.state().scale, 0.123);
    EXPECT_EQ(data.view.state().panDown, 22.5);
    EXPECT_EQ(data.view.state().panRight, 7.25);
    EXPECT_EQ(data.view.state().depthOffset, 3.5);
    EXPECT_EQ(data.view.state().offsetX, before.offsetX);  // the offsets in use stay
    EXPECT_EQ(data.view.state().offsetY, before.offsetY);
    EXPECT_EQ(data.view.state().showHeights, 0);
    EXPECT_FALSE(settingsBox("ShowHight")->isChecked());
    EXPECT_EQ(data.view.state().cursorRadius, 9);
    EXPECT_EQ(radius()->text(), "9");
    EXPECT_EQ(data.view.state().scaleLabelsWithZoom, 1);
    EXPECT_EQ(scrollBar("ScrollBar1")->value(), 46);
    EXPECT_EQ(data.view.state().rollDeg, 45);
    EXPECT_EQ(main().statusText(), "no file");
}

TEST_F(ProjectCommandsTest, ADamagedOrMissingFileIsReportedAndTheWorkStays) {
    importPoints(4);
    setTicked(1, true);
    const std::string path = surveys.file("work.kpr");
    save(path);
    std::string bytes = testing::readFile(path);
    testing::writeFile(path, bytes.substr(0, bytes.size() - 3));  // the last number cut short
    importPoints(5);
    setTicked(3, true);
    open(path);
    EXPECT_EQ(dialogs.takeMessages(), QStringList{QString::fromUtf8("Файл проекта повреждён: ") +
                                                  QString::fromStdString(path)});
    EXPECT_EQ(data.points.store().count(), 5u);
    EXPECT_EQ(data.points.selected(), (std::vector<std::int32_t>{0, 0, 0, 1, 0}));
    EXPECT_NE(main().statusText(), "no file");

    // A scale that is not a number, and a pipe that nobody writes into: refused at once.
    bytes.replace(6 * 8, 8, "\x00\x00\x00\x00\x00\x00\xF8\x7F");  // quiet NaN, little-endian
    testing::writeFile(path, bytes);
    open(path);
    EXPECT_EQ(dialogs.takeMessages(), QStringList{QString::fromUtf8("Файл проекта повреждён: ") +
                                                  QString::fromStdString(path)});
    const std::string pipe = surveys.file("pipe.kpr");
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    open(pipe);
    const QStringList refusal = dialogs.takeMessages();
    ASSERT_EQ(refusal.size(), 1);
    EXPECT_TRUE(refusal[0].contains(QString::fromUtf8("это не обычный файл")));
    EXPECT_EQ(data.points.store().count(), 5u);

    open(surveys.file("missing.kpr"));
    EXPECT_EQ(dialogs.takeMessages().size(), 1);
    EXPECT_EQ(data.points.store().count(), 5u);
    dialogs.answer(std::nullopt);  // cancelled: nothing changes
    action("Open1")->trigger();
    EXPECT_EQ(data.points.store().count(), 5u);
}

// The field file's observations travel with the points: import, save, close, open; a project
// whose observations' block is damaged opens its points and says so.
TEST_F(ProjectCommandsTest, TheObservationsAreSavedAndOpenedWithThePoints) {
    const std::string station = "02TP" + std::string(15, ' ') + "A" + "0" + std::string(15, ' ') +
                                "0" + std::string(15, ' ') + "0" + std::string(15, ' ') +
                                "1.5\r\n";
    const std::string sight = "09F1" + std::string(15, ' ') + "A" + std::string(15, ' ') + "B" +
                              "10" + std::string(14, ' ') + "90" + std::string(14, ' ') + "45\r\n";
    importSurveyBytes("00NMSDR33 V04-04.02     01-Jan-10 00:00 113111\r\n" + station + sight +
                      sight);
    ASSERT_EQ(data.points.observations().sights.size(), 2u);
    const std::string path = surveys.file("field.kpr");
    save(path);
    action("CloseProject1")->trigger();
    EXPECT_TRUE(data.points.observations().empty());
    open(path);
    ASSERT_EQ(data.points.observations().sights.size(), 2u);
    EXPECT_EQ(data.points.observations().targetOf(data.points.observations().sights[1]), "B");
    EXPECT_EQ(data.points.store().count(), 1u);

    const std::string bytes = testing::readFile(path);
    testing::writeFile(path, bytes.substr(0, bytes.size() - 3));  // the block cut short
    action("CloseProject1")->trigger();
    open(path);
    EXPECT_EQ(dialogs.takeMessages(), QStringList{QString::fromUtf8(kObservationsUnreadable)});
    EXPECT_EQ(data.points.store().count(), 1u);
    EXPECT_TRUE(data.points.observations().empty());
    data.points.undo();  // the open taken back: the observations of the closed project return
    data.points.undo();
    EXPECT_EQ(data.points.observations().sights.size(), 2u);
}

TEST_F(ProjectCommandsTest, CloseEmptiesTheWorkAndKeepsTheWindowsChoices) {
    importPoints(11);
    settingsBox("ShowNumber")->setChecked(false);
    scrollBar("ScrollBar3")->setValue(30);
    action("CloseProject1")->trigger();
    EXPECT_EQ(data.points.store().count(), 0u);
    EXPECT_TRUE(data.points.selected().empty());
    EXPECT_EQ(main().statusText(), "");
    EXPECT_EQ(model()->rowCount(), 1);
    ViewState choicesKept;  // the reset view with the settings window's choices
    choicesKept.showNumbers = 0;
    EXPECT_EQ(data.view.state(), choicesKept);
    EXPECT_FALSE(settingsBox("ShowNumber")->isChecked());
    EXPECT_EQ(scrollBar("ScrollBar3")->value(), 1);  // the bars show the reset view's angles
    typeInto(0, 2, "5");  // no data: typing changes no point
    EXPECT_EQ(data.points.store().count(), 0u);
}

// The settings window shows the file's choices after Close and Open, and so does the plan.
TEST_F(ProjectCommandsTest, OpeningAfterCloseDrawsWithTheFilesSettings) {
    importPoints(3);
    settingsBox("ShowHight")->setChecked(false);
    radius()->setText("9");
    const std::string path = surveys.file("settings.kpr");
    save(path);
    action("CloseProject1")->trigger();
    open(path);
    EXPECT_EQ(data.view.state().showHeights, 0);
    EXPECT_EQ(data.view.state().cursorRadius, 9);
}

TEST_F(ProjectCommandsTest, ANumberTooLongToOpenAgainKeepsTheProjectFromBeingSaved) {
    importPoints(3);
    data.points.typeCell(2, kNumberColumn, std::string(10000, '7'));
    action("Save2")->trigger();  // refused before the file dialog opens
    const QStringList messages = dialogs.takeMessages();
    ASSERT_EQ(messages.size(), 1);
    EXPECT_TRUE(messages[0].contains(QString::fromUtf8("строке 3"))) << messages[0].toStdString();
    data.points.typeCell(2, kNumberColumn,
                         std::string(9999, '7'));  // the longest number that opens again
    const std::string path = surveys.file("long.kpr");
    save(path);
    open(path);
    EXPECT_EQ(data.points.store().number()[2].size(), 9999u);
}

TEST_F(ProjectCommandsTest, AFileThatCannotBeWrittenIsReported) {
    importPoints(2);
    save(surveys.file("no/such/folder/work.kpr"));
    EXPECT_EQ(dialogs.takeMessages().size(), 1);
}

// Import the sample, pick points on the plan, measure, export for CAD, save, close, reopen.
TEST_F(ProjectCommandsTest, TheTypicalRoadThroughTheProgram) {
    clickImport(QStringLiteral(KORVELA_EXAMPLES "/site.sdr"));
    ASSERT_GT(data.points.store().count(), 200u);
    // Click the eleventh point (the plan's centre) and the first point next to it.
    PlanImage& plan = main().plan();
    const auto controlPosition = [&](std::size_t i) {
        const PixelSize size = plan.bitmapSize();
        const ScreenPoint at =
            ProjectPoint(data.view.state(), size.width * 0.5, size.height * 0.5, data.points.store().x()[i],
                         data.points.store().y()[i], data.points.store().z()[i]);
        return QPoint(qRound(at.x / plan.widthRatio()), qRound(at.y / plan.heightRatio()));
    };
    for (const std::size_t point : {std::size_t{10}, std::size_t{3}}) {
        emit plan.pressed(controlPosition(point));
        emit plan.released(controlPosition(point));
        EXPECT_EQ(data.points.selected()[point], 1) << point;
        EXPECT_EQ(checkState(static_cast<int>(point)), Qt::Checked) << point;
    }
    action("N8")->trigger();
    const QString report = forms.form8->findChild<QPlainTextEdit*>("Memo1")->toPlainText();
    EXPECT_TRUE(report.startsWith("1 8\n")) << report.toStdString();

    const std::string dxf = surveys.file("site.dxf");
    dialogs.answer(QString::fromStdString(dxf));
    action("ExportProject1")->trigger();
    FILE* reader =
        ::popen(("/usr/bin/python3 " KORVELA_SOURCE_DIR "/tests/exchange/read_dxf_with_ezdxf.py '" +
                 dxf + "' 2>&1")
                    .c_str(),
                "r");
    ASSERT_NE(reader, nullptr);
    std::string listing;
    char block[4096];
    for (std::size_t read; (read = std::fread(block, 1, sizeof block, reader)) > 0;)
        listing.append(block, read);
    EXPECT_EQ(::pclose(reader), 0) << listing;
    EXPECT_NE(listing.find("audit\t0\t0\n"), std::string::npos) << listing.substr(0, 400);

    setTicked(20, true);
    action("N2")->trigger();  // point 20 frozen too
    const std::string project = surveys.file("site.kpr");
    save(project);
    const PointStore saved = data.points.store();
    const std::vector<std::int32_t> selection = data.points.selected();
    const ViewState view = data.view.state();
    action("CloseProject1")->trigger();
    ASSERT_EQ(data.points.store().count(), 0u);
    open(project);
    EXPECT_EQ(data.points.store().number(), saved.number());
    EXPECT_EQ(data.points.store().x(), saved.x());
    EXPECT_EQ(data.points.store().active(), saved.active());
    EXPECT_EQ(data.points.selected(), selection);
    EXPECT_EQ(checkState(3), Qt::Checked);
    EXPECT_EQ(model()->index(20, 1).data(Qt::BackgroundRole).value<QColor>(), QColor(255, 0, 0));
    // Close reset the offsets the saved view looked from: the plan shows every point instead.
    EXPECT_NE(data.view.state(), view);
    EXPECT_TRUE(activePointOnPlan(data.view.state(), {&data.points.store()}));
}

}  // namespace
}  // namespace korvela
