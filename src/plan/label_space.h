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
// A box asked about counts as at least leastWidth × leastHeight pixels. The map keeps, for
// every corner, whether the least box there would meet a covered pixel; a box is the union of
// the least boxes at a few corners (four, up to twice the least size), so a question reads a
// few bits however full the picture is, in a crowded picture mostly one. Taking a box costs
// its area.
class LabelSpace {
public:
    static constexpr int kWordBits = 64;  // of a word of the map

    LabelSpace(int width, int height, int leastWidth, int leastHeight);

    // Whether the box covers no pixel of the picture that a box taken before covers.
    bool isFree(const PixelBox& box) const {
        // In a crowded picture the least box at the corner mostly settles it.
        const bool cornerInside =
            box.left >= 0 && box.top >= 0 && box.left < width_ && box.top < height_;
        return !(cornerInside && blocked(box.left, box.top)) && wholeBoxFree(box);
    }

    void take(const PixelBox& box);

private:
    bool wholeBoxFree(const PixelBox& box) const;
    bool blocked(int column, int row) const {
        const auto bit = static_cast<std::size_t>(column + leastWidth_);
        const std::size_t word =
            static_cast<std::size_t>(row + leastHeight_) * wordsPerRow_ + bit / kWordBits;
        return (map_[word] >> (bit % kWordBits) & 1) != 0;
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
