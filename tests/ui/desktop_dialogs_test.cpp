#include "ui/desktop_dialogs.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QTimer>

#include "test_support.h"

namespace korvela {
namespace {

// Answers the next file dialog with the file, noting the folder it opened in.
void answerNextFileDialog(const std::string& file, QString& openedIn) {
    QTimer::singleShot(0, [file, &openedIn] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        openedIn = dialog->directory().absolutePath();
        dialog->selectFile(QString::fromStdString(file));
        QMetaObject::invokeMethod(dialog, "accept");
    });
}

TEST(DesktopDialogs, FileDialogsOpenInTheFolderUsedLastInThisRun) {
    testing::TempDir survey, projects;
    testing::writeFile(survey.file("site.sdr"), "NMSDR\n");
    DesktopDialogs dialogs;
    QString openedIn;
    answerNextFileDialog(survey.file("site.sdr"), openedIn);
    EXPECT_EQ(dialogs.askOpenPath(nullptr, {}), QString::fromStdString(survey.file("site.sdr")));
    answerNextFileDialog(projects.file("work.kpr"), openedIn);
    dialogs.askSavePath(nullptr, {});
    EXPECT_EQ(openedIn, QDir(QString::fromStdString(survey.path().string())).absolutePath());
    answerNextFileDialog(survey.file("site.sdr"), openedIn);
    dialogs.askOpenPath(nullptr, {});
    EXPECT_EQ(openedIn, QDir(QString::fromStdString(projects.path().string())).absolutePath());
}

}  // namespace
}  // namespace korvela
