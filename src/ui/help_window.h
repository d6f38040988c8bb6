#pragma once

#include <QDialog>
#include <QString>

class QTextBrowser;
class QTreeWidget;
class QTreeWidgetItem;

namespace korvela {

class UserDialogs;

// The user guide's file, found as the program's other texts are (ui/program_files.h).
inline constexpr const char* kGuideFileName = "guide.ru.md";

// "Руководство пользователя": the guide (Markdown) on the right, the list of its headings on
// the left; choosing a heading brings it to the top of the text. One window serves the whole
// program: asked for again, it is raised.
class HelpWindow : public QDialog {
    Q_OBJECT
public:
    HelpWindow(UserDialogs& dialogs, QString guidePath);

    // Shows the guide, read from its file the first time. A file that cannot be read is said
    // in a message over `asking` (the window whose F1 it was), and no window opens.
    void showGuide(QWidget* asking);

private:
    bool loadGuide(QWidget* asking);
    void listHeadings();
    void showHeading(const QTreeWidgetItem* item);

    UserDialogs& dialogs_;
    const QString guidePath_;
    bool loaded_ = false;
    QTreeWidget* contents_ = nullptr;
    QTextBrowser* text_ = nullptr;
};

}  // namespace korvela
