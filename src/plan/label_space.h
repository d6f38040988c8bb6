#pragma once

#include <algorithm>
#include <cstdint>
#include <vector>

namespace korvela {

// The pixels from (left, top) up to, not including, (right, bottom).
struct PixelBox {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
};

// The part of a picture of width × height pixels that the labels drawn so far cover, so that
// a label whose box would overlap one of them can be left out. Only the picture counts: the
// parts of a box outside it neither block nor are blocked.
//
// Boxes are at least leastWidth × leastHeight pixels (a smaller one counts as that size). The
// map keeps, for every corner, whether a box of the least size there would meet a covered
// pixel; a box up to twice that size is covered by the least boxes at its four corners, so a
// question reads four bits however full the picture is. Taking a box costs its area.
class LabelSpace {
public:
    LabelSpace(int width, int height, int leastWidth, int leastHeight);

    // Whether the box covers no pixel of the picture that a box taken before covers.
    bool isFree(const PixelBox& box) const {
        // In a crowded picture the least box at the corner mostly settles it.
        const bool cornerInside =
            box.left >= 0 && box.top >= 0 && box.left < width_ && box.top < height_;
        return !(cornerInside && blocked(box.left, box.top)) && isFreeAnyway(box);
    }

    void take(const PixelBox& box);

private:
    bool isFreeAnyway(const PixelBox& box) const;
    bool blocked(int column, int row) const {
        const auto bit = static_cast<std::size_t>(column + leastWidth_);
        const std::size_t word =
            static_cast<std::size_t>(row + leastHeight_) * wordsPerRow_ + bit / 64;
        return (map_[word] >> (bit % 64) & 1) != 0;
    }

    int width_;
    int height_;
    int leastWidth_;
    int leastHeight_;
    std::size_t wordsPerRow_;
    // Corners -leastWidth_ to width_ - 1 across, -leastHeight_ to height_ - 1 down, row by
    // row: a bit is set when the least box at that corner meets a covered pixel.
    std::vector<std::uint64_t> map_;
};

}  // namespace korvela
