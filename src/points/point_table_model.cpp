#include "points/point_table_model.h"

#include <algorithm>

#include "app/qt_text.h"
#include "common/number_text.h"
#include "points/point_store.h"

namespace korvela {
namespace {

const char* const kHeaders[PointTableModel::ColumnCount] = {"", "номер", "x", "y", "h", "ход точка"};

}  // namespace

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
    return QString::fromUtf8(kHeaders[section]);
}

void PointTableModel::fillTable() {
    beginResetModel();
    rows_ = static_cast<int>(std::max<std::size_t>(1, store_.count()));
    endResetModel();
}

std::string PointTableModel::text(int gridRow, int column) const {
    if (gridRow == 0) return toCp1251(QString::fromUtf8(kHeaders[column]));
    return toCp1251(displayText(gridRow - 1, column));
}

QString PointTableModel::displayText(int row, int column) const {
    const auto point = static_cast<std::size_t>(row);
    if (point >= store_.count()) return {};
    switch (column) {
        case NumberColumn: return fromCp1251(store_.number()[point]);
        case XColumn: return fromUtf8(formatNumber(store_.x()[point]));
        case YColumn: return fromUtf8(formatNumber(store_.y()[point]));
        case HeightColumn: return fromUtf8(formatNumber(store_.z()[point]));
        case KindColumn: return QString::number(store_.kind()[point]);
        default: return {};
    }
}

}  // namespace korvela
