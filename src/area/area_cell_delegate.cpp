#include "area/area_cell_delegate.h"

#include <QLineEdit>
#include <QPainter>

namespace korvela {
namespace {

constexpr int kTextLeft = 3;
constexpr int kTextTop = 2;

}  // namespace

void AreaCellDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                             const QModelIndex& index) const {
    const QVariant background = index.data(Qt::BackgroundRole);
    if (!background.isValid()) {
        QStyledItemDelegate::paint(painter, option, index);
        return;
    }
    painter->save();
    painter->fillRect(option.rect, background.value<QColor>());
    painter->setPen(index.data(Qt::ForegroundRole).value<QColor>());
    painter->setFont(option.font);
    painter->setClipRect(option.rect);
    painter->drawText(option.rect.adjusted(kTextLeft, kTextTop, 0, 0), Qt::AlignLeft | Qt::AlignTop,
                      index.data(Qt::DisplayRole).toString());
    painter->restore();
}

QWidget* AreaCellDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                                        const QModelIndex& index) const {
    QWidget* editor = QStyledItemDelegate::createEditor(parent, option, index);
    if (auto* line = qobject_cast<QLineEdit*>(editor)) {
        connect(line, &QLineEdit::textEdited, this,
                [this, line] { emit const_cast<AreaCellDelegate*>(this)->commitData(line); });
    }
    return editor;
}

}  // namespace korvela
