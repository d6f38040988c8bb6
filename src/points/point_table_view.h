#pragma once

#include <QItemSelectionModel>
#include <QTableView>
#include <QWheelEvent>

namespace korvela {

// The view of the point table. The wheel over it scrolls the table only: at its top or bottom
// the turn stops here instead of reaching the main window, where it would zoom the plan.
class PointTableView : public QTableView {
public:
    using QTableView::QTableView;

    // Ends the edit of a cell as leaving it would: the editor hands its text over and closes.
    void finishEditing() {
        if (state() != EditingState) return;
        const QModelIndex cell = currentIndex();
        selectionModel()->setCurrentIndex(QModelIndex(), QItemSelectionModel::NoUpdate);
        selectionModel()->setCurrentIndex(cell, QItemSelectionModel::NoUpdate);
    }

protected:
    void wheelEvent(QWheelEvent* event) override {
        QTableView::wheelEvent(event);
        event->accept();
    }
};

}  // namespace korvela
