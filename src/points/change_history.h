#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "points/view_state.h"
#include "points/observations.h"
#include "points/point_store.h"
#include "points/typed_texts.h"
#include "points/workspace_change.h"

namespace korvela {

// One change of the store that can be taken back and repeated. A step holds only what it
// changed; undo and redo hand it the store in the state after and before the step.
class ChangeStep {
public:
    virtual ~ChangeStep() = default;
    // Takes the store back to the state before the step; returns what to announce.
    virtual WorkspaceChange undo(PointStore& store, ObservationList& observations) = 0;
    // Repeats the step on the store and the observations as undo left them.
    virtual WorkspaceChange redo(PointStore& store, ObservationList& observations) = 0;
    // The memory the step holds, in bytes (what the history's bound counts).
    virtual std::size_t bytes() const = 0;
    // Whether the step is the typing of text into this cell (keystrokes merge into one step).
    virtual bool typesInto(std::size_t /*point*/, int /*column*/) const { return false; }
};

// Every point replaced: the step holds the other store, and the other observations when they
// were replaced with the points.
std::unique_ptr<ChangeStep> replacingStep(PointStore previous,
                                          std::optional<ObservationList> previousObservations);
// The bytes the observations take in memory.
std::size_t observationBytes(const ObservationList& observations);
// The sights whose excluded flag was flipped.
std::unique_ptr<ChangeStep> exclusionStep(std::vector<std::uint32_t> flipped);
// Points took new coordinates (`changed` holds the values before) and points were appended
// from index `firstAppended` on. Undo and redo announce every point replaced.
std::unique_ptr<ChangeStep> coordinatesStep(std::vector<PointCoordinates> changed,
                                            std::size_t firstAppended);
// Points appended to the store from index `first` on.
std::unique_ptr<ChangeStep> appendingStep(std::size_t first, const PointStore& store,
                                          bool kindCellsBlank);
// The points flagged 1 in `flags` (one flag per point before) were erased.
std::unique_ptr<ChangeStep> erasingStep(const std::vector<std::int32_t>& flags,
                                        PointSequences erased);
// The active flags (freeze) or colours of some points changed: their indices and their values
// before.
enum class PointValue { Active, Colour };
std::int32_t pointValue(const PointStore& store, PointValue value, std::size_t point);
void setPointValue(PointStore& store, PointValue value, std::size_t point, std::int32_t to);
std::unique_ptr<ChangeStep> valuesStep(PointValue value, std::vector<std::size_t> points,
                                       std::vector<std::int32_t> previous);
// A typed cell changed one value of one point: the step holds the value before.
std::unique_ptr<ChangeStep> typedCellStep(const PointStore& store, std::size_t point, int column);

// Runs [first, end) of the points whose flag is 1: a compact set of points.
using PointRuns = std::vector<std::pair<std::size_t, std::size_t>>;
PointRuns runsOfFlagged(const std::vector<std::int32_t>& flags);
// One flag per point of `count` points, 1 in the runs.
std::vector<std::int32_t> flagsOf(const PointRuns& runs, std::size_t count);

// What surrounds the store when a step is made or taken back: the selection, the status
// line, the texts typed into the table and, for a step that moved the plan's view (an
// import, a join), that view. Each step keeps those it found; undo brings them back, and
// keeps those it found for redo.
struct StepSurroundings {
    // Runs of selected points [first, end): "Выбрать все" keeps one run, not a flag per point.
    PointRuns selectedRuns;
    std::string status;
    TypedTexts typedTexts;
    std::optional<ViewState> view;

    static StepSurroundings of(const std::vector<std::int32_t>& selected, std::string status,
                               TypedTexts typedTexts);
    // One flag per point of a store of `count` points.
    std::vector<std::int32_t> selectionFlags(std::size_t count) const;
    std::size_t bytes() const;
};

// The bytes the points from index `first` on take in memory, given their numbers.
std::size_t pointBytes(const PointNumbers& numbers, std::size_t first = 0);

struct HistoryLimits {
    std::size_t steps = 100;
    std::size_t bytes = std::size_t{512} << 20;
};

// The steps that can be undone, then those that can be redone. Bounded: when a step would
// exceed the limits, the oldest steps are dropped first (a step larger than the whole bound
// is not kept at all).
class ChangeHistory {
public:
    struct Entry {
        std::string name;
        StepSurroundings found;
        std::unique_ptr<ChangeStep> step;
        std::size_t bytes = 0;
    };

    explicit ChangeHistory(HistoryLimits limits = {}) : limits_(limits) {}

    // A new step, done just now: the steps that could be redone go.
    void record(std::string name, StepSurroundings found, std::unique_ptr<ChangeStep> step);

    bool canUndo() const { return next_ > 0; }
    bool canRedo() const { return next_ < entries_.size(); }
    // The names of the steps the next undo and redo take; empty when there is none.
    std::string undoName() const;
    std::string redoName() const;
    std::size_t undoCount() const { return next_; }
    std::size_t redoCount() const { return entries_.size() - next_; }
    std::size_t bytes() const { return bytes_; }

    // The entry the next undo (redo) takes, the history moved past it; nullptr when none.
    Entry* stepBack();
    Entry* stepForward();
    // After undo or redo changed what the entry holds.
    void entryChanged(Entry& entry);
    // The step recorded last, while nothing was undone or redone since; else nullptr.
    ChangeStep* latestStep();

private:
    void dropOldestBeyondLimits();

    HistoryLimits limits_;
    std::deque<Entry> entries_;
    std::size_t next_ = 0;  // entries before it can be undone, from it on redone
    std::size_t bytes_ = 0;
    bool latestOpen_ = false;
};

}  // namespace korvela
