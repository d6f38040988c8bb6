#pragma once

#include "ui/user_dialogs.h"

namespace korvela::bench {

// The window benchmarks answer no dialog and show no message.
class NoDialogs : public UserDialogs {
public:
    std::optional<QString> askOpenPath(QWidget*, const FileDialogRequest&) override { return {}; }
    std::optional<QString> askSavePath(QWidget*, const FileDialogRequest&) override { return {}; }
    void showMessage(QWidget*, const QString&) override {}
    bool askYesNo(QWidget*, const QString&) override { return false; }
    std::optional<QFont> askFont(QWidget*, const QFont&) override { return {}; }
    bool askPrinter(QWidget*, QPrinter&) override { return false; }
};

}  // namespace korvela::bench
