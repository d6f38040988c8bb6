#include "points/point_table_model.h"

#include <QColor>
#include <algorithm>

#include "common/cp1251.h"
#include "points/point_store.h"
#include "points/point_table_text.h"
#include "ui/qt_text.h"

namespace korvela {
namespace {

const QColor kFrozenColour(255, 0, 0);

}  // namespace

PointTableModel::PointTableModel(Workspace& workspace, QObject* parent)
    : QAbstractTableModel(parent), workspace_(workspace), store_(workspace.store()) {
    workspace_.addObserver(*this);
    fillTable();
}

PointTableModel::~PointTableModel() { workspace_.removeObserver(*this); }

void PointTableModel::workspaceChanged(const WorkspaceChange& change) {
    followCodeColumn();
    followRows(change);
    if (change.typedTextsChanged) rowsChanged(0, rows_ - 1);
}

void PointTableModel::followRows(const WorkspaceChange& change) {
    using Kind = WorkspaceChange::Kind;
    switch (change.kind) {
        case Kind::Replaced:
        case Kind::Erased:
        case Kind::Inserted:
            return fillTable();
        case Kind::Appended:
            return pointsAppended(change.firstAppended);
        case Kind::ValuesChanged:
        case Kind::TypedTextChanged:
        case Kind::SelectionChanged:
            if (!change.point) {
                return rowsChanged(0, rows_ - 1, {Qt::CheckStateRole, Qt::BackgroundRole});
            }
            return rowsChanged(static_cast<int>(*change.point), static_cast<int>(*change.point));
        case Kind::ObservationsChanged:
            return;
    }
}

void PointTableModel::followCodeColumn() {
    const bool wanted = store_.code().any();
    if (wanted == codeColumnShown_) return;
    if (wanted) {
        beginInsertColumns(QModelIndex(), kCodeColumn, kCodeColumn);
        codeColumnShown_ = true;
        endInsertColumns();
    } else {
        beginRemoveColumns(QModelIndex(), kCodeColumn, kCodeColumn);
        codeColumnShown_ = false;
        endRemoveColumns();
    }
}

void PointTableModel::fillTable() {
    beginResetModel();
    rows_ = static_cast<int>(std::max<std::size_t>(1, store_.count()));
    codeColumnShown_ = store_.code().any();
    endResetModel();
}

void PointTableModel::pointsAppended(std::size_t firstAppended) {
    const int rowsBefore = rows_;
    const int wanted = static_cast<int>(std::max<std::size_t>(1, store_.count()));
    if (wanted > rows_) {
        beginInsertRows(QModelIndex(), rows_, wanted - 1);
        rows_ = wanted;
        endInsertRows();
    }
    // The empty row of an empty table shows the first new point, or lost what was typed into it.
    const int firstChanged = static_cast<int>(firstAppended);
    if (firstChanged < rowsBefore) rowsChanged(firstChanged, rowsBefore - 1);
}

void PointTableModel::rowsChanged(int first, int last, const QList<int>& roles) {
    emit dataChanged(index(first, 0), index(last, lastColumn()), roles);
}

int PointTableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : rows_;
}

int PointTableModel::columnCount(const QModelIndex& parent) const {
    if (parent.isValid()) return 0;
    return codeColumnShown_ ? kMostPointColumns : kPointColumns;
}

bool PointTableModel::hasPoint(int row) const {
    return row >= 0 && static_cast<std::size_t>(row) < store_.count();
}

QVariant PointTableModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid()) return {};
    const int row = index.row();
    switch (role) {
        case Qt::DisplayRole:
        case Qt::EditRole:
            return displayText(row, index.column());
        case Qt::CheckStateRole:
            if (index.column() != kCheckColumn || !hasPoint(row)) return {};
            return workspace_.selected()[static_cast<std::size_t>(row)] == 1 ? Qt::Checked
                                                                             : Qt::Unchecked;
        case Qt::BackgroundRole:
            if (hasPoint(row) && store_.active()[static_cast<std::size_t>(row)] == 0)
                return kFrozenColour;
            return {};
        default:
            return {};
    }
}

QVariant PointTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 ||
        section >= columnCount()) {
        return {};
    }
    return QString::fromUtf8(pointTableHeader(section));
}

Qt::ItemFlags PointTableModel::flags(const QModelIndex& index) const {
    if (!index.isValid()) return Qt::NoItemFlags;
    Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    if (index.column() != kCheckColumn) flags |= Qt::ItemIsEditable;
    if (index.column() == kCheckColumn && hasPoint(index.row())) {
        flags |= Qt::ItemIsUserCheckable;
    }
    return flags;
}

bool PointTableModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (!index.isValid()) return false;
    const auto row = static_cast<std::size_t>(index.row());
    if (role == Qt::CheckStateRole) {
        if (!(flags(index) & Qt::ItemIsUserCheckable)) return false;
        workspace_.setSelected(row, value.value<Qt::CheckState>() == Qt::Checked);
        return true;
    }
    if (role != Qt::EditRole || index.column() == kCheckColumn) return false;
    workspace_.typeCell(row, index.column(), toUtf8(value.toString()));
    return true;
}

std::string PointTableModel::text(int gridRow, int column) const {
    if (gridRow == 0) return utf8ToCp1251(pointTableHeader(column));
    const int row = gridRow - 1;
    const std::string* typed = workspace_.typedTexts().find(static_cast<std::size_t>(row), column);
    if (typed != nullptr) return utf8ToCp1251(*typed);
    return hasPoint(row) ? pointCellText(store_, static_cast<std::size_t>(row), column)
                         : std::string();
}

std::optional<double> PointTableModel::shownNumber(int gridRow, int column) const {
    const int row = gridRow - 1;
    if (!hasPoint(row)) return std::nullopt;
    const auto point = static_cast<std::size_t>(row);
    if (workspace_.typedTexts().contains(point, column)) return std::nullopt;
    return pointCellNumber(store_, point, column);
}

QString PointTableModel::displayText(int row, int column) const {
    const auto point = static_cast<std::size_t>(row);
    const std::string* typed = workspace_.typedTexts().find(point, column);
    if (typed != nullptr) return fromUtf8(*typed);
    return hasPoint(row) ? fromUtf8(pointCellTextUtf8(store_, point, column)) : QString();
}

}  // namespace korvela
