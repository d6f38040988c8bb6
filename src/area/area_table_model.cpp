#include "area/area_table_model.h"

#include <QColor>

#include "area/area_sheet.h"
#include "ui/qt_text.h"

namespace korvela {
namespace {

const QColor kSummaryBackground(0xDF, 0xDF, 0xDF);

}  // namespace

AreaTableModel::AreaTableModel(AreaSheet& sheet, QObject* parent)
    : QAbstractTableModel(parent), sheet_(sheet) {}

int AreaTableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : sheet_.rowCount();
}

int AreaTableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : AreaSheet::ColumnCount;
}

QVariant AreaTableModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid()) return {};
    switch (role) {
        case Qt::DisplayRole:
        case Qt::EditRole:
            return fromCp1251(sheet_.cell(index.row(), index.column()));
        case Qt::BackgroundRole:
            return isSummaryRow(index.row()) ? QVariant(kSummaryBackground) : QVariant();
        case Qt::ForegroundRole:
            return isSummaryRow(index.row()) ? QVariant(QColor(Qt::black)) : QVariant();
        default:
            return {};
    }
}

bool AreaTableModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (!index.isValid() || role != Qt::EditRole) return false;
    std::string text = toCp1251(value.toString());
    if (text == sheet_.cell(index.row(), index.column())) return true;
    sheet_.setCell(index.row(), index.column(), std::move(text));
    emit dataChanged(index, index, {Qt::DisplayRole, Qt::EditRole});
    return true;
}

Qt::ItemFlags AreaTableModel::flags(const QModelIndex& index) const {
    if (!index.isValid()) return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable;
}

void AreaTableModel::reload() {
    beginResetModel();
    endResetModel();
}

bool AreaTableModel::isSummaryRow(int row) const { return row >= sheet_.pointCount(); }

}  // namespace korvela
