#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "common/file_error.h"

namespace korvela {

// Point colours, 0x00BBGGRR.
inline constexpr std::int32_t kColourAqua = 0x00FFFF00;   // every newly read or added point
inline constexpr std::int32_t kColourGreen = 0x0000FF00;  // points joined from a second survey

inline constexpr std::int32_t kKindStation = 0;  // traverse station (an SDR station record)
inline constexpr std::int32_t kKindPoint = 1;    // ordinary point

// The seven sequences of a store, in their declared order (also handed over whole, as a
// project file read into temporaries).
struct PointSequences {
    std::vector<std::int32_t> active;
    std::vector<std::string> number;
    std::vector<double> x;
    std::vector<double> y;
    std::vector<double> z;
    std::vector<std::int32_t> kind;
    std::vector<std::int32_t> colour;

    // Runs action on each of the seven sequences: what is done to one is done to all.
    template <typename Action>
    void forEach(Action&& action) {
        action(active);
        action(number);
        action(x);
        action(y);
        action(z);
        action(kind);
        action(colour);
    }
};

// The surveyed points as seven parallel sequences; index i is the same point in each.
// Numbers are Windows-1251 byte strings, any text, not necessarily unique.
class PointStore {
public:
    std::size_t count() const { return points_.x.size(); }

    void clear();
    // Replaces the points with those of a survey file. When the file cannot be read the
    // store ends empty and the error says why.
    std::optional<FileError> loadSurveyFile(const std::string& path);
    void append(std::string number, double x, double y, double z, std::int32_t colour,
                std::int32_t kind);
    void erase(std::size_t index);
    // Replaces every point by the sequences, taken over without copying. Throws
    // std::invalid_argument, leaving the store as it was, when their lengths differ.
    void assign(PointSequences sequences);
    // Erases every point whose flag is exactly 1, keeping the others in order, in one pass.
    // Returns how many went.
    std::size_t eraseFlagged(const std::vector<std::int32_t>& flags);
    // Makes room for `total` points, so that appending many points moves nothing.
    void reserve(std::size_t total);

    const std::vector<std::int32_t>& active() const { return points_.active; }
    const std::vector<std::string>& number() const { return points_.number; }
    const std::vector<double>& x() const { return points_.x; }
    const std::vector<double>& y() const { return points_.y; }
    const std::vector<double>& z() const { return points_.z; }
    const std::vector<std::int32_t>& kind() const { return points_.kind; }
    const std::vector<std::int32_t>& colour() const { return points_.colour; }

    // The single values the program changes in place.
    void setNumber(std::size_t index, std::string number) {
        points_.number[index] = std::move(number);
        placementChanged();
    }
    void setX(std::size_t index, double value) {
        points_.x[index] = value;
        placementChanged();
    }
    void setY(std::size_t index, double value) {
        points_.y[index] = value;
        placementChanged();
    }
    void setZ(std::size_t index, double value) { points_.z[index] = value; }
    void setActive(std::size_t index, std::int32_t value) { points_.active[index] = value; }
    void setColour(std::size_t index, std::int32_t value) { points_.colour[index] = value; }

    // Returns the unused capacity of the sequences (after a read of unknown length).
    void releaseSpareCapacity();

    // Changes whenever points come or go or a number, X or Y changes, to a value no other
    // state of any store had (copies share it with their content): what the plan's index of
    // point positions is checked against. Heights, flags and colours leave it alone.
    std::uint64_t placementRevision() const { return placementRevision_; }

private:
    void placementChanged();

    PointSequences points_;
    std::uint64_t placementRevision_ = 0;
};

}  // namespace korvela
