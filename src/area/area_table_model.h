#pragma once

#include <QAbstractTableModel>

namespace korvela {

class AreaSheet;

// The area window's grid over the sheet: 7 columns, every cell editable text. The three
// summary rows at the end have a light grey background and black text.
class AreaTableModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit AreaTableModel(AreaSheet& sheet, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    // The sheet was changed as a whole (its rows or many cells): the views read it anew.
    void reload();

private:
    bool isSummaryRow(int row) const;

    AreaSheet& sheet_;
};

}  // namespace korvela
