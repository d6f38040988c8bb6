#include "tasks/field_journal.h"

#include <QHeaderView>
#include <QLabel>
#include <QTableView>
#include <QVBoxLayout>

#include "common/angle_text.h"
#include "tasks/field_journal_model.h"
#include "ui/qt_text.h"

namespace korvela {

FieldJournal::FieldJournal(QWidget* parent, Workspace& points) : QDialog(parent) {
    setObjectName("FieldJournal");
    setWindowTitle(QString::fromUtf8("Полевой журнал"));
    resize(940, 520);
    model_ = new FieldJournalModel(points, this);
    JournalGrid = new QTableView(this);
    JournalGrid->setObjectName("JournalGrid");
    JournalGrid->setModel(model_);
    JournalGrid->verticalHeader()->hide();
    JournalGrid->verticalHeader()->setDefaultSectionSize(22);
    // Fixed widths: fitting columns to their contents would read every row.
    JournalGrid->horizontalHeader()->setDefaultSectionSize(76);
    const std::pair<int, int> widths[] = {
        {FieldJournalModel::ExcludedColumn, 44}, {FieldJournalModel::FaceColumn, 60},
        {FieldJournalModel::HorizontalColumn, 110}, {FieldJournalModel::VerticalColumn, 100},
        {FieldJournalModel::SlopeDistanceColumn, 90}};
    for (const auto& [column, width] : widths) JournalGrid->setColumnWidth(column, width);
    JournalGrid->setWordWrap(false);
    Summary = new QLabel(this);
    Summary->setObjectName("Summary");
    Summary->setWordWrap(true);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(JournalGrid, 1);
    layout->addWidget(Summary);
    connect(model_, &QAbstractItemModel::modelReset, this, &FieldJournal::showSummary);
    connect(model_, &QAbstractItemModel::dataChanged, this, &FieldJournal::showSummary);
    showSummary();
}

void FieldJournal::showJournal() {
    model_->refresh();
    show();
    raise();
}

void FieldJournal::showSummary() {
    const TraverseSettings& settings = model_->settings();
    Summary->setText(
        QString::fromUtf8("Пар КЛ/КП за допусками: %1 (2c не более %2, место зенита не более %3; "
                          "допуски в Settings ▸ «допуски»). Отметка в «Искл.» исключает "
                          "наблюдение из вычислений.")
            .arg(model_->pairsBeyondLimits())
            .arg(fromUtf8(secondsText(settings.collimationLimitSeconds)),
                 fromUtf8(secondsText(settings.indexLimitSeconds))));
}

}  // namespace korvela
