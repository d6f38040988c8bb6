#include "points/point_table_model.h"

#include <QColor>
#include <algorithm>

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
    workspace_.setTypedTextKeeper(this);
}

PointTableModel::~PointTableModel() {
    workspace_.removeObserver(*this);
    if (workspace_.typedTextKeeper() == this) workspace_.setTypedTextKeeper(nullptr);
}

void PointTableModel::workspaceChanged(const WorkspaceChange& change) {
    followCodeColumn();
    followRows(change);
    if (change.typedTexts) restoreTypedTexts(*change.typedTexts);
}

void PointTableModel::followRows(const WorkspaceChange& change) {
    using Kind = WorkspaceChange::Kind;
    switch (change.kind) {
        case Kind::Replaced:
            return fillTable();
        case Kind::Appended:
            pointsAppended(change);
            return rebuildCheckBoxes();
        case Kind::Erased:
            return pointsErased(change.erasedFlags);
        case Kind::Inserted:
            return pointsInserted();
        case Kind::ValuesChanged:
        case Kind::SelectionChanged:
            return change.point ? rowChanged(*change.point) : layoutCheckBoxes();
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

std::vector<TypedText> PointTableModel::typedTexts() const {
    std::vector<TypedText> texts;
    texts.reserve(static_cast<std::size_t>(typedTexts_.size()));
    for (auto it = typedTexts_.cbegin(); it != typedTexts_.cend(); ++it) {
        texts.push_back({static_cast<std::size_t>(it.key() >> 3), static_cast<int>(it.key() & 7),
                         it.value().toStdString()});
    }
    return texts;
}

void PointTableModel::restoreTypedTexts(const std::vector<TypedText>& texts) {
    if (texts.empty() && typedTexts_.isEmpty()) return;
    typedTexts_.clear();
    for (const TypedText& typed : texts) {
        typedTexts_.insert(cellKey(static_cast<int>(typed.row), typed.column),
                           QString::fromStdString(typed.text));
    }
    emit dataChanged(index(0, 0), index(rows_ - 1, lastColumn()));
}

void PointTableModel::pointsInserted() {
    beginResetModel();
    rows_ = static_cast<int>(std::max<std::size_t>(1, store_.count()));
    pointsShown_ = store_.count();
    checkBoxesShown_ = store_.count() > 0;
    endResetModel();
}

void PointTableModel::rowChanged(std::size_t point) {
    const int row = static_cast<int>(point);
    emit dataChanged(index(row, 0), index(row, lastColumn()));
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
            if (index.column() != kCheckColumn || !checkBoxesShown_ || !hasPoint(row)) return {};
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
    if (index.column() == kCheckColumn && checkBoxesShown_ && hasPoint(index.row())) {
        flags |= Qt::ItemIsUserCheckable;
    }
    return flags;
}

bool PointTableModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (!index.isValid()) return false;
    const int row = index.row();
    const int column = index.column();
    if (role == Qt::CheckStateRole) {
        if (!(flags(index) & Qt::ItemIsUserCheckable)) return false;
        const auto point = static_cast<std::size_t>(row);
        workspace_.setSelected(point, value.value<Qt::CheckState>() == Qt::Checked);
        emit checkBoxClicked(point);
        return true;
    }
    if (role != Qt::EditRole || column == kCheckColumn) return false;
    const QString typed = value.toString();
    // The point changes first, so that its undo step finds the table as it was.
    emit cellTyped(row, column, typed);
    // Only texts that differ from what the store now holds need keeping.
    if (hasPoint(row) && storeText(row, column) == typed) {
        typedTexts_.remove(cellKey(row, column));
    } else {
        typedTexts_.insert(cellKey(row, column), typed);
    }
    emit dataChanged(this->index(row, 0), this->index(row, lastColumn()));
    return true;
}

void PointTableModel::fillTable() {
    beginResetModel();
    rows_ = static_cast<int>(std::max<std::size_t>(1, store_.count()));
    pointsShown_ = store_.count();
    typedTexts_.clear();
    checkBoxesShown_ = store_.count() > 0;
    codeColumnShown_ = store_.code().any();
    endResetModel();
}

void PointTableModel::rebuildCheckBoxes() {
    checkBoxesShown_ = store_.count() > 0;
    layoutCheckBoxes();
}

void PointTableModel::layoutCheckBoxes() {
    emit dataChanged(index(0, 0), index(rows_ - 1, lastColumn()),
                     {Qt::CheckStateRole, Qt::BackgroundRole});
}

void PointTableModel::pointsAppended(const WorkspaceChange& change) {
    const int wanted = static_cast<int>(std::max<std::size_t>(1, store_.count()));
    // A row that had no point drops what was typed into it; rows with a point keep theirs.
    for (int row = static_cast<int>(pointsShown_); row < rows_; ++row) {
        for (int column = 0; column < kMostPointColumns; ++column)
            typedTexts_.remove(cellKey(row, column));
    }
    pointsShown_ = store_.count();
    if (wanted > rows_) {
        beginInsertRows(QModelIndex(), rows_, wanted - 1);
        rows_ = wanted;
        endInsertRows();
    }
    if (change.appendedKindCellsBlank) {
        for (std::size_t point = change.firstAppended; point < store_.count(); ++point) {
            typedTexts_.insert(cellKey(static_cast<int>(point), kKindColumn), QString());
        }
    }
    emit dataChanged(index(0, 0), index(rows_ - 1, lastColumn()));
}

void PointTableModel::pointsErased(const std::vector<std::int32_t>& erasedFlags) {
    beginResetModel();
    if (!typedTexts_.isEmpty()) {
        std::vector<int> erasedBefore(erasedFlags.size() + 1, 0);
        for (std::size_t i = 0; i < erasedFlags.size(); ++i) {
            erasedBefore[i + 1] = erasedBefore[i] + (erasedFlags[i] == 1 ? 1 : 0);
        }
        QHash<quint64, QString> moved;
        for (auto it = typedTexts_.cbegin(); it != typedTexts_.cend(); ++it) {
            const auto row = static_cast<std::size_t>(it.key() >> 3);
            const int column = static_cast<int>(it.key() & 7);
            if (row < erasedFlags.size() && erasedFlags[row] == 1) continue;
            const std::size_t shift = erasedBefore[std::min(row, erasedFlags.size())];
            moved.insert(cellKey(static_cast<int>(row - shift), column), it.value());
        }
        typedTexts_ = std::move(moved);
    }
    rows_ = static_cast<int>(std::max<std::size_t>(1, store_.count()));
    pointsShown_ = store_.count();
    // A table that became empty is blank, with no check box.
    if (store_.count() == 0) typedTexts_.clear();
    endResetModel();
}

std::string PointTableModel::text(int gridRow, int column) const {
    if (gridRow == 0) return toCp1251(QString::fromUtf8(pointTableHeader(column)));
    return toCp1251(displayText(gridRow - 1, column));
}

std::optional<double> PointTableModel::shownNumber(int gridRow, int column) const {
    const int row = gridRow - 1;
    if (!hasPoint(row) || typedTexts_.contains(cellKey(row, column))) return std::nullopt;
    return pointCellNumber(store_, static_cast<std::size_t>(row), column);
}

QString PointTableModel::displayText(int row, int column) const {
    const auto typed = typedTexts_.constFind(cellKey(row, column));
    if (typed != typedTexts_.cend()) return typed.value();
    return hasPoint(row) ? storeText(row, column) : QString();
}

QString PointTableModel::storeText(int row, int column) const {
    const std::string text = pointCellText(store_, static_cast<std::size_t>(row), column);
    return column == kNumberColumn || column == kCodeColumn ? fromCp1251(text) : fromUtf8(text);
}

}  // namespace korvela
