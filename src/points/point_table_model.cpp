#include "points/point_table_model.h"

#include <algorithm>

#include "app/qt_text.h"
#include "points/point_store.h"
#include "points/point_table_text.h"

namespace korvela {

// The model's columns are the table's columns, whose texts the core defines.
static_assert(int{PointTableModel::NumberColumn} == int{kPointTableNumberColumn} &&
              int{PointTableModel::KindColumn} == int{kPointTableKindColumn} &&
              int{PointTableModel::ColumnCount} == int{kPointTableColumnCount});

PointTableModel::PointTableModel(const PointStore& store, QObject* parent)
    : QAbstractTableModel(parent), store_(store) {}

int PointTableModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : rows_; }

int PointTableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant PointTableModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::EditRole)) return {};
    return displayText(index.row(), index.column());
}

QVariant PointTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 ||
        section >= ColumnCount) {
        return {};
    }
    return QString::fromUtf8(pointTableHeader(section));
}

void PointTableModel::fillTable() {
    beginResetModel();
    rows_ = static_cast<int>(std::max<std::size_t>(1, store_.count()));
    endResetModel();
}

std::string PointTableModel::text(int gridRow, int column) const {
    if (gridRow == 0) return toCp1251(QString::fromUtf8(pointTableHeader(column)));
    const auto point = static_cast<std::size_t>(gridRow - 1);
    if (gridRow < 0 || point >= store_.count()) return {};
    return pointTableCellText(store_, point, column);
}

QString PointTableModel::displayText(int row, int column) const {
    const auto point = static_cast<std::size_t>(row);
    if (point >= store_.count()) return {};
    return fromCp1251(pointTableCellText(store_, point, column));
}

}  // namespace korvela
