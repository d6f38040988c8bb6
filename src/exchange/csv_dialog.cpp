#include "exchange/csv_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>
#include <algorithm>
#include <iterator>
#include <utility>

#include "common/number_text.h"
#include "common/safe_file_writer.h"
#include "points/point_store.h"
#include "ui/busy_indicator.h"
#include "ui/preferences.h"
#include "ui/qt_text.h"
#include "ui/user_dialogs.h"

namespace korvela {
namespace {

const char* const kImportCaption = "Импорт CSV";
const char* const kExportCaption = "Export CSV";
const char* const kRowNotRead = "не читается";

// The separators offered, in the order of the box.
constexpr char kSeparators[] = {',', ';', '\t', kBlankSeparator};
const QStringList kEncodingNames = {QStringLiteral("Windows-1251"), QStringLiteral("UTF-8")};

// The preview's column of whole file lines: a long line is shortened in the middle, its whole
// text shown on hovering; tabs are marked, as they would otherwise show as wide gaps.
constexpr int kFileLineColumnWidth = 260;
const QString kTabMark = QString::fromUtf8("→");

// The choices each purpose keeps for the next time.
struct RememberedMarks {
    Preference<QString> separator;  // the separator itself; empty: none chosen yet
    Preference<bool> decimalComma;
    Preference<QString> encoding;  // its name in the encoding box
};
const RememberedMarks kImportMarks{{"csvImport/separator", QString()},
                                   {"csvImport/decimalComma", false},
                                   {"csvImport/encoding", kEncodingNames[0]}};
const RememberedMarks kExportMarks{{"csvExport/separator", QString()},
                                   {"csvExport/decimalComma", false},
                                   {"csvExport/encoding", kEncodingNames[0]}};
const Preference<QString> kImportColumns{"csvImport/columns", QStringLiteral("PNEZD")};
const Preference<int> kImportHeaderLines{"csvImport/headerLines", 0};

QComboBox* choiceBox(QWidget* parent, const char* name, const QStringList& items) {
    auto* box = new QComboBox(parent);
    box->setObjectName(name);
    box->addItems(items);
    return box;
}

QTableWidget* createPreviewTable(QWidget* parent) {
    auto* table = new QTableWidget(0, 5, parent);
    table->setObjectName("previewTable");
    table->setHorizontalHeaderLabels({QString::fromUtf8("Строка файла"), QString::fromUtf8("Номер"),
                                      QStringLiteral("X"), QStringLiteral("Y"),
                                      QStringLiteral("Z")});
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->setTextElideMode(Qt::ElideMiddle);
    table->setWordWrap(false);
    table->setColumnWidth(0, kFileLineColumnWidth);
    table->horizontalHeader()->setStretchLastSection(true);
    table->setMinimumSize(kFileLineColumnWidth + 460, 300);  // the file line and four columns
    return table;
}

void setPreviewRow(QTableWidget& table, int row, const CsvPreviewRow& preview) {
    QStringList cells = {fromUtf8(preview.line).replace(QLatin1Char('\t'), kTabMark)};
    if (preview.point) {
        cells << fromCp1251(preview.point->number)
              << QString::fromStdString(formatNumber(preview.point->x))
              << QString::fromStdString(formatNumber(preview.point->y))
              << QString::fromStdString(formatNumber(preview.point->z));
    } else {
        cells << QString::fromUtf8(kRowNotRead);
    }
    for (int column = 0; column < cells.size(); ++column) {
        table.setItem(row, column, new QTableWidgetItem(cells[column]));
    }
    table.item(row, 0)->setToolTip(cells[0]);
}

CsvReadSummary readCsvPointsWhileBusy(QWidget* parent, std::string_view bytes,
                                      const CsvLayout& layout, PointStore& points) {
    BusyIndicator busy(parent, QString::fromUtf8("Импорт CSV"));
    return busy.run([&] { return readCsvPoints(bytes, layout, points, &busy.progress()); });
}

}  // namespace

CsvDialog::CsvDialog(QWidget* parent, Purpose purpose) : QDialog(parent), purpose_(purpose) {
    setObjectName("CsvDialog");
    const bool importing = purpose == Purpose::Import;
    setWindowTitle(QString::fromUtf8(importing ? kImportCaption : kExportCaption));
    columnsBox_ = choiceBox(this, "columnsBox",
                            {"PNEZD", "PENZD", "PNEZ", "PENZ", "NEZ", "ENZ", "PNE", "PEN"});
    columnsBox_->setEditable(true);
    separatorBox_ =
        choiceBox(this, "separatorBox",
                  {QString::fromUtf8("запятая ,"), QString::fromUtf8("точка с запятой ;"),
                   QString::fromUtf8("табуляция"), QString::fromUtf8("пробелы")});
    decimalCommaBox_ = new QCheckBox(QString::fromUtf8("Десятичная запятая"), this);
    decimalCommaBox_->setObjectName("decimalCommaBox");
    skipBox_ = new QSpinBox(this);
    skipBox_->setObjectName("skipBox");
    skipBox_->setRange(0, 1000);
    encodingBox_ = choiceBox(this, "encodingBox", kEncodingNames);
    problemLabel_ = new QLabel(this);
    problemLabel_->setObjectName("problemLabel");
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    okButton_ = buttons->button(QDialogButtonBox::Ok);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* form = new QFormLayout(this);
    if (importing) {
        form->addRow(QString::fromUtf8("Порядок столбцов (N = X, E = Y)"), columnsBox_);
    }
    form->addRow(QString::fromUtf8("Разделитель"), separatorBox_);
    form->addRow(QString(), decimalCommaBox_);
    if (importing) form->addRow(QString::fromUtf8("Пропустить строк заголовка"), skipBox_);
    form->addRow(QString::fromUtf8("Кодировка"), encodingBox_);
    recallChoices();
    if (importing) {
        previewTable_ = createPreviewTable(this);
        form->addRow(problemLabel_);
        form->addRow(previewTable_);
        connect(columnsBox_, &QComboBox::currentTextChanged, this, &CsvDialog::updatePreview);
        connect(separatorBox_, &QComboBox::currentIndexChanged, this, &CsvDialog::updatePreview);
        connect(separatorBox_, &QComboBox::activated, this,
                [this](int index) { separatorChoice_ = kSeparators[index]; });
        connect(decimalCommaBox_, &QCheckBox::toggled, this, &CsvDialog::updatePreview);
        connect(skipBox_, &QSpinBox::valueChanged, this, &CsvDialog::headerLinesChanged);
        connect(encodingBox_, &QComboBox::currentIndexChanged, this, &CsvDialog::updatePreview);
    } else {
        columnsBox_->hide();
        skipBox_->hide();
        problemLabel_->hide();
    }
    form->addRow(buttons);
}

void CsvDialog::recallChoices() {
    const RememberedMarks& marks = purpose_ == Purpose::Import ? kImportMarks : kExportMarks;
    if (const QString separator = read(marks.separator);
        separator.size() == 1 && setSeparator(separator.front().toLatin1())) {
        separatorChoice_ = separator.front().toLatin1();
    }
    decimalCommaBox_->setChecked(read(marks.decimalComma));
    if (const int encoding = kEncodingNames.indexOf(read(marks.encoding)); encoding >= 0) {
        encodingBox_->setCurrentIndex(encoding);
    }
    if (purpose_ == Purpose::Import) {
        columnsBox_->setCurrentText(read(kImportColumns));
        skipBox_->setValue(read(kImportHeaderLines));
    }
}

void CsvDialog::rememberChoices() const {
    const RememberedMarks& marks = purpose_ == Purpose::Import ? kImportMarks : kExportMarks;
    const CsvLayout chosen = layout();
    write(marks.separator, QString(QLatin1Char(chosen.separator)));
    write(marks.decimalComma, chosen.decimalComma);
    write(marks.encoding, encodingBox_->currentText());
    if (purpose_ == Purpose::Import) {
        write(kImportColumns, QString::fromStdString(chosen.columns));
        write(kImportHeaderLines, skipBox_->value());
    }
}

void CsvDialog::accept() {
    rememberChoices();
    QDialog::accept();
}

bool CsvDialog::setSeparator(char separator) {
    const auto* found = std::find(std::begin(kSeparators), std::end(kSeparators), separator);
    if (found == std::end(kSeparators)) return false;
    separatorBox_->setCurrentIndex(static_cast<int>(found - std::begin(kSeparators)));
    return true;
}

void CsvDialog::setEncoding(TextEncoding encoding) {
    encodingBox_->setCurrentIndex(encoding == TextEncoding::Utf8 ? 1 : 0);
}

// The separator chosen so far stays while it fits the file.
void CsvDialog::guessFileSeparator() {
    const auto headerLines = static_cast<std::size_t>(skipBox_->value());
    if (const auto separator = guessSeparator(bytes_, headerLines, separatorChoice_)) {
        separatorChoice_ = separator;
        setSeparator(*separator);
    }
}

// Other header lines may need another separator.
void CsvDialog::headerLinesChanged() {
    guessFileSeparator();
    updatePreview();
}

void CsvDialog::setFileBytes(std::string bytes) {
    bytes_ = std::move(bytes);
    setEncoding(chooseEncoding(bytes_, layout().encoding));
    guessFileSeparator();
    updatePreview();
}

CsvLayout CsvDialog::layout() const {
    CsvLayout layout;
    layout.columns = columnsBox_->currentText().trimmed().toUpper().toStdString();
    layout.separator = kSeparators[std::max(0, separatorBox_->currentIndex())];
    layout.decimalComma = decimalCommaBox_->isChecked();
    layout.skipLines = static_cast<std::size_t>(skipBox_->value());
    layout.encoding = encodingBox_->currentIndex() == 1 ? TextEncoding::Utf8 : TextEncoding::Cp1251;
    return layout;
}

CsvWriteOptions CsvDialog::writeOptions() const {
    const CsvLayout chosen = layout();
    return {chosen.separator, chosen.decimalComma, chosen.encoding};
}

void CsvDialog::updatePreview() {
    if (!previewTable_) return;
    const CsvLayout chosen = layout();
    const auto problem = columnOrderProblem(chosen.columns);
    problemLabel_->setText(problem ? fromUtf8(*problem) : QString());
    okButton_->setEnabled(!problem);
    const std::vector<CsvPreviewRow> rows =
        problem ? std::vector<CsvPreviewRow>{} : previewCsv(bytes_, chosen, kPreviewRows);
    previewTable_->clearContents();
    previewTable_->setRowCount(static_cast<int>(rows.size()));
    for (std::size_t row = 0; row < rows.size(); ++row) {
        setPreviewRow(*previewTable_, static_cast<int>(row), rows[row]);
    }
}

std::optional<CsvImport> askCsvImport(QWidget* parent, UserDialogs& dialogs) {
    static const FileDialogRequest openDialog{
        QString::fromUtf8(kImportCaption),
        {QStringLiteral("CSV, txt (*.csv *.txt)"), QStringLiteral("*.* (*)")},
        QString(),
        QString()};
    const std::optional<QString> path = dialogs.askOpenPath(parent, openDialog);
    if (!path) return std::nullopt;
    std::string bytes;
    const auto readFile = [&] { return readCsvFile(toLocalPath(*path), bytes); };
    if (const auto error = BusyIndicator(parent, QString::fromUtf8("Чтение CSV")).run(readFile)) {
        dialogs.showMessage(parent, fromUtf8(error->message()));
        return std::nullopt;
    }
    CsvDialog choices(parent, CsvDialog::Purpose::Import);
    choices.setFileBytes(std::move(bytes));  // the file is held once, by the dialog
    if (choices.exec() != QDialog::Accepted) return std::nullopt;
    CsvImport imported{PointStore(), *path};
    const CsvReadSummary summary =
        readCsvPointsWhileBusy(parent, choices.fileBytes(), choices.layout(), imported.points);
    if (summary.rowsUnread > 0) {
        dialogs.showMessage(parent, fromUtf8(unreadRowsMessage(summary.rowsUnread)));
    }
    return imported;
}

void ExportCsvClick(QWidget* parent, UserDialogs& dialogs, const PointStore& store) {
    CsvDialog choices(parent, CsvDialog::Purpose::Export);
    if (choices.exec() != QDialog::Accepted) return;
    static const FileDialogRequest saveDialog{QString::fromUtf8(kExportCaption),
                                              {QStringLiteral("CSV (*.csv)")},
                                              QStringLiteral("csv"),
                                              QString()};
    const std::optional<QString> path = dialogs.askSavePath(parent, saveDialog);
    if (!path) return;
    const CsvWriteOptions options = choices.writeOptions();
    BusyIndicator busy(parent, QString::fromUtf8("Экспорт CSV"));
    const auto error = busy.run([&] {
        return writeFileSafely(toLocalPath(*path), [&](std::ostream& out) {
            writeCsvPoints(store, options, out, &busy.progress());
        });
    });
    if (error) dialogs.showMessage(parent, fromUtf8(error->message()));
}

}  // namespace korvela
