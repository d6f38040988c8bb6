#pragma once

#include <QDialog>
#include <string_view>

class QPlainTextEdit;
class QPushButton;

namespace korvela {

class UserDialogs;

// The report window of the survey tasks: an editable text the user can save as a file.
class TForm8 : public QDialog {
    Q_OBJECT
public:
    TForm8(QWidget* parent, UserDialogs& dialogs);

    // Replaces the whole text (Windows-1251, lines separated by CR LF) under the task's
    // caption and shows the window without making it modal.
    void showReport(const QString& caption, std::string_view report);

    void Button1Click();  // "Закрыть"
    void Button2Click();  // "Сохранить в текстовый файл"

private:
    void layOutColumns(const QString& text);

    UserDialogs& dialogs_;
    QPlainTextEdit* Memo1 = nullptr;
    QPushButton* Button1 = nullptr;
    QPushButton* Button2 = nullptr;
};

}  // namespace korvela
