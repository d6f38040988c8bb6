#pragma once

#include <bitset>
#include <cstdint>
#include <optional>
#include <span>
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
// update() rebuilds it when points came or went or a number, X or Y changed.
class PointGrid {
public:
    void update(const PointStore& store);

    // The points of the cells the box reaches, in ascending order: a superset of the points
    // whose X and Y lie in the box. Nothing when the grid would not spare much (the box
    // covers most of the points): the caller then visits every point.
    std::optional<std::span<const std::uint32_t>> pointsNear(const SurveyBox& box);

    // The longest point number in bytes and every byte the numbers hold: how far a label
    // can reach.
    std::size_t longestNumber() const { return longestNumber_; }
    const std::bitset<256>& numberBytes() const { return numberBytes_; }

private:
    void build(const PointStore& store);
    void surveyNumbers(const PointStore& store);
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
    // Scratch of the last query: one bit per point marks the points gathered.
    std::vector<std::uint64_t> marks_;
    std::vector<std::uint32_t> near_;
};

}  // namespace korvela
