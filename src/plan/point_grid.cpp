#include "plan/point_grid.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <limits>
#include <string_view>

#include "points/point_store.h"

namespace korvela {
namespace {

constexpr std::size_t kPointsPerCell = 4;  // on average, over the points' bounding box
// A query gathering more than this share of the points is left to a visit of all of them.
constexpr std::size_t kNarrowingShare = 4;
// Points moved out of their cells beyond this many make the grid be built again.
constexpr std::size_t kMostMoved = 1024;

// How many cells of `cell` metres cover `extent` metres, at least 1 and at most `most`.
std::size_t cellsAlong(double extent, double cell, std::size_t most) {
    const double count = std::floor(extent / cell) + 1;
    if (!(extent > 0) || !std::isfinite(count)) return 1;
    return static_cast<std::size_t>(std::min(static_cast<double>(most), count));
}

std::size_t cellOf(double x, double low, double cellsPerMetre, std::size_t cells) {
    const double at = (x - low) * cellsPerMetre;
    if (!(at > 0)) return 0;  // below the grid, or not a number
    return at >= static_cast<double>(cells) ? cells - 1 : static_cast<std::size_t>(at);
}

}  // namespace

void PointGrid::update(const PointStore& store) {
    // The count as well: a grid of other points must never hand out indices past the store.
    const bool samePoints = built_ && pointCount_ == store.count();
    if (samePoints && revision_ == store.placementRevision()) return;
    const auto edits = samePoints ? store.placementEditsSince(revision_) : std::nullopt;
    if (!edits || !followEdits(store, *edits)) build(store);
    built_ = true;
    revision_ = store.placementRevision();
}

// A point that left its cell is set aside for every query; one back in its cell, or no longer
// drawable, is not. Returns false when too many are set aside.
bool PointGrid::followEdits(const PointStore& store, std::span<const std::size_t> points) {
    for (const std::size_t index : points) {
        noteNumber(store.number()[index]);
        const auto point = static_cast<std::uint32_t>(index);
        const double x = store.x()[index];
        const double y = store.y()[index];
        const bool aside = std::isfinite(x) && std::isfinite(y) && !inItsCell(point, x, y);
        const auto at = std::lower_bound(moved_.begin(), moved_.end(), point);
        const bool setAside = at != moved_.end() && *at == point;
        if (aside && !setAside) moved_.insert(at, point);
        if (!aside && setAside) moved_.erase(at);
    }
    return moved_.size() <= kMostMoved;
}

void PointGrid::noteNumber(std::string_view number) {
    longestNumber_ = std::max(longestNumber_, number.size());
    for (const char byte : number) numberBytes_.set(static_cast<unsigned char>(byte));
}

bool PointGrid::inItsCell(std::uint32_t point, double x, double y) const {
    const std::size_t cell = columnOf(x) * rows_ + rowOf(y);
    return std::binary_search(cellPoints_.begin() + cellStart_[cell],
                              cellPoints_.begin() + cellStart_[cell + 1], point);
}

std::size_t PointGrid::columnOf(double x) const {
    return cellOf(x, xLow_, columnsPerMetre_, columns_);
}

std::size_t PointGrid::rowOf(double y) const { return cellOf(y, yLow_, rowsPerMetre_, rows_); }

// Points whose X or Y is not a number or infinite are left out: no view can draw them.
void PointGrid::build(const PointStore& store) {
    const auto& x = store.x();
    const auto& y = store.y();
    pointCount_ = x.size();
    surveyNumbers(store);

    double xHigh = -std::numeric_limits<double>::infinity();
    double yHigh = xHigh;
    xLow_ = yLow_ = std::numeric_limits<double>::infinity();
    for (std::size_t i = 0; i < pointCount_; ++i) {
        if (!std::isfinite(x[i]) || !std::isfinite(y[i])) continue;
        xLow_ = std::min(xLow_, x[i]);
        xHigh = std::max(xHigh, x[i]);
        yLow_ = std::min(yLow_, y[i]);
        yHigh = std::max(yHigh, y[i]);
    }
    const double width = xHigh - xLow_;
    const double height = yHigh - yLow_;
    const std::size_t target = std::max<std::size_t>(1, pointCount_ / kPointsPerCell);
    const double cell = width > 0 && height > 0
                            ? std::sqrt(width * height / static_cast<double>(target))
                            : std::max(width, height) / static_cast<double>(target);
    columns_ = cellsAlong(width, cell, target);
    rows_ = cellsAlong(height, cell, target);
    columnsPerMetre_ = columns_ > 1 ? static_cast<double>(columns_) / width : 0;
    rowsPerMetre_ = rows_ > 1 ? static_cast<double>(rows_) / height : 0;

    // A counting sort by cell keeps each cell's points in ascending order.
    constexpr std::uint32_t kNoCell = std::numeric_limits<std::uint32_t>::max();
    std::vector<std::uint32_t> cellOfPoint(pointCount_);
    cellStart_.assign(columns_ * rows_ + 1, 0);
    for (std::size_t i = 0; i < pointCount_; ++i) {
        if (!std::isfinite(x[i]) || !std::isfinite(y[i])) {
            cellOfPoint[i] = kNoCell;
            continue;
        }
        cellOfPoint[i] = static_cast<std::uint32_t>(columnOf(x[i]) * rows_ + rowOf(y[i]));
        ++cellStart_[cellOfPoint[i] + 1];
    }
    for (std::size_t c = 1; c < cellStart_.size(); ++c) cellStart_[c] += cellStart_[c - 1];
    cellPoints_.resize(cellStart_.back());
    std::vector<std::uint32_t> fill(cellStart_.begin(), cellStart_.end() - 1);
    for (std::size_t i = 0; i < pointCount_; ++i) {
        if (cellOfPoint[i] != kNoCell)
            cellPoints_[fill[cellOfPoint[i]]++] = static_cast<std::uint32_t>(i);
    }
    marks_.assign(pointCount_ / 64 + 1, 0);
    moved_.clear();
}

void PointGrid::surveyNumbers(const PointStore& store) {
    longestNumber_ = 0;
    std::array<bool, 256> seen{};
    for (const std::string_view number : store.number()) {
        longestNumber_ = std::max(longestNumber_, number.size());
        for (const char byte : number) seen[static_cast<unsigned char>(byte)] = true;
    }
    numberBytes_.reset();
    for (std::size_t byte = 0; byte < seen.size(); ++byte) numberBytes_[byte] = seen[byte];
}

std::optional<std::span<const std::uint32_t>> PointGrid::pointsNear(const SurveyBox& box) {
    near_.clear();
    if (!(box.xLow <= box.xHigh) || !(box.yLow <= box.yHigh) || cellStart_.empty())
        return std::span<const std::uint32_t>(near_);
    const std::size_t firstColumn = columnOf(box.xLow);
    const std::size_t lastColumn = columnOf(box.xHigh);
    const std::size_t firstRow = rowOf(box.yLow);
    const std::size_t lastRow = rowOf(box.yHigh);
    std::size_t gathered = moved_.size();
    for (std::size_t column = firstColumn; column <= lastColumn; ++column) {
        gathered +=
            cellStart_[column * rows_ + lastRow + 1] - cellStart_[column * rows_ + firstRow];
    }
    if (gathered > pointCount_ / kNarrowingShare) return std::nullopt;
    near_.reserve(gathered);
    gatherInOrder(firstColumn, lastColumn, firstRow, lastRow);
    return std::span<const std::uint32_t>(near_);
}

// Marks the points of the cells, then reads the marks in order: cheaper than sorting.
void PointGrid::gatherInOrder(std::size_t firstColumn, std::size_t lastColumn, std::size_t firstRow,
                              std::size_t lastRow) {
    std::size_t firstWord = marks_.size();
    std::size_t lastWord = 0;
    const auto mark = [&](std::uint32_t point) {
        marks_[point / 64] |= std::uint64_t{1} << (point % 64);
        firstWord = std::min<std::size_t>(firstWord, point / 64);
        lastWord = std::max<std::size_t>(lastWord, point / 64);
    };
    for (std::size_t column = firstColumn; column <= lastColumn; ++column) {
        const std::uint32_t begin = cellStart_[column * rows_ + firstRow];
        const std::uint32_t end = cellStart_[column * rows_ + lastRow + 1];
        for (std::uint32_t at = begin; at < end; ++at) mark(cellPoints_[at]);
    }
    for (const std::uint32_t point : moved_) mark(point);
    for (std::size_t word = firstWord; word <= lastWord && word < marks_.size(); ++word) {
        for (std::uint64_t bits = marks_[word]; bits != 0; bits &= bits - 1) {
            near_.push_back(static_cast<std::uint32_t>(word * 64 + std::countr_zero(bits)));
        }
        marks_[word] = 0;
    }
}

}  // namespace korvela
