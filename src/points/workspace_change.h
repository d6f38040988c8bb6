#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace korvela {

// New coordinates for an existing point (a computation's result).
struct PointCoordinates {
    std::size_t point = 0;
    double x = 0;
    double y = 0;
    double z = 0;
};

// What one command did to the points, announced once when it is done.
struct WorkspaceChange {
    enum class Kind {
        Replaced,          // every point and flag is new (import, open, close, edit all)
        Appended,          // points were added at the end, unselected
        Erased,            // the points flagged in erasedFlags went
        Inserted,          // erased points came back where insertedFlags is 1 (undo)
        ValuesChanged,     // values of existing points (typed cell, freeze, colour)
        TypedTextChanged,  // only the text typed into one cell of the table (no point changed)
        SelectionChanged,  // selection flags only
        ObservationsChanged,  // the observations only (sights left out or taken in again)
    };
    Kind kind = Kind::Replaced;
    // ValuesChanged and SelectionChanged: the one point concerned, or every point.
    // TypedTextChanged: the row typed into.
    std::optional<std::size_t> point;
    // Appended: the index of the first new point, and whether their "ход точка" cells stay
    // empty in the table (points from the workbook).
    std::size_t firstAppended = 0;
    bool appendedKindCellsBlank = false;
    // Erased: the selection flags before the erase; the points whose flag was 1 went.
    std::vector<std::int32_t> erasedFlags;
    // Inserted: one flag per point after the insert, 1 where a point came back.
    std::vector<std::int32_t> insertedFlags;
    // Undo and redo: the texts the table shows in place of the store's values became those the
    // step kept, and differ from those before.
    bool typedTextsChanged = false;
    // Undo and redo: the plan's view became the one the step had kept.
    bool viewRestored = false;
};

}  // namespace korvela
