// The application as a desktop program: Russian standard dialogs, the shipped texts found in a
// build folder and in an installation, and the file named at start-up opened where it belongs.
#include <gtest/gtest.h>

#include <QDialogButtonBox>
#include <QDir>
#include <QPushButton>

#include "app/start_up_file.h"
#include "area/area_computation.h"
#include "area/area_files.h"
#include "area/tgeop.h"
#include "common/version.h"
#include "main_window_fixture.h"
#include "ui/program_files.h"

namespace korvela {
namespace {

TEST(Application, StandardButtonsSpeakRussian) {
    const std::pair<QDialogButtonBox::StandardButton, const char*> buttons[] = {
        {QDialogButtonBox::Cancel, "Отмена"},
        {QDialogButtonBox::Yes, "Да"},
        {QDialogButtonBox::No, "Нет"},
        {QDialogButtonBox::Close, "Закрыть"},
    };
    QDialogButtonBox box;
    for (const auto& [which, text] : buttons) {
        // '&' marks the mnemonic ("&Да").
        EXPECT_EQ(box.addButton(which)->text().remove('&'), QString::fromUtf8(text)) << text;
    }
}

TEST(ProgramFiles, FoundBesideTheProgramElseInTheInstalledSharedFolder) {
    testing::TempDir prefix;
    const QString bin = QString::fromStdString((prefix.path() / "bin").string());
    const QString shared = QDir::cleanPath(bin + "/" KORVELA_INSTALLED_TEXTS);
    QDir().mkpath(bin);
    testing::writeFile((prefix.path() / "bin" / "ReadMe.txt").string(), "beside");
    EXPECT_EQ(programFilePath("ReadMe.txt", bin), bin + "/ReadMe.txt");
    EXPECT_EQ(programFilePath("guide.ru.md", bin), shared + "/guide.ru.md");
    EXPECT_TRUE(shared.endsWith("/share/korvela")) << shared.toStdString();
}

// The workbook is kept beside a program run from its build folder, in the user's data folder
// once the program is installed.
TEST(ProgramFiles, WorkingFilesStayOutOfAnInstalledProgramsFolder) {
    testing::TempDir prefix;
    const QString bin = QString::fromStdString((prefix.path() / "bin").string());
    const QString data = QStringLiteral("/home/surveyor/.local/share/korvela");
    QDir().mkpath(bin);
    EXPECT_EQ(workingFolder(bin, data), bin);
    QDir().mkpath(bin + "/" KORVELA_INSTALLED_TEXTS);
    EXPECT_EQ(workingFolder(bin, data), data);
}

class StartUpFileTest : public testing::MainWindowFixture {
protected:
    ~StartUpFileTest() override { forms.geop->hide(); }
    void open(const QString& path) { openStartUpFile(forms, dialogs, path); }
};

TEST_F(StartUpFileTest, AStatementOpensComputedInTheAreaWindow) {
    const std::string statement = KORVELA_EXAMPLES "/parcel.tdl";
    AreaSheet expected;
    ASSERT_FALSE(loadStatementFile(statement, expected));
    ASSERT_TRUE(computeArea(expected));
    open(QString::fromStdString(statement));
    EXPECT_TRUE(forms.geop->isVisible());
    EXPECT_EQ(forms.geop->sheet().pointCount(), expected.pointCount());
    EXPECT_EQ(forms.geop->sheet().result(), expected.result());
    EXPECT_EQ(data.points.store().count(), 0u);
}

TEST_F(StartUpFileTest, AnUnreadableAreaSheetSaysWhy) {
    open(QString::fromStdString(surveys.file("missing.TDP")));
    const QStringList messages = dialogs.takeMessages();
    ASSERT_EQ(messages.size(), 1);
    EXPECT_TRUE(messages[0].contains("missing.TDP")) << messages[0].toStdString();
    EXPECT_EQ(forms.geop->sheet().result(), "");
}

TEST_F(StartUpFileTest, ASurveyIsImported) {
    open(QStringLiteral(KORVELA_EXAMPLES "/site.sdr"));
    EXPECT_GT(data.points.store().count(), 0u);
    EXPECT_FALSE(forms.geop->isVisible());
}

}  // namespace
}  // namespace korvela
