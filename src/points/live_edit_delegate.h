#pragma once

#include <QStyledItemDelegate>

namespace korvela {

// Cell editor that hands every keystroke to the model at once, so the point follows the text
// while it is being typed (as a string grid reports each change of the edited text).
class LiveEditDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override;
    void setEditorData(QWidget* editor, const QModelIndex& index) const override;
};

}  // namespace korvela
