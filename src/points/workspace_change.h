#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace korvela {

// A text the point table shows in a cell in place of the store's value (UTF-8): what the
// user typed there, or a cell left empty on purpose.
struct TypedText {
    std::size_t row = 0;
    int column = 0;
    std::string text;
    friend bool operator==(const TypedText&, const TypedText&) = default;
};

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
        SelectionChanged,  // selection flags only
        ObservationsChanged,  // the observations only (sights left out or taken in again)
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
    // Inserted: one flag per point after the insert, 1 where a point came back.
    std::vector<std::int32_t> insertedFlags;
    // Undo and redo: every text the table shows in place of the store's values afterwards.
    std::optional<std::vector<TypedText>> typedTexts;
    // Undo and redo: the plan's view became the one the step had kept.
    bool viewRestored = false;
};

}  // namespace korvela
