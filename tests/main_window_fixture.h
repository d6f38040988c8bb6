#pragma once

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <sstream>

#include "app/forms.h"
#include "app/program_data.h"
#include "app/tform1.h"
#include "gui_test_support.h"
#include "points/point_table_model.h"
#include "points/project_extension.h"
#include "points/project_file.h"
#include "tasks/tform9.h"
#include "test_support.h"
#include "ui/korvela_application.h"
#include "ui/preferences.h"

namespace korvela::testing {

// What undo must bring back: the project file's bytes (points, flags, observations and codes),
// the plan's view, the status line, and every text, tick and colour of the table.
struct Seen {
    std::string project;
    ViewState view;
    QString status;
    QStringList table;
    friend bool operator==(const Seen&, const Seen&) = default;
    friend void PrintTo(const Seen& seen, std::ostream* out) {
        *out << seen.project.size() << " project bytes, view offset (" << seen.view.offsetX << ", " << seen.view.offsetY
             << ") scale " << seen.view.scale << ", status \"" << seen.status.toStdString()
             << "\", table:\n"
             << seen.table.join('\n').toStdString();
    }
};

// The program's windows around fresh data, with scripted dialogs.
class MainWindowFixture : public ::testing::Test {
protected:
    MainWindowFixture() : forms(data, dialogs) {
        static_cast<KorvelaApplication*>(qApp)->setDialogs(&dialogs);
    }
    ~MainWindowFixture() override { static_cast<KorvelaApplication*>(qApp)->setDialogs(nullptr); }

    TForm1& main() { return *forms.form1; }
    QTableView* grid() { return main().findChild<QTableView*>("StringGrid1"); }
    QAbstractItemModel* model() { return grid()->model(); }
    QPushButton* button(const char* name) { return main().findChild<QPushButton*>(name); }
    QAction* action(const char* name) { return main().findChild<QAction*>(name); }

    Seen seen() {
        std::ostringstream project;
        writeProject(project, ViewState(), data.points.selected(), data.points.store());
        project << projectExtensionBytes(data.points.observations(), data.points.store().code());
        Seen now{project.str(), data.view.state(), main().statusText(), {}};
        for (int row = 0; row < model()->rowCount(); ++row) {
            QString line;
            for (int column = 0; column < model()->columnCount(); ++column) {
                const QModelIndex index = model()->index(row, column);
                line += index.data().toString() + '|' + index.data(Qt::CheckStateRole).toString() +
                        '|' + index.data(Qt::BackgroundRole).toString() + ';';
            }
            now.table.append(line);
        }
        return now;
    }

    // Runs the base point numbers dialog with the fields typed as given when it opens.
    void answerNumbers(const QString& first, const QString& second, const QString& third = {}) {
        TForm9* dialog = forms.form9.get();
        QTimer::singleShot(0, dialog, [=] {
            dialog->findChild<QLineEdit*>("Edit1")->setText(first);
            dialog->findChild<QLineEdit*>("Edit2")->setText(second);
            dialog->findChild<QLineEdit*>("Edit3")->setText(third);
            QTest::mouseClick(dialog->findChild<QPushButton*>("Button1"), Qt::LeftButton);
        });
    }

    QString cell(int row, int column) { return model()->index(row, column).data().toString(); }
    QVariant checkState(int row) { return model()->index(row, 0).data(Qt::CheckStateRole); }

    void clickImport(std::optional<QString> path) {
        dialogs.answer(std::move(path));
        QTest::mouseClick(button("OpenButton"), Qt::LeftButton);
    }

    // Imports a comma survey of points "1" … "count" at (100 + i, 200 + i, 10 + i).
    void importPoints(int count) {
        const std::string path = surveys.file("survey" + std::to_string(count) + ".txt");
        writeCommaSurvey(path, count);
        clickImport(QString::fromStdString(path));
        ASSERT_EQ(data.points.store().count(), static_cast<std::size_t>(count));
    }

    // Imports a comma survey of points "1" … "count" at (x0 + 3i, y0 + 2i, 10 + i).
    void importPointsAt(int count, double x0, double y0) {
        std::string bytes = "survey\r\n";
        for (int i = 0; i < count; ++i) {
            bytes += std::to_string(i + 1) + ",--------," + std::to_string(x0 + 3 * i) + "," +
                     std::to_string(y0 + 2 * i) + "," + std::to_string(10 + i) + "\r\n";
        }
        importSurveyBytes(bytes);
    }

    // Imports a survey file with the given bytes.
    void importSurveyBytes(const std::string& bytes) {
        const std::string path = surveys.file("survey" + std::to_string(++surveyCount) + ".sdr");
        writeFile(path, bytes);
        clickImport(QString::fromStdString(path));
    }

    // Ticks or unticks the check box of a table row as a click on it would.
    void setTicked(int row, bool ticked) {
        model()->setData(model()->index(row, 0), ticked ? Qt::Checked : Qt::Unchecked,
                         Qt::CheckStateRole);
    }

    // Opens the cell's editor, types the keys into it one by one, and leaves the cell.
    void typeInto(int row, int column, const QString& keys) {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);  // earlier editors
        const QModelIndex index = model()->index(row, column);
        grid()->setCurrentIndex(index);
        grid()->edit(index);
        QLineEdit* editor = nullptr;
        for (QLineEdit* candidate : grid()->findChildren<QLineEdit*>()) {
            if (!candidate->isHidden()) editor = candidate;
        }
        ASSERT_NE(editor, nullptr);
        editor->selectAll();
        QTest::keyClick(editor, Qt::Key_Backspace);
        for (const QChar character : keys) {
            QTest::sendKeyEvent(QTest::Click, editor, Qt::Key_unknown, QString(character),
                                Qt::NoModifier);
        }
        grid()->setCurrentIndex(model()->index(row, column == 1 ? 2 : 1));
    }

    // Each test starts from the preferences' fallbacks, whatever an earlier one chose.
    struct NoPreferences {
        NoPreferences() { clearPreferences(); }
    } noPreferences;
    ScriptedDialogs dialogs;
    ProgramData data;
    Forms forms;
    TempDir surveys;
    int surveyCount = 0;
};

}  // namespace korvela::testing
