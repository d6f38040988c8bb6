#include "app/column_widener.h"

#include <QAbstractItemModel>
#include <QEvent>
#include <QHeaderView>
#include <QScrollBar>
#include <QStyle>
#include <QTableView>
#include <algorithm>
#include <limits>

namespace korvela {
namespace {

constexpr int kAllRows = std::numeric_limits<int>::max();

// The rows the view shows, at most kMeasuredRows of them; {0, -1} when none. A view not
// shown yet has no size to go by: it takes the first rows, and measures again when shown.
std::pair<int, int> rowsInView(const QTableView& view) {
    const int rows = view.model()->rowCount();
    if (rows == 0) return {0, -1};
    const int top = std::max(view.rowAt(0), 0);
    int bottom = view.isVisible() ? view.rowAt(view.viewport()->height() - 1) : -1;
    if (bottom < 0) bottom = rows - 1;
    return {top, std::min(bottom, top + ColumnWidener::kMeasuredRows - 1)};
}

// Room around a cell's text: the item view's text margin on both sides and the grid line.
int cellPadding(const QTableView& view) {
    const int margin = view.style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, &view) + 1;
    return 2 * margin + 1;
}

}  // namespace

ColumnWidener::ColumnWidener(QTableView* view, std::vector<int> designWidths, int trailingRows)
    : QObject(view), view_(view), designWidths_(std::move(designWidths)),
      trailingRows_(trailingRows) {
    const QAbstractItemModel* model = view->model();
    connect(model, &QAbstractItemModel::modelReset, this, &ColumnWidener::restart);
    connect(model, &QAbstractItemModel::rowsInserted, this,
            [this](const QModelIndex&, int first, int last) { widen(first, last); });
    connect(model, &QAbstractItemModel::dataChanged, this,
            [this](const QModelIndex& topLeft, const QModelIndex& bottomRight,
                   const QList<int>& roles) {
                if (roles.isEmpty() || roles.contains(Qt::DisplayRole))
                    widen(topLeft.row(), bottomRight.row());
            });
    connect(view->verticalScrollBar(), &QScrollBar::valueChanged, this,
            [this] { widen(0, kAllRows); });
    view->viewport()->installEventFilter(this);
    restart();
}

int ColumnWidener::textWidth(const QTableView& view, int column, int first, int last) {
    const QAbstractItemModel& model = *view.model();
    const QFontMetrics metrics(view.font());
    int widest = 0;
    for (int row = first; row <= last; ++row) {
        const QString text = model.index(row, column).data(Qt::DisplayRole).toString();
        if (!text.isEmpty()) widest = std::max(widest, metrics.horizontalAdvance(text));
    }
    const int width = widest > 0 ? widest + cellPadding(view) : 0;
    const QHeaderView& header = *view.horizontalHeader();
    return header.isHidden() ? width : std::max(width, header.sectionSizeHint(column));
}

bool ColumnWidener::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Resize) widen(0, kAllRows);  // more rows may be in view
    return QObject::eventFilter(watched, event);
}

void ColumnWidener::restart() {
    for (int column = 0; column < static_cast<int>(designWidths_.size()); ++column) {
        view_->setColumnWidth(column,
                              std::max(designWidths_[column], textWidth(*view_, column, 0, -1)));
    }
    widen(0, kAllRows);
}

void ColumnWidener::widen(int first, int last) {
    const auto [top, bottom] = rowsInView(*view_);
    widenRows(std::max(first, top), std::min(last, bottom));
    const int rows = view_->model()->rowCount();
    widenRows(std::max({first, rows - trailingRows_, bottom + 1}), std::min(last, rows - 1));
}

void ColumnWidener::widenRows(int first, int last) {
    if (first > last) return;
    for (int column = 0; column < static_cast<int>(designWidths_.size()); ++column) {
        const int needed = textWidth(*view_, column, first, last);
        if (needed > view_->columnWidth(column)) view_->setColumnWidth(column, needed);
    }
}

}  // namespace korvela
