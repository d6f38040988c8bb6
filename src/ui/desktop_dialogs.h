#pragma once

#include "ui/user_dialogs.h"

namespace korvela {

// The real dialogs: QFileDialog and QMessageBox. File dialogs open in the folder used last in
// this run of the program (nothing is kept between runs).
class DesktopDialogs : public UserDialogs {
public:
    std::optional<QString> askOpenPath(QWidget* parent, const FileDialogRequest& request) override;
    std::optional<QString> askSavePath(QWidget* parent, const FileDialogRequest& request) override;
    bool askPrinter(QWidget* parent, QPrinter& printer) override;
    void showMessage(QWidget* parent, const QString& text) override;
    bool askYesNo(QWidget* parent, const QString& text) override;
    std::optional<QFont> askFont(QWidget* parent, const QFont& initial) override;

private:
    std::optional<QString> runFileDialog(QWidget* parent, const FileDialogRequest& request,
                                         bool save);

    QString lastFolder_;
};

}  // namespace korvela
