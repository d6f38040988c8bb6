#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "points/change_history.h"
#include "points/observations.h"
#include "points/point_store.h"
#include "points/typed_texts.h"
#include "points/workspace_change.h"

namespace korvela {

// The status line after a project was opened, or a point added to no data.
inline constexpr const char* kNoFileStatus = "no file";

// Told of every change of a workspace, after the change.
class WorkspaceObserver {
public:
    virtual void workspaceChanged(const WorkspaceChange& change) = 0;

protected:
    ~WorkspaceObserver() = default;
};

// The default name of the step that erases `count` points ("Удалить 12 точек").
std::string erasingStepName(std::size_t count);

// The points the program works on, their selection flags (1 = selected, one per point), the
// status line that tells whether data is present, and the texts typed into the point table.
// Every change goes through one of the operations below, which keep the flags as long as the
// store and announce the change once to the observers (the point table, the plan, the main
// window). Each operation that changes the store is one step of the history, which undo takes
// back and redo repeats; `stepName` names it in the menu (empty: the operation's own name).
// Selection and typed texts alone make no step: each step keeps the selection and the typed
// texts it found, and undo brings them back.
class Workspace {
public:
    explicit Workspace(HistoryLimits limits = {}) : history_(limits) {}

    const PointStore& store() const { return store_; }
    const std::vector<std::int32_t>& selected() const { return selected_; }
    // The observations of the imported survey or the opened project, kept beside the points.
    const ObservationList& observations() const { return observations_; }
    // The imported file's path (UTF-8), "no file", or empty when no data is present.
    const std::string& status() const { return status_; }
    // Typed cells are applied to the points only while data is present.
    bool dataPresent() const { return !status_.empty(); }
    // What the point table shows in place of the store's values. Rows without a point lose
    // their texts when points are appended; every point replaced clears them all.
    const TypedTexts& typedTexts() const { return typedTexts_; }

    void addObserver(WorkspaceObserver& observer);
    void removeObserver(WorkspaceObserver& observer);

    // Every point replaced, the observations kept (edit all). Flags that are not 0 become 1;
    // missing flags are 0. Throws std::invalid_argument when there are more flags than points.
    // A command that moved the plan's view with it hands over the view it found
    // (`viewFound`): undo brings that back. Points, flags, status and view all as they were
    // make no step and no announcement.
    void replace(PointStore points, std::vector<std::int32_t> selected, std::string status,
                 std::string stepName = {}, std::optional<ViewState> viewFound = std::nullopt);
    // Every point and the observations replaced in one step (import, open, close).
    void replaceAll(PointStore points, ObservationList observations,
                    std::vector<std::int32_t> selected, std::string status,
                    std::string stepName = {}, std::optional<ViewState> viewFound = std::nullopt);
    // Appends the points unselected; data is then present when any point came. The table's
    // "ход точка" cells of the new points stay empty with `kindCellsBlank` (points from the
    // workbook).
    void append(const PointStore& points, bool kindCellsBlank = false, std::string stepName = {},
                std::optional<ViewState> viewFound = std::nullopt);
    // Erases every point whose flag is 1; returns how many went. None flagged changes nothing
    // and announces nothing.
    std::size_t eraseSelected(std::string stepName = {});
    // Freezes (0) or unfreezes (1) every point whose flag is 1.
    void setActiveOfSelected(std::int32_t active, std::string stepName = {});
    void setAllColours(std::int32_t colour, std::string stepName = {});
    // Text typed into a cell of the point table (UTF-8), on each keystroke. The table keeps it
    // while it differs from the store's text, even in the empty row of an empty table. It is
    // applied to the point while data is present (the number and code columns take the text,
    // the coordinate columns its value when it converts). Returns whether the point changed;
    // announced as ValuesChanged, or TypedTextChanged when only the text changed. Keystrokes
    // typed into one cell one after another make one step.
    bool typeCell(std::size_t row, int column, std::string_view text, std::string stepName = {});
    // Leaves the sights out of every computation, or takes them in again ("Полевой журнал"):
    // one step, announced as ObservationsChanged; nothing when every flag is so already.
    // Throws std::out_of_range for a sight that is not in the list.
    void setSightsExcluded(const std::vector<std::uint32_t>& sights, bool excluded,
                           std::string stepName = {});
    // A computation's result in one step: existing points take new x, y, z and `appended`
    // comes at the end (kind as given, unselected); announced as Replaced. Points that hold
    // their coordinates already are left alone, and when that is all there is no step.
    // Throws std::out_of_range for a point that is not in the store.
    void setCoordinates(const std::vector<PointCoordinates>& changed, const PointStore& appended,
                        std::string stepName = {});

    const ChangeHistory& history() const { return history_; }
    // Take back the last step, or repeat the last step taken back: the store, the flags, the
    // status line and the table's typed texts become what they were. Return false when there
    // is no such step.
    bool undo();
    bool redo();
    // The plan's view, which undo and redo of a step that moved it set back (nullptr: none).
    void attachView(ViewPlacement* view) { view_ = view; }

    void setSelected(std::size_t point, bool selected);
    // Ticks or unticks every point; returns the runs of points whose flag changed (one run
    // when every point changed).
    PointRuns setAllSelected(bool selected);
    // Lets `change` edit the flags (picking on the plan); flags that are not 0 become 1.
    void changeSelection(const std::function<void(std::vector<std::int32_t>&)>& change);

private:
    void announce(const WorkspaceChange& change);
    void announce(WorkspaceChange::Kind kind, std::optional<std::size_t> point = std::nullopt);
    StepSurroundings surroundings() const;
    bool changesNothing(const PointStore& points, std::vector<std::int32_t> selected,
                        const std::string& status, const std::optional<ViewState>& viewFound) const;
    bool applyTypedCellAsStep(std::size_t point, int column, std::string_view text,
                              std::string stepName);
    bool keepTypedText(std::size_t row, int column, std::string_view text);
    void setPointValues(PointValue which, std::int32_t value, bool onlySelected,
                        std::string stepName);
    void replacePoints(PointStore points, std::optional<ObservationList> observations,
                       std::vector<std::int32_t> selected, std::string status,
                       std::string stepName, std::optional<ViewState> viewFound);
    bool takeStep(ChangeHistory::Entry* entry,
                  WorkspaceChange (ChangeStep::*direction)(PointStore&, ObservationList&));

    PointStore store_;
    ObservationList observations_;
    std::vector<std::int32_t> selected_;
    std::string status_;
    std::vector<WorkspaceObserver*> observers_;
    ChangeHistory history_;
    TypedTexts typedTexts_;
    ViewPlacement* view_ = nullptr;
};

}  // namespace korvela
