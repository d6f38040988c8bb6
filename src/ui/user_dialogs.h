#pragma once

#include <QFont>
#include <QString>
#include <QStringList>
#include <optional>

class QPrinter;
class QWidget;

namespace korvela {

// What a file dialog shows: its title, its filters (Qt filter strings, in order), the
// extension added to a name typed without one, and the name it starts with.
struct FileDialogRequest {
    QString title;
    QStringList filters;
    QString defaultSuffix;
    QString fileName;
};

// The seam through which the windows ask the user for files and show messages. The
// program uses the desktop's dialogs; tests answer from a script and record every message.
class UserDialogs {
public:
    virtual ~UserDialogs() = default;

    // The chosen path, or nothing when the user cancels.
    virtual std::optional<QString> askOpenPath(QWidget* parent,
                                               const FileDialogRequest& request) = 0;
    virtual std::optional<QString> askSavePath(QWidget* parent,
                                               const FileDialogRequest& request) = 0;
    // The print dialog, for when there is no default printer: sets the printer up (a
    // printer, or a PDF file); false when the user cancels.
    virtual bool askPrinter(QWidget* parent, QPrinter& printer) = 0;
    // A modal message box with an OK button.
    virtual void showMessage(QWidget* parent, const QString& text) = 0;
    // A modal question with "Да" and "Нет", "Нет" chosen at first: true when the user
    // answers "Да".
    virtual bool askYesNo(QWidget* parent, const QString& text) = 0;
    // The font dialog: the chosen font, or nothing when the user cancels.
    virtual std::optional<QFont> askFont(QWidget* parent, const QFont& initial) = 0;
};

}  // namespace korvela
