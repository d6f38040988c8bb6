#include "exchange/code_table_window.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include "ui/code_layer_settings.h"
#include "ui/qt_text.h"
#include "ui/user_dialogs.h"

namespace korvela {
namespace {

enum RuleColumn { kCode, kLayer, kColour, kJoined, kRuleColumns };

const FileDialogRequest& codeTableDialog() {
    static const FileDialogRequest request{
        QString(), {QStringLiteral("*.csv (*.csv)")}, QStringLiteral("csv"), QString()};
    return request;
}

QPushButton* button(QWidget* parent, const char* name, const char* caption) {
    auto* created = new QPushButton(QString::fromUtf8(caption), parent);
    created->setObjectName(name);
    return created;
}

}  // namespace

CodeTableWindow::CodeTableWindow(QWidget* parent, UserDialogs& dialogs)
    : QDialog(parent), dialogs_(dialogs) {
    setObjectName("CodeTableWindow");
    setWindowTitle(QString::fromUtf8("Коды"));
    Rules = new QTableWidget(0, kRuleColumns, this);
    Rules->setObjectName("Rules");
    Rules->setHorizontalHeaderLabels({QString::fromUtf8("код"), QString::fromUtf8("слой"),
                                      QString::fromUtf8("цвет ACI"),
                                      QString::fromUtf8("соединять линией")});
    Rules->horizontalHeader()->setStretchLastSection(true);
    LayersByCode = new QCheckBox(QString::fromUtf8("Слои по кодам"), this);
    LayersByCode->setObjectName("LayersByCode");
    LayersByCode->setChecked(read(kLayersByCode));

    auto* rows = new QHBoxLayout;
    QPushButton* add = button(this, "AddRule", "Добавить");
    QPushButton* remove = button(this, "RemoveRule", "Удалить");
    QPushButton* importButton = button(this, "ImportRules", "Импорт…");
    QPushButton* exportButton = button(this, "ExportRules", "Экспорт…");
    for (QPushButton* b : {add, remove, importButton, exportButton}) rows->addWidget(b);
    auto* closing = new QHBoxLayout;
    QPushButton* ok = button(this, "OkButton", "OK");
    QPushButton* cancel = button(this, "CancelButton", "Отмена");
    closing->addStretch();
    closing->addWidget(ok);
    closing->addWidget(cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Rules);
    layout->addLayout(rows);
    layout->addWidget(LayersByCode);
    layout->addLayout(closing);

    connect(add, &QPushButton::clicked, this, [this] {
        CodeTable current = table();
        current.rules.push_back({});
        showTable(current);
    });
    connect(remove, &QPushButton::clicked, this, [this] {
        if (Rules->currentRow() >= 0) Rules->removeRow(Rules->currentRow());
    });
    connect(importButton, &QPushButton::clicked, this, [this] { importTable(); });
    connect(exportButton, &QPushButton::clicked, this, [this] { exportTable(); });
    connect(ok, &QPushButton::clicked, this, [this] { keep(); });
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    showTable(userCodeTable());
}

CodeTable CodeTableWindow::table() const {
    CodeTable table;
    const auto cell = [this](int row, int column) {
        const QTableWidgetItem* item = Rules->item(row, column);
        return item != nullptr ? item->text().trimmed() : QString();
    };
    for (int row = 0; row < Rules->rowCount(); ++row) {
        bool colourRead = false;
        const int colour = cell(row, kColour).toInt(&colourRead);
        const QTableWidgetItem* joined = Rules->item(row, kJoined);
        CodeRule rule{toCp1251(cell(row, kCode)), toCp1251(cell(row, kLayer)),
                      colourRead ? colour : 0,
                      joined != nullptr && joined->checkState() == Qt::Checked};
        if (rule.code.empty() && rule.layer.empty() && !colourRead) continue;
        table.rules.push_back(std::move(rule));
    }
    return table;
}

void CodeTableWindow::showTable(const CodeTable& table) {
    Rules->setRowCount(static_cast<int>(table.rules.size()));
    for (int row = 0; row < Rules->rowCount(); ++row) {
        const CodeRule& rule = table.rules[static_cast<std::size_t>(row)];
        Rules->setItem(row, kCode, new QTableWidgetItem(fromCp1251(rule.code)));
        Rules->setItem(row, kLayer, new QTableWidgetItem(fromCp1251(rule.layer)));
        Rules->setItem(row, kColour, new QTableWidgetItem(QString::number(rule.colour)));
        auto* joined = new QTableWidgetItem;
        joined->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable);
        joined->setCheckState(rule.joined ? Qt::Checked : Qt::Unchecked);
        Rules->setItem(row, kJoined, joined);
    }
}

void CodeTableWindow::importTable() {
    const std::optional<QString> path = dialogs_.askOpenPath(this, codeTableDialog());
    if (!path) return;
    CodeTable read;
    std::size_t skipped = 0;
    if (auto error = readCodeTableFile(toLocalPath(*path), read, &skipped)) {
        dialogs_.showMessage(this, fromUtf8(error->message()));
        return;
    }
    showTable(read);
    if (skipped > 0) {
        dialogs_.showMessage(
            this, QString::fromUtf8("Строк, которые не прочитаны: %1").arg(skipped));
    }
}

void CodeTableWindow::exportTable() {
    const std::optional<QString> path = dialogs_.askSavePath(this, codeTableDialog());
    if (!path) return;
    if (auto error = saveCodeTableFile(toLocalPath(*path), table())) {
        dialogs_.showMessage(this, fromUtf8(error->message()));
    }
}

// Rows a file could not hold back (no code, a colour outside 1-255) are refused by name.
void CodeTableWindow::keep() {
    const CodeTable current = table();
    for (const CodeRule& rule : current.rules) {
        if (rule.code.empty() || rule.colour < kLowestColourIndex ||
            rule.colour > kHighestColourIndex) {
            dialogs_.showMessage(this, QString::fromUtf8("Код «%1»: нужен код и цвет от 1 до 255.")
                                           .arg(fromCp1251(rule.code)));
            return;
        }
    }
    if (auto error = saveCodeTableFile(toLocalPath(codeTablePath()), current)) {
        dialogs_.showMessage(this, fromUtf8(error->message()));
        return;
    }
    write(kLayersByCode, LayersByCode->isChecked());
    accept();
}

}  // namespace korvela
