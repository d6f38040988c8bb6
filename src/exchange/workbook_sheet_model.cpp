#include "exchange/workbook_sheet_model.h"

#include "ui/qt_text.h"

namespace korvela {

void WorkbookSheetModel::setSheet(WorkbookSheet sheet) {
    beginResetModel();
    sheet_ = std::move(sheet);
    endResetModel();
}

int WorkbookSheetModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(sheet_.lastRow());
}

int WorkbookSheetModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : kWorkbookColumns;
}

QVariant WorkbookSheetModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || role != Qt::DisplayRole) return {};
    return fromUtf8(sheet_.text(static_cast<std::uint32_t>(index.row() + 1), index.column() + 1));
}

QVariant WorkbookSheetModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole || section < 0) return {};
    if (orientation == Qt::Vertical) return section + 1;
    return section < kWorkbookColumns ? QVariant(QString(QChar('A' + section))) : QVariant();
}

}  // namespace korvela
