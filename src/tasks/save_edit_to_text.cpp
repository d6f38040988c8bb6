#include "tasks/save_edit_to_text.h"

#include <QPlainTextEdit>
#include <QTextDocument>

#include "tasks/report_file.h"
#include "ui/qt_text.h"
#include "ui/user_dialogs.h"

namespace korvela {

void Save_edit_to_text(QPlainTextEdit& textBox, QWidget* parent, UserDialogs& dialogs) {
    const std::optional<QString> path = dialogs.askSavePath(parent, FileDialogRequest{});
    if (!path) return;
    // The raw text keeps every character (toPlainText would turn a no-break space into a
    // blank); its paragraph and line separators are the line ends.
    QString text = textBox.document()->toRawText();
    text.replace(QChar(QChar::ParagraphSeparator), QLatin1Char('\n'));
    text.replace(QChar(QChar::LineSeparator), QLatin1Char('\n'));
    text.replace(QLatin1Char('\n'), QLatin1String("\r\n"));
    if (const auto error = writeReportFile(toLocalPath(*path), toCp1251(text))) {
        dialogs.showMessage(parent, fromUtf8(error->message()));
    }
}

}  // namespace korvela
