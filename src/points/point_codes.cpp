#include "points/point_codes.h"

namespace korvela {

bool PointCodes::operator==(const PointCodes& other) const {
    if (count_ != other.count_) return false;
    if (!any() && !other.any()) return true;
    for (std::size_t i = 0; i < count_; ++i) {
        if ((*this)[i] != other[i]) return false;
    }
    return true;
}

PointCodes PointCodes::fromSparse(
    std::size_t count, const std::vector<std::pair<std::size_t, std::string_view>>& codes) {
    PointCodes result;
    result.count_ = count;
    if (codes.empty()) return result;
    std::size_t bytes = 0;
    for (const auto& entry : codes) bytes += entry.second.size();
    result.texts_.reserve(count, bytes);
    auto next = codes.begin();
    for (std::size_t i = 0; i < count; ++i) {
        const bool coded = next != codes.end() && next->first == i;
        result.texts_.append(coded ? (next++)->second : std::string_view());
    }
    return result;
}

void PointCodes::layOut() {
    if (laidOut() || count_ == 0) return;
    texts_.reserve(count_, 0);
    for (std::size_t i = 0; i < count_; ++i) texts_.append({});
}

void PointCodes::append(std::string_view code) {
    if (!code.empty()) layOut();
    if (laidOut() || !code.empty()) texts_.append(code);
    ++count_;
}

void PointCodes::set(std::size_t index, std::string_view code) {
    if (code.empty() && !laidOut()) return;
    layOut();
    texts_.replace(index, code);
}

void PointCodes::erase(std::size_t index) {
    if (laidOut()) texts_.erase(index);
    --count_;
}

void PointCodes::eraseFlagged(const std::vector<std::int32_t>& flags) {
    if (laidOut()) {
        texts_.eraseFlagged(flags);
        count_ = texts_.size();
        return;
    }
    const std::size_t before = count_;
    for (std::size_t i = 0; i < before; ++i) {
        if (flags[i] == 1) --count_;
    }
}

void PointCodes::truncate(std::size_t count) {
    if (laidOut()) texts_.truncate(count);
    count_ = count;
}

void PointCodes::clear() {
    texts_.clear();
    count_ = 0;
}

PointCodes PointCodes::takeFlagged(const std::vector<std::int32_t>& flags) {
    PointCodes taken;
    for (std::size_t i = 0; i < count_; ++i) {
        if (flags[i] == 1) taken.append((*this)[i]);
    }
    eraseFlagged(flags);
    return taken;
}

PointCodes PointCodes::merged(const std::vector<std::int32_t>& flags, const PointCodes& came,
                              const PointCodes& stayed) {
    PointCodes result;
    if (!came.laidOut() && !stayed.laidOut()) {
        result.count_ = flags.size();
        return result;
    }
    std::size_t nextCame = 0;
    std::size_t nextStayed = 0;
    for (const std::int32_t flag : flags) {
        result.append(flag == 1 ? came[nextCame++] : stayed[nextStayed++]);
    }
    return result;
}

PointCodes PointCodes::takeFrom(std::size_t first) {
    PointCodes tail;
    tail.count_ = count_ - first;
    if (laidOut()) {
        tail.count_ = 0;
        for (std::size_t i = first; i < count_; ++i) tail.append(texts_[i]);
    }
    truncate(first);
    return tail;
}

void PointCodes::appendAll(const PointCodes& other) {
    if (!laidOut() && !other.laidOut()) {
        count_ += other.count_;
        return;
    }
    for (std::size_t i = 0; i < other.size(); ++i) append(other[i]);
}

bool PointCodes::fitCount(std::size_t count) {
    if (laidOut()) return count_ == count;
    count_ = count;
    return true;
}

}  // namespace korvela
