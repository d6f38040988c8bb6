#include "exchange/text_cell_model.h"

#include <algorithm>

#include "ui/qt_text.h"

namespace korvela {

TextCellModel::TextCellModel(int columns, int rows, QObject* parent)
    : QAbstractTableModel(parent), columns_(columns), rows_(0) {
    setRowCount(rows);
}

int TextCellModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : rows_;
}

int TextCellModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : columns_;
}

QVariant TextCellModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::EditRole)) return {};
    return fromCp1251(cells_[at(index.row(), index.column())]);
}

bool TextCellModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (!index.isValid() || role != Qt::EditRole) return false;
    cells_[at(index.row(), index.column())] = toCp1251(value.toString());
    emit dataChanged(index, index, {Qt::DisplayRole, Qt::EditRole});
    return true;
}

Qt::ItemFlags TextCellModel::flags(const QModelIndex& index) const {
    if (!index.isValid()) return Qt::NoItemFlags;
    return Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemIsEditable;
}

std::string TextCellModel::text(int row, int column) const {
    if (row < 0 || row >= rows_ || column < 0 || column >= columns_) return {};
    return cells_[at(row, column)];
}

void TextCellModel::clear(int rows) {
    beginResetModel();
    // Row 0 is not data: it keeps what it holds.
    const std::size_t keep = std::min(cells_.size(), static_cast<std::size_t>(columns_));
    cells_.resize(keep);
    cells_.resize(static_cast<std::size_t>(std::max(rows, 1) * columns_), std::string());
    rows_ = std::max(rows, 1);
    endResetModel();
}

void TextCellModel::setRowCount(int rows) {
    rows = std::max(rows, 0);
    if (rows > rows_) {
        beginInsertRows({}, rows_, rows - 1);
        cells_.resize(static_cast<std::size_t>(rows * columns_));
        rows_ = rows;
        endInsertRows();
    } else if (rows < rows_) {
        beginRemoveRows({}, rows, rows_ - 1);
        cells_.resize(static_cast<std::size_t>(rows * columns_));
        rows_ = rows;
        endRemoveRows();
    }
}

void TextCellModel::setText(int row, int column, std::string text) {
    if (row < 0 || row >= rows_ || column < 0 || column >= columns_) return;
    cells_[at(row, column)] = std::move(text);
    const QModelIndex cell = index(row, column);
    emit dataChanged(cell, cell, {Qt::DisplayRole, Qt::EditRole});
}

std::size_t TextCellModel::at(int row, int column) const {
    return static_cast<std::size_t>(row) * static_cast<std::size_t>(columns_) +
           static_cast<std::size_t>(column);
}

}  // namespace korvela
