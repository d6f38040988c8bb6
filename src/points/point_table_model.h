#pragma once

#include <QAbstractTableModel>
#include <QHash>
#include <cstdint>
#include <vector>

#include "common/text_grid.h"
#include "points/workspace.h"

namespace korvela {

// The point table: one row per point of the store (one empty row when there is none).
// Column 0 holds the row's check box, whose state is the point's selection flag; then
// "номер", "x", "y", "h", "ход точка", and "код" while some point has a code. Frozen points are painted red. A cell shows the
// store's value unless the user typed a text that differs from it: such texts are kept
// (a few, in a sparse map), as a string grid keeps what was typed into it.
// Model row i is grid row i + 1 of the exports (grid row 0 is the header). The table follows
// every change the workspace announces; a tick of a box goes to the workspace. Undo and redo
// bring back the typed texts too: the workspace's steps keep them.
class PointTableModel : public QAbstractTableModel,
                        public TextGrid,
                        private WorkspaceObserver,
                        private TypedTextKeeper {
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

    // Rewrites the table from the store: one row per point, check boxes rebuilt.
    void fillTable();
    // Shows the check boxes of every row that has a point, frozen ones red.
    void rebuildCheckBoxes();
    // Repaints the check boxes and row colours after flags or freezing changed.
    void layoutCheckBoxes();

    // The grid the exports read.
    int rows() const override { return rows_ + 1; }
    std::string text(int gridRow, int column) const override;
    std::optional<double> shownNumber(int gridRow, int column) const override;

signals:
    // The user ticked or unticked the check box of a point.
    void checkBoxClicked(std::size_t point);
    // The user typed into a cell (on every keystroke); the text is kept in the cell.
    void cellTyped(int row, int column, const QString& text);

private:
    void workspaceChanged(const WorkspaceChange& change) override;
    // The code column comes when the first point gets a code and goes with the last.
    void followCodeColumn();
    int lastColumn() const { return columnCount() - 1; }
    // The rows follow the points of the store.
    void followRows(const WorkspaceChange& change);
    std::vector<TypedText> typedTexts() const override;
    // Undo and redo: the typed texts become exactly those the step kept.
    void restoreTypedTexts(const std::vector<TypedText>& texts);
    // Rows for every point of the store after points came back.
    void pointsInserted();
    // Points were appended to the store: their rows appear with the store's texts.
    void pointsAppended(const WorkspaceChange& change);
    // The points whose flag was 1 were erased from the store: their rows go, later rows
    // (with what was typed into them) move up.
    void pointsErased(const std::vector<std::int32_t>& erasedFlags);
    void rowChanged(std::size_t point);
    QString displayText(int row, int column) const;
    QString storeText(int row, int column) const;
    bool hasPoint(int row) const;
    static quint64 cellKey(int row, int column) { return (quint64(row) << 3) | quint64(column); }

    Workspace& workspace_;
    const PointStore& store_;
    int rows_ = 1;
    std::size_t pointsShown_ = 0;  // the rows that show a point of the store
    bool checkBoxesShown_ = false;
    bool codeColumnShown_ = false;
    QHash<quint64, QString> typedTexts_;
};

}  // namespace korvela
