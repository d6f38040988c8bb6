#pragma once

#include <QAbstractTableModel>

#include "common/text_grid.h"

namespace korvela {

class PointStore;

// The point table: one row per point of the store (one empty row when there is none),
// columns: check box, "номер", "x", "y", "h", "ход точка". Model row i is grid row i + 1
// (grid row 0 is the header).
class PointTableModel : public QAbstractTableModel, public TextGrid {
    Q_OBJECT
public:
    enum Column { CheckColumn, NumberColumn, XColumn, YColumn, HeightColumn, KindColumn, ColumnCount };

    explicit PointTableModel(const PointStore& store, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    // Rewrites every row from the store.
    void fillTable();

    // The table as the grid the exports read: row 0 the header, row r point r − 1.
    int rows() const override { return rows_ + 1; }
    std::string text(int gridRow, int column) const override;

private:
    QString displayText(int row, int column) const;

    const PointStore& store_;
    int rows_ = 1;
};

}  // namespace korvela
