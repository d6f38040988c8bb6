#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "points/point_store.h"

namespace korvela {

// The status line after a project was opened, or a point added to no data.
inline constexpr const char* kNoFileStatus = "no file";

// What one command did to the points, announced once when it is done.
struct WorkspaceChange {
    enum class Kind {
        Replaced,          // every point and flag is new (import, open, close, edit all)
        Appended,          // points were added at the end, unselected
        Erased,            // the points flagged in erasedFlags went
        ValuesChanged,     // values of existing points (typed cell, freeze, colour)
        SelectionChanged,  // selection flags only
        StatusChanged,     // the status line only
    };
    Kind kind = Kind::Replaced;
    // ValuesChanged and SelectionChanged: the one point concerned, or every point.
    std::optional<std::size_t> point;
    // Appended: the index of the first new point, and whether their "ход точка" cells stay
    // empty in the table (points from the workbook).
    std::size_t firstAppended = 0;
    bool appendedKindCellsBlank = false;
    // Erased: the selection flags before the erase; the points whose flag was 1 went.
    std::vector<std::int32_t> erasedFlags;
};

// Told of every change of a workspace, after the change.
class WorkspaceObserver {
public:
    virtual void workspaceChanged(const WorkspaceChange& change) = 0;

protected:
    ~WorkspaceObserver() = default;
};

// The points the program works on, their selection flags (1 = selected, one per point) and
// the status line that tells whether data is present. Every change goes through one of the
// operations below, which keep the flags as long as the store and announce the change once
// to the observers (the point table, the plan, the main window).
class Workspace {
public:
    const PointStore& store() const { return store_; }
    const std::vector<std::int32_t>& selected() const { return selected_; }
    // The imported file's path (UTF-8), "no file", or empty when no data is present.
    const std::string& status() const { return status_; }
    // Typed cells are applied to the points only while data is present.
    bool dataPresent() const { return !status_.empty(); }

    void addObserver(WorkspaceObserver& observer);
    void removeObserver(WorkspaceObserver& observer);

    // Every point replaced (import, open, close, edit all). Flags that are not 0 become 1;
    // missing flags are 0. Throws std::invalid_argument when there are more flags than points.
    void replace(PointStore points, std::vector<std::int32_t> selected, std::string status);
    // Appends the points unselected; data is then present when any point came.
    void append(const PointStore& points, bool kindCellsBlank = false);
    // Erases every point whose flag is 1; returns how many went.
    std::size_t eraseSelected();
    // Freezes (0) or unfreezes (1) every point whose flag is 1.
    void setActiveOfSelected(std::int32_t active);
    void setAllColours(std::int32_t colour);
    // Text typed into a cell of the point table, applied while data is present (the number
    // column takes the text, the coordinate columns its value when it converts). Returns
    // whether the point changed.
    bool typeCell(std::size_t point, int column, std::string_view text);

    void setSelected(std::size_t point, bool selected);
    // Ticks or unticks every point; returns the points whose flag changed.
    std::vector<std::size_t> setAllSelected(bool selected);
    // Lets `change` edit the flags (picking on the plan); flags that are not 0 become 1.
    void changeSelection(const std::function<void(std::vector<std::int32_t>&)>& change);

    void setStatus(std::string status);
    // Data came from no file (added points): an empty status line becomes "no file".
    void markDataPresent();

private:
    void announce(const WorkspaceChange& change);
    void announce(WorkspaceChange::Kind kind, std::optional<std::size_t> point = std::nullopt);

    PointStore store_;
    std::vector<std::int32_t> selected_;
    std::string status_;
    std::vector<WorkspaceObserver*> observers_;
};

}  // namespace korvela
