#include "points/point_numbers.h"

#include <algorithm>
#include <limits>
#include <stdexcept>

namespace korvela {
namespace {

constexpr std::size_t kLargestArena = std::numeric_limits<std::uint32_t>::max();

}  // namespace

PointNumbers::PointNumbers(std::string bytes, std::vector<std::uint32_t> bounds)
    : bytes_(std::move(bytes)), bounds_(std::move(bounds)) {
    if (bounds_.empty() || bounds_.front() != 0 || bounds_.back() != bytes_.size() ||
        !std::is_sorted(bounds_.begin(), bounds_.end())) {
        throw std::invalid_argument("point number bounds do not fit their arena");
    }
}

void PointNumbers::append(std::string_view number) {
    if (number.size() > kLargestArena - bytes_.size())
        throw std::length_error("point numbers over 4 GiB");
    bytes_.append(number);
    bounds_.push_back(static_cast<std::uint32_t>(bytes_.size()));
}

void PointNumbers::replace(std::size_t index, std::string_view number) {
    const std::size_t oldLength = bounds_[index + 1] - bounds_[index];
    if (number.size() > oldLength && number.size() - oldLength > kLargestArena - bytes_.size())
        throw std::length_error("point numbers over 4 GiB");
    bytes_.replace(bounds_[index], oldLength, number);
    const std::uint32_t shift = static_cast<std::uint32_t>(number.size() - oldLength);
    for (std::size_t i = index + 1; i < bounds_.size(); ++i) bounds_[i] += shift;  // modulo 2^32
}

void PointNumbers::erase(std::size_t index) {
    const std::uint32_t length = bounds_[index + 1] - bounds_[index];
    bytes_.erase(bounds_[index], length);
    bounds_.erase(bounds_.begin() + static_cast<std::ptrdiff_t>(index) + 1);
    for (std::size_t i = index + 1; i < bounds_.size(); ++i) bounds_[i] -= length;
}

void PointNumbers::eraseFlagged(const std::vector<std::int32_t>& flags) {
    std::size_t keptBytes = 0;
    std::size_t kept = 0;
    for (std::size_t i = 0; i < size(); ++i) {
        if (flags[i] == 1) continue;
        const std::uint32_t start = bounds_[i];
        const std::uint32_t length = bounds_[i + 1] - start;
        std::copy_n(bytes_.data() + start, length, bytes_.data() + keptBytes);  // moves down
        keptBytes += length;
        bounds_[++kept] = static_cast<std::uint32_t>(keptBytes);
    }
    bytes_.resize(keptBytes);
    bounds_.resize(kept + 1);
}

void PointNumbers::truncate(std::size_t count) {
    bytes_.resize(bounds_[count]);
    bounds_.resize(count + 1);
}

void PointNumbers::clear() {
    bytes_.clear();
    bounds_.assign(1, 0);
}

void PointNumbers::reserve(std::size_t count, std::size_t bytes) {
    bytes_.reserve(bytes);
    bounds_.reserve(count + 1);
}

}  // namespace korvela
