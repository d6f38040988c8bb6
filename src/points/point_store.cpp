#include "points/point_store.h"

#include <algorithm>
#include <iterator>
#include <stdexcept>

#include "points/survey_reader.h"

namespace korvela {

void PointStore::clear() {
    points_.forEach([](auto& sequence) { sequence.clear(); });
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
}

void PointStore::assign(PointSequences sequences) {
    const std::size_t n = sequences.x.size();
    sequences.forEach([n](const auto& sequence) {
        if (sequence.size() != n)
            throw std::invalid_argument("point sequences of different lengths");
    });
    points_ = std::move(sequences);
}

void PointStore::reserve(std::size_t total) {
    points_.forEach([total](auto& sequence) { sequence.reserve(total); });
}

void PointStore::erase(std::size_t index) {
    points_.forEach([index](auto& sequence) {
        sequence.erase(sequence.begin() + static_cast<std::ptrdiff_t>(index));
    });
}

std::size_t PointStore::eraseFlagged(const std::vector<std::int32_t>& flags) {
    return takeFlagged(flags).count();
}

PointSequences PointStore::takeFlagged(const std::vector<std::int32_t>& flags) {
    const auto taken = static_cast<std::size_t>(std::count(flags.begin(), flags.end(), 1));
    PointSequences erased;
    points_.forEachWith(erased, [&flags, taken](auto& sequence, auto& out) {
        out.reserve(taken);
        std::size_t kept = 0;
        for (std::size_t i = 0; i < sequence.size(); ++i) {
            if (flags[i] == 1) {
                out.push_back(std::move(sequence[i]));
                continue;
            }
            if (kept != i) sequence[kept] = std::move(sequence[i]);
            ++kept;
        }
        sequence.resize(kept);
    });
    return erased;
}

void PointStore::insertFlagged(const std::vector<std::int32_t>& flags, PointSequences points) {
    const auto inserted = static_cast<std::size_t>(std::count(flags.begin(), flags.end(), 1));
    if (inserted != points.count() || flags.size() != count() + inserted) {
        throw std::invalid_argument("insert flags do not fit the points");
    }
    // Filled from the back, so every kept point moves once and nothing is allocated twice.
    points_.forEachWith(points, [&flags](auto& sequence, auto& in) {
        std::size_t kept = sequence.size();
        std::size_t next = in.size();
        sequence.resize(flags.size());
        for (std::size_t i = flags.size(); i-- > 0;) {
            if (flags[i] == 1) {
                sequence[i] = std::move(in[--next]);
            } else if (--kept != i) {
                sequence[i] = std::move(sequence[kept]);
            }
        }
    });
}

PointSequences PointStore::takeFrom(std::size_t first) {
    PointSequences tail;
    points_.forEachWith(tail, [first](auto& sequence, auto& out) {
        const auto from = sequence.begin() + static_cast<std::ptrdiff_t>(first);
        out.assign(std::make_move_iterator(from), std::make_move_iterator(sequence.end()));
        sequence.erase(from, sequence.end());
    });
    return tail;
}

void PointStore::appendAll(PointSequences points) {
    points_.forEachWith(points, [](auto& sequence, auto& in) {
        sequence.insert(sequence.end(), std::make_move_iterator(in.begin()),
                        std::make_move_iterator(in.end()));
    });
}

void PointStore::releaseSpareCapacity() {
    points_.forEach([](auto& sequence) {
        if (sequence.capacity() > sequence.size() + sequence.size() / 4) sequence.shrink_to_fit();
    });
}

}  // namespace korvela
