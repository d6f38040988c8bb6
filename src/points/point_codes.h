#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <utility>
#include <vector>

#include "points/point_numbers.h"

namespace korvela {

// The points' codes (descriptions such as "ЗД" or "КЮ"), Windows-1251 byte strings, empty for
// none. While no point has a code nothing is kept but the count, so a survey without codes
// costs no memory per point; the first code lays out one arena entry per point.
class PointCodes {
public:
    std::size_t size() const { return count_; }
    // Whether the arena is laid out; once it is, it holds one entry for every point.
    bool laidOut() const { return !texts_.empty(); }
    // Whether some point has a non-empty code.
    bool any() const { return texts_.byteCount() != 0; }
    std::string_view operator[](std::size_t index) const {
        return laidOut() ? texts_[index] : std::string_view();
    }
    // Equal when every point has the same code, however the two are kept.
    bool operator==(const PointCodes& other) const;

    // Codes given for a few points (index, code) among `count`, the indices rising.
    static PointCodes fromSparse(std::size_t count,
                                 const std::vector<std::pair<std::size_t, std::string_view>>& codes);

    void append(std::string_view code);
    // Makes room for `count` codes of `bytes` in all once some point has a code.
    void reserve(std::size_t count, std::size_t bytes) {
        if (laidOut()) texts_.reserve(count, bytes);
    }
    std::size_t byteCount() const { return texts_.byteCount(); }
    void set(std::size_t index, std::string_view code);
    void erase(std::size_t index);
    void eraseFlagged(const std::vector<std::int32_t>& flags);
    void truncate(std::size_t count);
    void clear();
    // Takes `count` points without codes when none is laid out; returns false when the count
    // of laid-out codes differs.
    bool fitCount(std::size_t count);
    // Hands over the codes of the points whose flag is 1 and erases them here.
    PointCodes takeFlagged(const std::vector<std::int32_t>& flags);
    // The codes of `came` put where `flags` is 1, those of `stayed` elsewhere, in order.
    static PointCodes merged(const std::vector<std::int32_t>& flags, const PointCodes& came,
                             const PointCodes& stayed);
    // Hands over the codes from index `first` on.
    PointCodes takeFrom(std::size_t first);
    void appendAll(const PointCodes& other);
    std::size_t allocatedBytes() const { return laidOut() ? texts_.allocatedBytes() : 0; }
    void shrinkToFit() { texts_.shrinkToFit(); }

private:
    void layOut();

    std::size_t count_ = 0;
    PointNumbers texts_;  // empty while no code is laid out
};

}  // namespace korvela
