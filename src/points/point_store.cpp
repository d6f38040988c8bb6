#include "points/point_store.h"

#include <atomic>
#include <stdexcept>

#include "points/survey_reader.h"

namespace korvela {

// Each thread counts in a range of its own, so that appending costs no atomic operation.
void PointStore::placementChanged() {
    static std::atomic<std::uint64_t> threads{0};
    thread_local std::uint64_t lastRevision = (++threads) << 40;
    placementRevision_ = ++lastRevision;
}

void PointStore::clear() {
    points_.forEach([](auto& sequence) { sequence.clear(); });
    placementChanged();
}

std::optional<FileError> PointStore::loadSurveyFile(const std::string& path) {
    return readSurveyFile(path, *this);
}

void PointStore::append(std::string number, double x, double y, double z, std::int32_t colour,
                        std::int32_t kind) {
    points_.active.push_back(1);
    points_.number.push_back(std::move(number));
    points_.x.push_back(x);
    points_.y.push_back(y);
    points_.z.push_back(z);
    points_.kind.push_back(kind);
    points_.colour.push_back(colour);
    placementChanged();
}

void PointStore::assign(PointSequences sequences) {
    const std::size_t n = sequences.x.size();
    sequences.forEach([n](const auto& sequence) {
        if (sequence.size() != n)
            throw std::invalid_argument("point sequences of different lengths");
    });
    points_ = std::move(sequences);
    placementChanged();
}

void PointStore::reserve(std::size_t total) {
    points_.forEach([total](auto& sequence) { sequence.reserve(total); });
}

void PointStore::erase(std::size_t index) {
    points_.forEach([index](auto& sequence) {
        sequence.erase(sequence.begin() + static_cast<std::ptrdiff_t>(index));
    });
    placementChanged();
}

std::size_t PointStore::eraseFlagged(const std::vector<std::int32_t>& flags) {
    const std::size_t before = count();
    points_.forEach([&flags](auto& sequence) {
        std::size_t kept = 0;
        for (std::size_t i = 0; i < sequence.size(); ++i) {
            if (flags[i] == 1) continue;
            if (kept != i) sequence[kept] = std::move(sequence[i]);
            ++kept;
        }
        sequence.resize(kept);
    });
    placementChanged();
    return before - count();
}

void PointStore::releaseSpareCapacity() {
    points_.forEach([](auto& sequence) {
        if (sequence.capacity() > sequence.size() + sequence.size() / 4) sequence.shrink_to_fit();
    });
}

}  // namespace korvela
