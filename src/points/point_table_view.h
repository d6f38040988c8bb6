#pragma once

#include <QTableView>
#include <QWheelEvent>

namespace korvela {

// The view of the point table. The wheel over it scrolls the table only: at its top or bottom
// the turn stops here instead of reaching the main window, where it would zoom the plan.
class PointTableView : public QTableView {
public:
    using QTableView::QTableView;

protected:
    void wheelEvent(QWheelEvent* event) override {
        QTableView::wheelEvent(event);
        event->accept();
    }
};

}  // namespace korvela
