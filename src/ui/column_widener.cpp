#include "ui/column_widener.h"

#include <QAbstractItemModel>
#include <QEvent>
#include <QFontMetricsF>
#include <QHeaderView>
#include <QScrollBar>
#include <QStyle>
#include <QTableView>
#include <algorithm>
#include <cmath>
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

QString cellText(const QTableView& view, int row, int column) {
    return view.model()->index(row, column).data(Qt::DisplayRole).toString();
}

}  // namespace

ColumnWidener::ColumnWidener(QTableView* view, std::vector<int> designWidths, int trailingRows)
    : QObject(view), view_(view), designWidths_(std::move(designWidths)),
      trailingRows_(trailingRows), padding_(cellPadding(*view)) {
    const QAbstractItemModel* model = view->model();
    connect(model, &QAbstractItemModel::modelReset, this, &ColumnWidener::restart);
    // A column that comes (the point table's code column) takes its neighbour's design width.
    connect(model, &QAbstractItemModel::columnsInserted, this,
            [this](const QModelIndex&, int first, int last) {
                const int width = designWidths_.empty()
                                      ? 0
                                      : designWidths_[std::clamp<std::size_t>(
                                            first, 1, designWidths_.size()) - 1];
                designWidths_.insert(designWidths_.begin() + first, last - first + 1, width);
                restart();
            });
    connect(model, &QAbstractItemModel::columnsRemoved, this,
            [this](const QModelIndex&, int first, int last) {
                designWidths_.erase(designWidths_.begin() + first, designWidths_.begin() + last + 1);
                restart();
            });
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
    const QFontMetricsF metrics(view.font());
    qreal widest = 0;
    for (int row = first; row <= last; ++row) {
        const QString text = cellText(view, row, column);
        if (!text.isEmpty()) widest = std::max(widest, metrics.horizontalAdvance(text));
    }
    const int width = widest > 0 ? static_cast<int>(std::ceil(widest)) + cellPadding(view) : 0;
    const QHeaderView& header = *view.horizontalHeader();
    return header.isHidden() ? width : std::max(width, header.sectionSizeHint(column));
}

bool ColumnWidener::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Resize) widen(0, kAllRows);  // more rows may be in view
    return QObject::eventFilter(watched, event);
}

void ColumnWidener::restart() {
    std::vector<int> widths = designWidths_;
    for (int column = 0; column < static_cast<int>(widths.size()); ++column)
        widths[column] = std::max(widths[column], textWidth(*view_, column, 0, -1));
    widenFor(widths, 0, kAllRows);
    apply(widths);
}

void ColumnWidener::widen(int first, int last) {
    std::vector<int> widths;
    for (int column = 0; column < static_cast<int>(designWidths_.size()); ++column)
        widths.push_back(view_->columnWidth(column));
    widenFor(widths, first, last);
    apply(widths);
}

void ColumnWidener::widenFor(std::vector<int>& widths, int first, int last) {
    const auto [top, bottom] = rowsInView(*view_);
    const int rows = view_->model()->rowCount();
    const std::pair<int, int> measured[] = {
        {std::max(first, top), std::min(last, bottom)},
        {std::max({first, rows - trailingRows_, bottom + 1}), std::min(last, rows - 1)}};
    const QFontMetricsF metrics(view_->font());
    for (const auto& [from, to] : measured) {
        for (int row = from; row <= to; ++row) {
            for (int column = 0; column < static_cast<int>(widths.size()); ++column) {
                const QString text = cellText(*view_, row, column);
                if (surelyFits(metrics, text, widths[column])) continue;
                const int advance = static_cast<int>(std::ceil(metrics.horizontalAdvance(text)));
                widths[column] = std::max(widths[column], advance + padding_);
            }
        }
    }
}

bool ColumnWidener::surelyFits(const QFontMetricsF& metrics, const QString& text, int width) {
    double estimate = 0;
    for (const QChar character : text) {
        const char16_t code = character.unicode();
        if (code >= advances_.size()) return false;
        float& advance = advances_[code];
        if (advance == 0) advance = static_cast<float>(metrics.horizontalAdvance(character));
        estimate += advance;
    }
    return std::ceil(estimate) + padding_ <= width;
}

void ColumnWidener::apply(const std::vector<int>& widths) {
    for (int column = 0; column < static_cast<int>(widths.size()); ++column) {
        if (widths[column] != view_->columnWidth(column))
            view_->setColumnWidth(column, widths[column]);
    }
}

}  // namespace korvela
