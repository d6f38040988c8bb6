#include "points/live_edit_delegate.h"

#include <QAbstractItemModel>
#include <QLineEdit>
#include <QPersistentModelIndex>

namespace korvela {

QWidget* LiveEditDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                                        const QModelIndex& index) const {
    QWidget* editor = QStyledItemDelegate::createEditor(parent, option, index);
    if (auto* line = qobject_cast<QLineEdit*>(editor)) {
        const QPersistentModelIndex cell(index);
        connect(line, &QLineEdit::textEdited, line, [cell](const QString& text) {
            if (cell.isValid()) const_cast<QAbstractItemModel*>(cell.model())->setData(cell, text);
        });
    }
    return editor;
}

void LiveEditDelegate::setEditorData(QWidget* editor, const QModelIndex& index) const {
    // The model echoes each keystroke back; leave the editor (and its cursor) alone then.
    auto* line = qobject_cast<QLineEdit*>(editor);
    if (line != nullptr && line->text() == index.data(Qt::EditRole).toString()) return;
    QStyledItemDelegate::setEditorData(editor, index);
}

}  // namespace korvela
