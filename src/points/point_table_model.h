#pragma once

#include <QAbstractTableModel>
#include <cstdint>
#include <vector>

#include "common/text_grid.h"
#include "points/workspace.h"

namespace korvela {

// The point table: one row per point of the store (one empty row when there is none).
// Column 0 holds the row's check box, whose state is the point's selection flag; then
// "номер", "x", "y", "h", "ход точка", and "код" while some point has a code. Frozen points
// are painted red. A cell shows the store's value unless the workspace keeps a text typed
// into it (as a string grid keeps what was typed into it).
// Model row i is grid row i + 1 of the exports (grid row 0 is the header). The model is a view
// of the workspace: a tick or a typed text goes to the workspace, and the rows and cells
// change only when the workspace announces a change.
class PointTableModel : public QAbstractTableModel, public TextGrid, private WorkspaceObserver {
    Q_OBJECT
public:
    PointTableModel(Workspace& workspace, QObject* parent);
    ~PointTableModel() override;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;

    // Shows the table anew from the workspace: one row per point.
    void fillTable();

    // The grid the exports read.
    int rows() const override { return rows_ + 1; }
    std::string text(int gridRow, int column) const override;
    std::optional<double> shownNumber(int gridRow, int column) const override;

private:
    void workspaceChanged(const WorkspaceChange& change) override;
    // The code column comes when the first point gets a code and goes with the last.
    void followCodeColumn();
    int lastColumn() const { return columnCount() - 1; }
    // The rows follow the points of the store.
    void followRows(const WorkspaceChange& change);
    // Points were appended to the store: their rows appear.
    void pointsAppended(std::size_t firstAppended);
    void rowsChanged(int first, int last, const QList<int>& roles = {});
    QString displayText(int row, int column) const;
    bool hasPoint(int row) const;

    Workspace& workspace_;
    const PointStore& store_;
    int rows_ = 1;
    bool codeColumnShown_ = false;
};

}  // namespace korvela
