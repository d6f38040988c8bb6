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

// The seven sequences of a store handed over whole (a project file read into temporaries).
struct PointSequences {
    std::vector<std::int32_t> active;
    std::vector<std::string> number;
    std::vector<double> x;
    std::vector<double> y;
    std::vector<double> z;
    std::vector<std::int32_t> kind;
    std::vector<std::int32_t> colour;
};

// The surveyed points as seven parallel sequences; index i is the same point in each.
// Numbers are Windows-1251 byte strings, any text, not necessarily unique.
class PointStore {
public:
    std::size_t count() const { return x_.size(); }

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

    const std::vector<std::int32_t>& active() const { return active_; }
    const std::vector<std::string>& number() const { return number_; }
    const std::vector<double>& x() const { return x_; }
    const std::vector<double>& y() const { return y_; }
    const std::vector<double>& z() const { return z_; }
    const std::vector<std::int32_t>& kind() const { return kind_; }
    const std::vector<std::int32_t>& colour() const { return colour_; }

    // The single values the program changes in place.
    void setNumber(std::size_t index, std::string number) { number_[index] = std::move(number); }
    void setX(std::size_t index, double value) { x_[index] = value; }
    void setY(std::size_t index, double value) { y_[index] = value; }
    void setZ(std::size_t index, double value) { z_[index] = value; }
    void setActive(std::size_t index, std::int32_t value) { active_[index] = value; }
    void setColour(std::size_t index, std::int32_t value) { colour_[index] = value; }

    // Returns the unused capacity of the sequences (after a read of unknown length).
    void releaseSpareCapacity();

private:
    std::vector<std::int32_t> active_;
    std::vector<std::string> number_;
    std::vector<double> x_;
    std::vector<double> y_;
    std::vector<double> z_;
    std::vector<std::int32_t> kind_;
    std::vector<std::int32_t> colour_;
};

}  // namespace korvela
