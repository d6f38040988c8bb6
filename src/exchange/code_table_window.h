#pragma once

#include <QDialog>

#include "exchange/code_table.h"

class QCheckBox;
class QTableWidget;

namespace korvela {

class UserDialogs;

// Settings ▸ "Коды": the code table (code, layer, ACI colour, "соединять линией"), edited in
// place, imported from and exported to a file of the same form, and "Слои по кодам". "OK"
// keeps the table in the user's settings folder.
class CodeTableWindow : public QDialog {
public:
    CodeTableWindow(QWidget* parent, UserDialogs& dialogs);

    // The table as the rows hold it now (rows without a code or with a bad colour left out).
    CodeTable table() const;
    void showTable(const CodeTable& table);

private:
    void importTable();
    void exportTable();
    void keep();

    UserDialogs& dialogs_;
    QTableWidget* Rules = nullptr;
    QCheckBox* LayersByCode = nullptr;
};

}  // namespace korvela
