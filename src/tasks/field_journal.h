#pragma once

#include <QDialog>

class QLabel;
class QTableView;

namespace korvela {

class FieldJournalModel;
class Workspace;

// Задачи ▸ "Полевой журнал": the survey's observations under their station set-ups, the
// face pairs beyond their limits marked, a box per observation to leave it out of the
// computations. Below the table the limits the pairs were judged by.
class FieldJournal : public QDialog {
    Q_OBJECT
public:
    FieldJournal(QWidget* parent, Workspace& points);

    // Shows the window with the limits as kept now.
    void showJournal();

private:
    void showSummary();

    FieldJournalModel* model_ = nullptr;
    QTableView* JournalGrid = nullptr;
    QLabel* Summary = nullptr;
};

}  // namespace korvela
