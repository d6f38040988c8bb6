#include "plan/label_space.h"

namespace korvela {
namespace {

constexpr int kWordBits = LabelSpace::kWordBits;

// Bits from..to - 1 of a word, 0 <= from < to <= 64.
std::uint64_t bitsBetween(int from, int to) {
    const std::uint64_t below = to == kWordBits ? ~std::uint64_t{0} : (std::uint64_t{1} << to) - 1;
    return below & ~((std::uint64_t{1} << from) - 1);
}

// Hands visit(start) the starts, from first to last, `step` apart and last included, of
// stretches that together cover first..last + step - 1; stops when visit returns false.
template <typename Visit>
bool everyStart(int first, int last, int step, Visit visit) {
    for (int start = first; start < last; start += step) {
        if (!visit(start)) return false;
    }
    return visit(last);
}

}  // namespace

LabelSpace::LabelSpace(int width, int height, int leastWidth, int leastHeight)
    : width_(std::max(width, 0)), height_(std::max(height, 0)),
      leastWidth_(std::max(leastWidth, 1)), leastHeight_(std::max(leastHeight, 1)),
      wordsPerRow_(static_cast<std::size_t>(leastWidth_ + width_ + kWordBits - 1) / kWordBits),
      map_(wordsPerRow_ * static_cast<std::size_t>(leastHeight_ + height_), 0) {}

bool LabelSpace::wholeBoxFree(const PixelBox& box) const {
    if (box.left >= width_ || box.right <= 0 || box.top >= height_ || box.bottom <= 0) return true;
    // The corners of the least boxes at the far sides; beyond the picture, where nothing is
    // covered, the box is cut so that it stays at least the least size.
    const int left = std::max(box.left, -leastWidth_);
    const int top = std::max(box.top, -leastHeight_);
    const int right = std::max(std::min(box.right, width_ + leastWidth_ - 1) - leastWidth_, left);
    const int bottom =
        std::max(std::min(box.bottom, height_ + leastHeight_ - 1) - leastHeight_, top);
    // Least boxes from the corner to the far ones, at most a least size apart: four of them
    // cover a box up to twice the least size.
    return everyStart(top, bottom, leastHeight_, [&](int row) {
        return everyStart(left, right, leastWidth_,
                          [&](int column) { return !blocked(column, row); });
    });
}

// Every corner from which a least box reaches into the taken box (within the picture) is
// blocked.
void LabelSpace::take(const PixelBox& box) {
    const int left = std::max(box.left, 0);
    const int top = std::max(box.top, 0);
    const int right = std::min(box.right, width_);
    const int bottom = std::min(box.bottom, height_);
    if (left >= right || top >= bottom) return;
    const int from = left + 1;  // bits of a map row: corner column + leastWidth_
    const int to = right + leastWidth_;
    for (int row = top - leastHeight_ + 1; row < bottom; ++row) {
        std::uint64_t* words =
            map_.data() + static_cast<std::size_t>(row + leastHeight_) * wordsPerRow_;
        for (int word = from / kWordBits; word <= (to - 1) / kWordBits; ++word) {
            words[word] |= bitsBetween(std::max(from - word * kWordBits, 0),
                                       std::min(to - word * kWordBits, kWordBits));
        }
    }
}

}  // namespace korvela
