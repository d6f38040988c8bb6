#pragma once

#include <QDialog>
#include <string>

#include "exchange/csv_points.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QSpinBox;
class QTableWidget;

namespace korvela {

// The choices of "Импорт CSV" (column order, separator, decimal comma, header lines,
// encoding, with a preview of the first rows as they will be read) and of "Export CSV"
// (separator, decimal comma, encoding only).
class CsvDialog : public QDialog {
    Q_OBJECT
public:
    enum class Purpose { Import, Export };
    CsvDialog(QWidget* parent, Purpose purpose);

    // The file to import: its encoding is guessed and its first rows previewed.
    void setFileBytes(std::string bytes);

    CsvLayout layout() const;
    CsvWriteOptions writeOptions() const;

    // The rows the preview shows.
    static constexpr int kPreviewRows = 20;

private:
    void updatePreview();

    std::string bytes_;
    QComboBox* columnsBox_ = nullptr;
    QComboBox* separatorBox_ = nullptr;
    QCheckBox* decimalCommaBox_ = nullptr;
    QSpinBox* skipBox_ = nullptr;
    QComboBox* encodingBox_ = nullptr;
    QLabel* problemLabel_ = nullptr;
    QTableWidget* previewTable_ = nullptr;
    QPushButton* okButton_ = nullptr;
};

class PointStore;
class UserDialogs;

// File ▸ Export Project ▸ "Export CSV": the choices, then the file; every point of the store.
void ExportCsvClick(QWidget* parent, UserDialogs& dialogs, const PointStore& store);

// The open dialog of "Импорт CSV".
struct FileDialogRequest;
const FileDialogRequest& csvOpenDialog();

}  // namespace korvela
