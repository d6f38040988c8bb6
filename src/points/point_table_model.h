#pragma once

#include <QAbstractTableModel>

namespace korvela {

class PointStore;

// The point table: one row per point of the store (one empty row when there is none),
// columns: check box, "номер", "x", "y", "h", "ход точка".
class PointTableModel : public QAbstractTableModel {
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

private:
    QString cellText(int row, int column) const;

    const PointStore& store_;
    int rows_ = 1;
};

}  // namespace korvela
