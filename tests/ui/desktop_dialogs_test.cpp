#include "ui/desktop_dialogs.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QFontDialog>
#include <QMessageBox>
#include <QPushButton>
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

// Saving onto a file that exists asks first, in Russian; "Нет" keeps the dialog open and the
// file untouched, "Да" gives the path.
TEST(DesktopDialogs, SavingOntoAnExistingFileAsksFirst) {
    testing::TempDir folder;
    const std::string survey = folder.file("site.sdr");
    testing::writeFile(survey, "NMSDR\n");
    DesktopDialogs dialogs;
    for (const auto [answer, expectPath] : {std::pair{QMessageBox::No, false},
                                            std::pair{QMessageBox::Yes, true}}) {
        QString question;
        QTimer::singleShot(0, [&, answer = answer] {
            auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            ASSERT_NE(dialog, nullptr);
            QTimer::singleShot(0, [&] {
                auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
                ASSERT_NE(box, nullptr);
                question = box->text();
                box->button(answer)->click();
            });
            dialog->selectFile(QString::fromStdString(survey));
            QMetaObject::invokeMethod(dialog, "accept");
            if (dialog->isVisible()) dialog->reject();
        });
        const std::optional<QString> path = dialogs.askSavePath(nullptr, {});
        EXPECT_TRUE(question.contains(QString::fromUtf8("уже существует"))) << question.toStdString();
        EXPECT_EQ(path.has_value(), expectPath);
        EXPECT_EQ(testing::readFile(survey), "NMSDR\n");
    }
}

// The real font dialog, accepted as it opens, gives back the font it was started from:
// not its first style (for DejaVu Sans "Oblique"), which would turn the labels italic when
// only the size is changed.
TEST(DesktopDialogs, TheFontDialogStartsFromTheFontAsItIs) {
    DesktopDialogs dialogs;
    for (const QFont& start : {QFont(QStringLiteral("DejaVu Sans"), 9),
                               QFont(QStringLiteral("DejaVu Sans"), 14, QFont::Bold)}) {
        QTimer::singleShot(0, [] {
            auto* dialog = qobject_cast<QFontDialog*>(QApplication::activeModalWidget());
            ASSERT_NE(dialog, nullptr);
            dialog->accept();
        });
        const std::optional<QFont> chosen = dialogs.askFont(nullptr, start);
        ASSERT_TRUE(chosen);
        const QFontInfo got(*chosen), want(start);
        EXPECT_EQ(got.family(), want.family());
        EXPECT_EQ(got.italic(), want.italic()) << got.styleName().toStdString();
        EXPECT_EQ(got.weight(), want.weight()) << got.styleName().toStdString();
        EXPECT_EQ(got.pointSize(), want.pointSize());
    }
}

}  // namespace
}  // namespace korvela
