#pragma once

#include <QStyledItemDelegate>

namespace korvela {

// Draws the area grid's cells: cells with a background of their own (the summary rows) as
// a filled rectangle with the text 3 pixels right of and 2 below the top left corner, all
// others as usual. Its editors hand every keystroke to the grid at once, so a command
// chosen while a cell is being edited sees the typed text.
class AreaCellDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override;
};

}  // namespace korvela
