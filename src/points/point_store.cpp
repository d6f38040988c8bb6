#include "points/point_store.h"

#include <stdexcept>

#include "points/survey_reader.h"

namespace korvela {
namespace {

template <typename Sequence>
void eraseAt(Sequence& sequence, std::size_t index) {
    sequence.erase(sequence.begin() + static_cast<std::ptrdiff_t>(index));
}

template <typename Sequence>
void shrinkWhenWasteful(Sequence& sequence) {
    if (sequence.capacity() > sequence.size() + sequence.size() / 4) sequence.shrink_to_fit();
}

}  // namespace

void PointStore::clear() {
    active_.clear();
    number_.clear();
    x_.clear();
    y_.clear();
    z_.clear();
    kind_.clear();
    colour_.clear();
}

std::optional<FileError> PointStore::loadSurveyFile(const std::string& path) {
    return readSurveyFile(path, *this);
}

void PointStore::append(std::string number, double x, double y, double z, std::int32_t colour,
                        std::int32_t kind) {
    active_.push_back(1);
    number_.push_back(std::move(number));
    x_.push_back(x);
    y_.push_back(y);
    z_.push_back(z);
    kind_.push_back(kind);
    colour_.push_back(colour);
}

void PointStore::assign(PointSequences sequences) {
    const std::size_t n = sequences.x.size();
    for (std::size_t length : {sequences.active.size(), sequences.number.size(), sequences.y.size(),
                               sequences.z.size(), sequences.kind.size(), sequences.colour.size()}) {
        if (length != n) throw std::invalid_argument("point sequences of different lengths");
    }
    active_ = std::move(sequences.active);
    number_ = std::move(sequences.number);
    x_ = std::move(sequences.x);
    y_ = std::move(sequences.y);
    z_ = std::move(sequences.z);
    kind_ = std::move(sequences.kind);
    colour_ = std::move(sequences.colour);
}

void PointStore::reserve(std::size_t total) {
    active_.reserve(total);
    number_.reserve(total);
    x_.reserve(total);
    y_.reserve(total);
    z_.reserve(total);
    kind_.reserve(total);
    colour_.reserve(total);
}

void PointStore::erase(std::size_t index) {
    eraseAt(active_, index);
    eraseAt(number_, index);
    eraseAt(x_, index);
    eraseAt(y_, index);
    eraseAt(z_, index);
    eraseAt(kind_, index);
    eraseAt(colour_, index);
}

std::size_t PointStore::eraseFlagged(const std::vector<std::int32_t>& flags) {
    std::size_t kept = 0;
    for (std::size_t i = 0; i < count(); ++i) {
        if (flags[i] == 1) continue;
        if (kept != i) {
            active_[kept] = active_[i];
            number_[kept] = std::move(number_[i]);
            x_[kept] = x_[i];
            y_[kept] = y_[i];
            z_[kept] = z_[i];
            kind_[kept] = kind_[i];
            colour_[kept] = colour_[i];
        }
        ++kept;
    }
    const std::size_t erased = count() - kept;
    active_.resize(kept);
    number_.resize(kept);
    x_.resize(kept);
    y_.resize(kept);
    z_.resize(kept);
    kind_.resize(kept);
    colour_.resize(kept);
    return erased;
}

void PointStore::releaseSpareCapacity() {
    shrinkWhenWasteful(active_);
    shrinkWhenWasteful(number_);
    shrinkWhenWasteful(x_);
    shrinkWhenWasteful(y_);
    shrinkWhenWasteful(z_);
    shrinkWhenWasteful(kind_);
    shrinkWhenWasteful(colour_);
}

}  // namespace korvela
