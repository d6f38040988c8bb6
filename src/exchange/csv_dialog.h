#pragma once

#include <QDialog>
#include <optional>
#include <string>

#include "exchange/csv_points.h"
#include "points/point_store.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QSpinBox;
class QTableWidget;

namespace korvela {

// The choices of "Импорт CSV" (column order, separator, decimal comma, header lines,
// encoding, with a preview of the first rows as they will be read) and of "Export CSV"
// (separator, decimal comma, encoding only). Each purpose opens with the choices last
// accepted for it.
class CsvDialog : public QDialog {
    Q_OBJECT
public:
    enum class Purpose { Import, Export };
    CsvDialog(QWidget* parent, Purpose purpose);

    // The file to import: its first rows are previewed, and its separator and encoding are
    // guessed unless the last ones accepted fit it.
    void setFileBytes(std::string bytes);
    const std::string& fileBytes() const { return bytes_; }

    CsvLayout layout() const;
    CsvWriteOptions writeOptions() const;

    // Keeps the choices for the next time.
    void accept() override;

    // The rows the preview shows.
    static constexpr int kPreviewRows = 20;

private:
    void recallChoices();
    void rememberChoices() const;
    // Whether the box offers the separator.
    bool setSeparator(char separator);
    void setEncoding(TextEncoding encoding);
    void guessFileSeparator();
    void headerLinesChanged();
    void updatePreview();

    const Purpose purpose_;
    std::string bytes_;
    // The separator remembered, guessed or picked; nothing while the box only shows its first.
    std::optional<char> separatorChoice_;
    QComboBox* columnsBox_ = nullptr;
    QComboBox* separatorBox_ = nullptr;
    QCheckBox* decimalCommaBox_ = nullptr;
    QSpinBox* skipBox_ = nullptr;
    QComboBox* encodingBox_ = nullptr;
    QLabel* problemLabel_ = nullptr;
    QTableWidget* previewTable_ = nullptr;
    QPushButton* okButton_ = nullptr;
};

class UserDialogs;

// What "Импорт CSV" read: the points and the file's path.
struct CsvImport {
    PointStore points;
    QString path;
};

// File ▸ "Импорт CSV" up to the reading: the file, then the choices with the preview; the
// points read, or nothing when cancelled or the file cannot be read (a message says so).
// Rows that did not read are counted in a message.
std::optional<CsvImport> askCsvImport(QWidget* parent, UserDialogs& dialogs);

// File ▸ Export Project ▸ "Export CSV": the choices, then the file; every point of the store.
void ExportCsvClick(QWidget* parent, UserDialogs& dialogs, const PointStore& store);

}  // namespace korvela
