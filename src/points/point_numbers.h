#pragma once

#include <compare>
#include <cstddef>
#include <cstdint>
#include <iterator>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace korvela {

// The point numbers as one byte arena: number i is the bytes from bounds[i] to bounds[i + 1].
// 32-bit offsets keep the store small; the arena holds at most 4 GiB.
class PointNumbers {
public:
    class Iterator {
    public:
        using iterator_category = std::random_access_iterator_tag;
        using value_type = std::string_view;
        using difference_type = std::ptrdiff_t;
        using pointer = void;
        using reference = std::string_view;

        Iterator() = default;
        Iterator(const PointNumbers* numbers, std::size_t index)
            : numbers_(numbers), index_(index) {}
        std::string_view operator*() const { return (*numbers_)[index_]; }
        std::string_view operator[](difference_type n) const { return *(*this + n); }
        Iterator& operator++() { return *this += 1; }
        Iterator operator++(int) { return std::exchange(*this, *this + 1); }
        Iterator& operator--() { return *this -= 1; }
        Iterator operator--(int) { return std::exchange(*this, *this - 1); }
        Iterator& operator+=(difference_type n) {
            index_ = static_cast<std::size_t>(static_cast<difference_type>(index_) + n);
            return *this;
        }
        Iterator& operator-=(difference_type n) { return *this += -n; }
        friend Iterator operator+(Iterator it, difference_type n) { return it += n; }
        friend Iterator operator+(difference_type n, Iterator it) { return it += n; }
        friend Iterator operator-(Iterator it, difference_type n) { return it -= n; }
        friend difference_type operator-(const Iterator& a, const Iterator& b) {
            return static_cast<difference_type>(a.index_) - static_cast<difference_type>(b.index_);
        }
        bool operator==(const Iterator& other) const { return index_ == other.index_; }
        auto operator<=>(const Iterator& other) const { return index_ <=> other.index_; }

    private:
        const PointNumbers* numbers_ = nullptr;
        std::size_t index_ = 0;
    };

    PointNumbers() = default;
    // Takes an arena and its bounds as a reader built them. Throws std::invalid_argument when
    // the bounds do not start at 0, go down, or do not end at the arena's end.
    PointNumbers(std::string bytes, std::vector<std::uint32_t> bounds);

    std::size_t size() const { return bounds_.size() - 1; }
    bool empty() const { return size() == 0; }
    std::size_t byteCount() const { return bytes_.size(); }
    std::string_view operator[](std::size_t index) const {
        return std::string_view(bytes_).substr(bounds_[index], bounds_[index + 1] - bounds_[index]);
    }
    Iterator begin() const { return {this, 0}; }
    Iterator end() const { return {this, size()}; }
    bool operator==(const PointNumbers& other) const = default;

    // Bytes held, for measuring the store.
    std::size_t allocatedBytes() const {
        return bytes_.capacity() + bounds_.capacity() * sizeof(std::uint32_t);
    }

    // Throws std::length_error when the arena would pass 4 GiB.
    void append(std::string_view number);
    // Changes number i in place; later numbers move in the arena.
    void replace(std::size_t index, std::string_view number);
    void erase(std::size_t index);
    // Keeps the numbers whose flag is not 1, in order.
    void eraseFlagged(const std::vector<std::int32_t>& flags);
    // Keeps the first `count` numbers.
    void truncate(std::size_t count);
    void clear();
    void reserve(std::size_t count, std::size_t bytes);
    void shrinkToFit() {
        bytes_.shrink_to_fit();
        bounds_.shrink_to_fit();
    }

private:
    std::string bytes_;
    std::vector<std::uint32_t> bounds_{0};
};

}  // namespace korvela
