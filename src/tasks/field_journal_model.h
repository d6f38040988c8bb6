#pragma once

#include <QAbstractTableModel>
#include <cstdint>
#include <unordered_map>
#include <vector>

#include "points/workspace.h"
#include "tasks/observation_reduction.h"
#include "tasks/traverse_settings.h"

namespace korvela {

// The field journal: for each station set-up a group row, then one row per sight taken
// from it, in file order. A sight row's box is ticked when the sight is left out of the
// computations; a tick goes to the workspace as one step. Face pairs beyond their limits
// are marked on both of their rows. Cells are computed when the view asks for them, so a
// million sights cost four bytes a row. The journal follows every change the workspace
// announces.
class FieldJournalModel : public QAbstractTableModel, private WorkspaceObserver {
    Q_OBJECT
public:
    enum Column {
        ExcludedColumn,
        StationColumn,
        TargetColumn,
        FaceColumn,
        HorizontalColumn,
        VerticalColumn,
        SlopeDistanceColumn,
        InstrumentHeightColumn,
        TargetHeightColumn,
        HorizontalDistanceColumn,
        HeightDifferenceColumn,
        ColumnCount
    };

    FieldJournalModel(Workspace& workspace, QObject* parent);
    ~FieldJournalModel() override;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;

    // The settings that judge the face pairs and reduce the heights, read afresh, and the
    // journal recomputed with them.
    void refresh();
    const TraverseSettings& settings() const { return settings_; }
    std::size_t pairsBeyondLimits() const { return marked_.size() / 2; }
    // The sight a row shows, or nothing for a group row.
    std::optional<std::uint32_t> sightOfRow(int row) const;

private:
    void workspaceChanged(const WorkspaceChange& change) override;
    std::vector<std::uint32_t> buildRows() const;
    QVariant setUpData(std::uint32_t setUp, int column, int role) const;
    QVariant sightData(std::uint32_t sight, int column, int role) const;
    QString sightText(std::uint32_t sight, int column) const;

    Workspace& workspace_;
    TraverseSettings settings_;
    // A sight's index, or a set-up's index with kGroupRow set.
    std::vector<std::uint32_t> rows_;
    // The sights of the face pairs beyond their limits, each with its pair's check.
    std::unordered_map<std::uint32_t, FacePairCheck> marked_;
};

}  // namespace korvela
