#include "tasks/save_edit_to_text.h"

#include <QPlainTextEdit>

#include "app/qt_text.h"
#include "app/user_dialogs.h"
#include "tasks/report_file.h"

namespace korvela {

void Save_edit_to_text(QPlainTextEdit& textBox, QWidget* parent, UserDialogs& dialogs) {
    const std::optional<QString> path = dialogs.askSavePath(parent, FileDialogRequest{});
    if (!path) return;
    QString text = textBox.toPlainText();
    text.replace(QLatin1Char('\n'), QLatin1String("\r\n"));
    if (const auto error = writeReportFile(toLocalPath(*path), toCp1251(text))) {
        dialogs.showMessage(parent, fromUtf8(error->message()));
    }
}

}  // namespace korvela
