#include "points/point_store.h"

#include <algorithm>
#include <atomic>
#include <limits>
#include <stdexcept>

#include "points/survey_reader.h"

namespace korvela {
namespace {


template <typename Sequence>
std::size_t allocatedBytesOf(const Sequence& sequence) {
    return sequence.capacity() * sizeof(typename Sequence::value_type);
}

// Each thread counts in a range of its own, so that appending costs no atomic operation.
std::uint64_t nextPlacementRevision() {
    static std::atomic<std::uint64_t> threads{0};
    thread_local std::uint64_t lastRevision = (++threads) << 40;
    return ++lastRevision;
}

}  // namespace

void PointStore::placementChanged() {
    placementRevision_ = nextPlacementRevision();
    editsBase_ = placementRevision_;
    editRevisions_.clear();
    editedPoints_.clear();
}

void PointStore::pointPlaced(std::size_t index) {
    if (editedPoints_.size() == kKeptPlacementEdits) {
        editsBase_ = editRevisions_.front();
        editRevisions_.erase(editRevisions_.begin());
        editedPoints_.erase(editedPoints_.begin());
    }
    placementRevision_ = nextPlacementRevision();
    editRevisions_.push_back(placementRevision_);
    editedPoints_.push_back(index);
}

std::optional<std::span<const std::size_t>> PointStore::placementEditsSince(
    std::uint64_t revision) const {
    const std::span<const std::size_t> edits(editedPoints_);
    if (revision == editsBase_) return edits;
    const auto at = std::find(editRevisions_.begin(), editRevisions_.end(), revision);
    if (at == editRevisions_.end()) return std::nullopt;
    return edits.subspan(static_cast<std::size_t>(at - editRevisions_.begin()) + 1);
}

void PointStore::clear() {
    points_.forEachValueSequence([](auto& sequence) { sequence.clear(); });
    points_.number.clear();
    points_.code.clear();
    placementChanged();
}

std::optional<FileError> PointStore::loadSurveyFile(const std::string& path,
                                                    WorkProgress* progress) {
    return readSurveyFile(path, *this, surveyParsingThreads(), progress);
}

void PointStore::append(std::string_view number, double x, double y, double z, std::int32_t colour,
                        std::int32_t kind, std::string_view code) {
    points_.number.append(number);
    points_.code.append(code);
    points_.active.push_back(1);
    points_.x.push_back(x);
    points_.y.push_back(y);
    points_.z.push_back(z);
    points_.kind.push_back(toPointFlag(kind));
    points_.colour.push_back(colour);
    placementChanged();
}

void PointStore::assign(PointSequences sequences) {
    const std::size_t n = sequences.x.size();
    sequences.forEachValueSequence([n](const auto& sequence) {
        if (sequence.size() != n)
            throw std::invalid_argument("point sequences of different lengths");
    });
    if (sequences.number.size() != n || !sequences.code.fitCount(n))
        throw std::invalid_argument("point sequences of different lengths");
    points_ = std::move(sequences);
    placementChanged();
}

void PointStore::setCodes(PointCodes codes) {
    if (!codes.fitCount(count())) throw std::invalid_argument("codes for another point count");
    points_.code = std::move(codes);
}

void PointStore::reserve(std::size_t total) {
    points_.forEachValueSequence([total](auto& sequence) { sequence.reserve(total); });
    points_.number.reserve(total, 0);
}

void PointStore::erase(std::size_t index) {
    points_.forEachValueSequence([index](auto& sequence) {
        sequence.erase(sequence.begin() + static_cast<std::ptrdiff_t>(index));
    });
    points_.number.erase(index);
    points_.code.erase(index);
    placementChanged();
}

std::size_t PointStore::eraseFlagged(const std::vector<std::int32_t>& flags) {
    const std::size_t before = count();
    points_.forEachValueSequence([&flags](auto& sequence) {
        std::size_t kept = 0;
        for (std::size_t i = 0; i < sequence.size(); ++i) {
            if (flags[i] == 1) continue;
            sequence[kept++] = sequence[i];
        }
        sequence.resize(kept);
    });
    points_.number.eraseFlagged(flags);
    points_.code.eraseFlagged(flags);
    placementChanged();
    return before - count();
}

PointSequences PointStore::takeFlagged(const std::vector<std::int32_t>& flags) {
    const auto taken = static_cast<std::size_t>(std::count(flags.begin(), flags.end(), 1));
    if (taken == count()) {  // every point: handed over whole, nothing copied
        PointSequences erased = std::exchange(points_, PointSequences());
        placementChanged();
        return erased;
    }
    PointSequences erased;
    points_.forEachValueSequenceWith(erased, [&flags, taken](auto& sequence, auto& out) {
        out.reserve(taken);
        std::size_t kept = 0;
        for (std::size_t i = 0; i < sequence.size(); ++i) {
            if (flags[i] == 1) {
                out.push_back(sequence[i]);
            } else {
                sequence[kept++] = sequence[i];
            }
        }
        sequence.resize(kept);
    });
    for (std::size_t i = 0; i < flags.size(); ++i) {
        if (flags[i] == 1) erased.number.append(points_.number[i]);
    }
    points_.number.eraseFlagged(flags);
    erased.code = points_.code.takeFlagged(flags);
    placementChanged();
    return erased;
}

void PointStore::insertFlagged(const std::vector<std::int32_t>& flags, PointSequences points) {
    const auto inserted = static_cast<std::size_t>(std::count(flags.begin(), flags.end(), 1));
    if (inserted != points.count() || flags.size() != count() + inserted) {
        throw std::invalid_argument("insert flags do not fit the points");
    }
    // Filled from the back, so every kept value moves once and nothing is allocated twice.
    points_.forEachValueSequenceWith(points, [&flags](auto& sequence, auto& in) {
        std::size_t kept = sequence.size();
        std::size_t next = in.size();
        sequence.resize(flags.size());
        for (std::size_t i = flags.size(); i-- > 0;) {
            if (flags[i] == 1) {
                sequence[i] = in[--next];
            } else if (--kept != i) {
                sequence[i] = sequence[kept];
            }
        }
    });
    PointNumbers merged;
    const PointNumbers& came = points.number;
    const PointNumbers& stayed = points_.number;
    merged.reserve(flags.size(), came.allocatedBytes() + stayed.allocatedBytes());
    std::size_t nextCame = 0;
    std::size_t nextStayed = 0;
    for (const std::int32_t flag : flags) {
        merged.append(flag == 1 ? came[nextCame++] : stayed[nextStayed++]);
    }
    points_.number = std::move(merged);
    points_.code = PointCodes::merged(flags, points.code, points_.code);
    placementChanged();
}

PointSequences PointStore::takeFrom(std::size_t first) {
    PointSequences tail;
    points_.forEachValueSequenceWith(tail, [first](auto& sequence, auto& out) {
        const auto from = sequence.begin() + static_cast<std::ptrdiff_t>(first);
        out.assign(from, sequence.end());
        sequence.erase(from, sequence.end());
    });
    for (std::size_t i = first; i < points_.number.size(); ++i) {
        tail.number.append(points_.number[i]);
    }
    points_.number.truncate(first);
    tail.code = points_.code.takeFrom(first);
    placementChanged();
    return tail;
}

void PointStore::appendAll(PointSequences points) {
    points_.forEachValueSequenceWith(points, [](auto& sequence, auto& in) {
        sequence.insert(sequence.end(), in.begin(), in.end());
    });
    for (const std::string_view number : points.number) points_.number.append(number);
    points.code.fitCount(points.count());
    points_.code.appendAll(points.code);
    placementChanged();
}

std::size_t PointStore::allocatedBytes() const {
    return allocatedBytesOf(points_.active) + points_.number.allocatedBytes() +
           allocatedBytesOf(points_.x) + allocatedBytesOf(points_.y) + allocatedBytesOf(points_.z) +
           allocatedBytesOf(points_.kind) + allocatedBytesOf(points_.colour) +
           points_.code.allocatedBytes();
}

void PointStore::releaseSpareCapacity() {
    points_.forEachValueSequence([](auto& sequence) { sequence.shrink_to_fit(); });
    points_.number.shrinkToFit();
    points_.code.shrinkToFit();
}

std::optional<std::size_t> findPointNumbered(const PointStore& store, std::string_view number) {
    for (std::size_t i = 0; i < store.count(); ++i) {
        if (store.number()[i] == number) return i;
    }
    return std::nullopt;
}

}  // namespace korvela
