#pragma once

#include <bitset>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

namespace korvela {

class PointStore;

// A rectangle of the survey plane, edges included.
struct SurveyBox {
    double xLow = 0;
    double xHigh = 0;
    double yLow = 0;
    double yHigh = 0;
};

// A uniform grid of cells over the survey plane (X, Y) holding the store's points, so that a
// plan view visits the points near its bitmap instead of all of them. It follows the store:
// update() rebuilds it when points came or went; a number, X or Y set one point at a time (a
// typed cell, its undo and redo) only updates what that point changes.
class PointGrid {
public:
    void update(const PointStore& store);

    // The points of the cells the box reaches and the points that left their cells, in
    // ascending order: a superset of the points whose X and Y lie in the box. Nothing when the
    // grid would not spare much (the box covers most of the points): the caller then visits
    // every point.
    std::optional<std::span<const std::uint32_t>> pointsNear(const SurveyBox& box);

    // At least the longest point number in bytes, and at least every byte the numbers hold:
    // how far a label can reach. Numbers typed since the grid was built may leave them larger
    // than the numbers now need, which only widens a view's search.
    std::size_t longestNumber() const { return longestNumber_; }
    const std::bitset<256>& numberBytes() const { return numberBytes_; }

private:
    void build(const PointStore& store);
    void surveyNumbers(const PointStore& store);
    bool followEdits(const PointStore& store, std::span<const std::size_t> points);
    void noteNumber(std::string_view number);
    bool inItsCell(std::uint32_t point, double x, double y) const;
    std::size_t columnOf(double x) const;
    std::size_t rowOf(double y) const;
    void gatherInOrder(std::size_t firstColumn, std::size_t lastColumn, std::size_t firstRow,
                       std::size_t lastRow);

    bool built_ = false;
    std::uint64_t revision_ = 0;
    std::size_t pointCount_ = 0;
    std::size_t longestNumber_ = 0;
    std::bitset<256> numberBytes_;
    double xLow_ = 0, yLow_ = 0;
    double columnsPerMetre_ = 0, rowsPerMetre_ = 0;
    std::size_t columns_ = 0, rows_ = 0;
    // The points by cell, cell after cell (column by column, rows within a column), each
    // cell's points in ascending order; cellStart_[c] is where cell c begins.
    std::vector<std::uint32_t> cellStart_;
    std::vector<std::uint32_t> cellPoints_;
    // The drawable points whose cell no longer holds them (moved since the build), ascending:
    // every query hands them over.
    std::vector<std::uint32_t> moved_;
    // Scratch of the last query: one bit per point marks the points gathered.
    std::vector<std::uint64_t> marks_;
    std::vector<std::uint32_t> near_;
};

}  // namespace korvela
