#pragma once

#include <QAbstractTableModel>

#include "exchange/workbook_sheet.h"

namespace korvela {

// Columns A-D of the workbook's first sheet, read-only, headed A-D with row numbers from 1,
// as the spreadsheet program shows them.
class WorkbookSheetModel : public QAbstractTableModel {
    Q_OBJECT
public:
    using QAbstractTableModel::QAbstractTableModel;

    void setSheet(WorkbookSheet sheet);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    WorkbookSheet sheet_;
};

}  // namespace korvela
