#include "ui/desktop_dialogs.h"

#include <QApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontDialog>
#include <QFontInfo>
#include <QMessageBox>
#include <QPrintDialog>

namespace korvela {

std::optional<QString> DesktopDialogs::runFileDialog(QWidget* parent,
                                                     const FileDialogRequest& request, bool save) {
    const QFileDialog::AcceptMode mode = save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen;
    QFileDialog dialog(parent, request.title, lastFolder_);
    dialog.setAcceptMode(mode);
    dialog.setFileMode(mode == QFileDialog::AcceptOpen ? QFileDialog::ExistingFile
                                                       : QFileDialog::AnyFile);
    // A save dialog asks before it replaces an existing file (Qt's own question).
    if (!request.filters.isEmpty()) dialog.setNameFilters(request.filters);
    dialog.setDefaultSuffix(request.defaultSuffix);
    if (!request.fileName.isEmpty()) dialog.selectFile(request.fileName);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
    const QString chosen = dialog.selectedFiles().constFirst();
    lastFolder_ = QFileInfo(chosen).absolutePath();
    return chosen;
}

std::optional<QString> DesktopDialogs::askOpenPath(QWidget* parent,
                                                   const FileDialogRequest& request) {
    return runFileDialog(parent, request, false);
}

std::optional<QString> DesktopDialogs::askSavePath(QWidget* parent,
                                                   const FileDialogRequest& request) {
    return runFileDialog(parent, request, true);
}

bool DesktopDialogs::askPrinter(QWidget* parent, QPrinter& printer) {
    QPrintDialog dialog(&printer, parent);
    return dialog.exec() == QDialog::Accepted;
}

void DesktopDialogs::showMessage(QWidget* parent, const QString& text) {
    QMessageBox box(QMessageBox::NoIcon, QApplication::applicationName(), text, QMessageBox::Ok,
                    parent);
    box.exec();
}

bool DesktopDialogs::askYesNo(QWidget* parent, const QString& text) {
    QMessageBox box(QMessageBox::Question, QApplication::applicationName(), text,
                    QMessageBox::Yes | QMessageBox::No, parent);
    box.setDefaultButton(QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
}

std::optional<QFont> DesktopDialogs::askFont(QWidget* parent, const QFont& initial) {
    // The dialog looks the font's style up in its list by name; a font made of a family and
    // a size has none ("Normal" is looked for), and the dialog then starts on the list's first
    // style, such as "Oblique". The name of the face actually used is in the list.
    QFont start = initial;
    start.setStyleName(QFontInfo(initial).styleName());
    bool chosen = false;
    const QFont font = QFontDialog::getFont(&chosen, start, parent);
    if (!chosen) return std::nullopt;
    return font;
}

}  // namespace korvela
