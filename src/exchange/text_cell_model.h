#pragma once

#include <QAbstractTableModel>
#include <string>
#include <vector>

#include "common/text_grid.h"

namespace korvela {

// A grid of editable text cells (the rotation result grid): every row is data for the
// view; the exports read it as a TextGrid whose row 0 is not data. Cells keep
// Windows-1251 bytes, the view shows and edits them as Unicode.
class TextCellModel : public QAbstractTableModel, public TextGrid {
    Q_OBJECT
public:
    TextCellModel(int columns, int rows, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    int rows() const override { return rows_; }
    std::string text(int row, int column) const override;

    // Every cell of the data rows becomes empty (row 0 keeps its texts) and the grid gets
    // `rows` rows.
    void clear(int rows);
    // Adds empty rows at the end or removes rows from the end.
    void setRowCount(int rows);
    void setText(int row, int column, std::string text);

private:
    std::size_t at(int row, int column) const;

    int columns_;
    int rows_;
    std::vector<std::string> cells_;  // row by row
};

}  // namespace korvela
