#include "tasks/field_journal_model.h"

#include <QBrush>
#include <QFont>

#include "common/angle_text.h"
#include "common/number_text.h"
#include "ui/qt_text.h"
#include "ui/tolerances.h"

namespace korvela {
namespace {

constexpr std::uint32_t kGroupRow = 0x80000000u;

const char* const kHeaders[] = {"Искл.", "Станция", "Цель", "Круг", "Hz", "V",
                                "SD",    "ih",      "th",   "d",    "h"};
static_assert(std::size(kHeaders) == FieldJournalModel::ColumnCount);

const QColor kGroupColour(215, 228, 242);
const QColor kBeyondLimitsColour(255, 200, 200);
const QColor kExcludedColour(140, 140, 140);

const char* faceText(SightKind kind) {
    switch (kind) {
        case SightKind::FaceLeft: return "КЛ";
        case SightKind::FaceRight: return "КП";
        case SightKind::Mean: return "КЛ+КП";
        case SightKind::Corrected: return "испр.";
        case SightKind::Backsight: return "ориент.";
        case SightKind::Reduced: return "привед.";
    }
    return "";
}

QString numberText(double value) {
    return recorded(value) ? fromUtf8(formatNumber(value)) : QString();
}

// Derived distances and heights to the millimetre, as the sheets give them.
QString derivedText(double value) {
    return recorded(value) ? fromUtf8(formatFixed(value, 3)) : QString();
}

QString angleText(double degrees) { return recorded(degrees) ? fromUtf8(dmsText(degrees)) : QString(); }

}  // namespace

FieldJournalModel::FieldJournalModel(Workspace& workspace, QObject* parent)
    : QAbstractTableModel(parent), workspace_(workspace) {
    workspace_.addObserver(*this);
    refresh();
}

FieldJournalModel::~FieldJournalModel() { workspace_.removeObserver(*this); }

// Sights follow their set-up in file order; a set-up with no sights still gets its row.
std::vector<std::uint32_t> FieldJournalModel::buildRows() const {
    const ObservationList& observations = workspace_.observations();
    std::vector<std::uint32_t> rows;
    rows.reserve(observations.sights.size() + observations.setUps.size());
    std::uint32_t nextSetUp = 0;
    std::optional<std::uint32_t> current;
    for (std::uint32_t sight = 0; sight < observations.sights.size(); ++sight) {
        const std::uint32_t setUp = observations.sights[sight].setUp;
        if (setUp != current) {
            for (; nextSetUp < setUp; ++nextSetUp) rows.push_back(nextSetUp | kGroupRow);
            rows.push_back(setUp | kGroupRow);
            nextSetUp = std::max(nextSetUp, setUp + 1);
            current = setUp;
        }
        rows.push_back(sight);
    }
    for (; nextSetUp < observations.setUps.size(); ++nextSetUp) {
        rows.push_back(nextSetUp | kGroupRow);
    }
    return rows;
}

// The rows stay where they are when only values changed, so the view keeps its place.
void FieldJournalModel::refresh() {
    settings_ = readTraverseSettings();
    marked_.clear();
    for (const FacePairCheck& pair : checkFacePairs(workspace_.observations(), settings_)) {
        if (!pair.beyondLimits) continue;
        marked_.emplace(pair.faceLeft, pair);
        marked_.emplace(pair.faceRight, pair);
    }
    std::vector<std::uint32_t> rows = buildRows();
    if (rows == rows_) {
        if (!rows_.empty()) emit dataChanged(index(0, 0), index(rowCount() - 1, ColumnCount - 1));
        return;
    }
    beginResetModel();
    rows_ = std::move(rows);
    endResetModel();
}

void FieldJournalModel::workspaceChanged(const WorkspaceChange& change) {
    using Kind = WorkspaceChange::Kind;
    if (change.kind == Kind::Replaced || change.kind == Kind::ObservationsChanged) refresh();
}

std::optional<std::uint32_t> FieldJournalModel::sightOfRow(int row) const {
    if (row < 0 || static_cast<std::size_t>(row) >= rows_.size()) return std::nullopt;
    const std::uint32_t entry = rows_[static_cast<std::size_t>(row)];
    if (entry & kGroupRow) return std::nullopt;
    return entry;
}

int FieldJournalModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int FieldJournalModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant FieldJournalModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
    if (section < 0 || section >= ColumnCount) return {};
    return QString::fromUtf8(kHeaders[section]);
}

QVariant FieldJournalModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || static_cast<std::size_t>(index.row()) >= rows_.size()) return {};
    const std::uint32_t entry = rows_[static_cast<std::size_t>(index.row())];
    if (entry & kGroupRow) return setUpData(entry & ~kGroupRow, index.column(), role);
    return sightData(entry, index.column(), role);
}

QVariant FieldJournalModel::setUpData(std::uint32_t setUp, int column, int role) const {
    const ObservationList& observations = workspace_.observations();
    const StationSetUp& station = observations.setUps[setUp];
    switch (role) {
        case Qt::DisplayRole:
            if (column == StationColumn) return fromCp1251(observations.names[station.station]);
            if (column == InstrumentHeightColumn) return numberText(station.instrumentHeight);
            return {};
        case Qt::BackgroundRole: return QBrush(kGroupColour);
        case Qt::FontRole: {
            QFont bold;
            bold.setBold(true);
            return bold;
        }
        default: return {};
    }
}

QVariant FieldJournalModel::sightData(std::uint32_t sight, int column, int role) const {
    const Sight& s = workspace_.observations().sights[sight];
    switch (role) {
        case Qt::DisplayRole:
            return column == ExcludedColumn ? QVariant() : QVariant(sightText(sight, column));
        case Qt::CheckStateRole:
            if (column != ExcludedColumn) return {};
            return s.excluded ? Qt::Checked : Qt::Unchecked;
        case Qt::ForegroundRole:
            return s.excluded ? QVariant(QBrush(kExcludedColour)) : QVariant();
        case Qt::BackgroundRole:
            return marked_.count(sight) ? QVariant(QBrush(kBeyondLimitsColour)) : QVariant();
        case Qt::ToolTipRole: {
            const auto pair = marked_.find(sight);
            if (pair == marked_.end()) return {};
            return QString::fromUtf8("Полуприёмы за допусками: 2c %1 (допуск %2), МО %3 (допуск %4)")
                .arg(fromUtf8(signedSecondsText(pair->second.collimationSeconds)),
                     fromUtf8(secondsText(settings_.collimationLimitSeconds)),
                     fromUtf8(signedSecondsText(pair->second.indexSeconds)),
                     fromUtf8(secondsText(settings_.indexLimitSeconds)));
        }
        default: return {};
    }
}

QString FieldJournalModel::sightText(std::uint32_t sight, int column) const {
    const ObservationList& observations = workspace_.observations();
    const Sight& s = observations.sights[sight];
    switch (column) {
        case StationColumn: return fromCp1251(observations.stationOf(s));
        case TargetColumn: return fromCp1251(observations.targetOf(s));
        case FaceColumn: return QString::fromUtf8(faceText(s.kind));
        case HorizontalColumn:
            // A sight without a circle reading shows its azimuth.
            if (recorded(horizontalReading(s))) return angleText(horizontalReading(s));
            if (recorded(azimuth(s))) return QStringLiteral("α ") + angleText(azimuth(s));
            return {};
        case VerticalColumn: return angleText(verticalReading(s));
        case SlopeDistanceColumn: return numberText(slopeDistance(s));
        case InstrumentHeightColumn:
            return numberText(observations.setUps[s.setUp].instrumentHeight);
        case TargetHeightColumn: return numberText(s.targetHeight);
        case HorizontalDistanceColumn:
            return derivedText(reduceSight(observations, sight, settings_).horizontalDistance);
        case HeightDifferenceColumn:
            return derivedText(reduceSight(observations, sight, settings_).heightDifference);
        default: return {};
    }
}

Qt::ItemFlags FieldJournalModel::flags(const QModelIndex& index) const {
    Qt::ItemFlags flags = QAbstractTableModel::flags(index);
    if (index.column() == ExcludedColumn && sightOfRow(index.row())) {
        flags |= Qt::ItemIsUserCheckable;
    }
    return flags;
}

bool FieldJournalModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    const auto sight = sightOfRow(index.row());
    if (role != Qt::CheckStateRole || index.column() != ExcludedColumn || !sight) return false;
    const bool excluded = value.value<Qt::CheckState>() == Qt::Checked;
    if (workspace_.observations().sights[*sight].excluded == excluded) return false;
    workspace_.setSightsExcluded({*sight}, excluded,
                                 excluded ? "Исключить наблюдение" : "Вернуть наблюдение");
    return true;
}

}  // namespace korvela
