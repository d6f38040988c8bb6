#pragma once

#include <compare>
#include <cstddef>
#include <cstdint>
#include <iterator>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "common/file_error.h"
#include "points/point_codes.h"
#include "common/work_progress.h"

namespace korvela {

// Point colours, 0x00BBGGRR.
inline constexpr std::int32_t kColourAqua = 0x00FFFF00;   // every newly read or added point
inline constexpr std::int32_t kColourGreen = 0x0000FF00;  // points joined from a second survey

inline constexpr std::int32_t kKindStation = 0;  // traverse station (an SDR station record)
inline constexpr std::int32_t kKindPoint = 1;    // ordinary point

// `active` and `kind` are kept as bytes. The program only ever sets 0 and 1; any other value
// (a project file written elsewhere) is kept as kOtherFlag, which is neither 0 nor 1 for every
// rule that tests them (drawing, freezing, the DXF and text filters, the traverse).
using PointFlag = std::uint8_t;
inline constexpr PointFlag kOtherFlag = 2;
constexpr PointFlag toPointFlag(std::int32_t value) {
    return value == 0 || value == 1 ? static_cast<PointFlag>(value) : kOtherFlag;
}

// The seven sequences of a store, in their declared order (also handed over whole, as a
// project file read into temporaries).
struct PointSequences {
    std::vector<PointFlag> active;
    PointNumbers number;
    std::vector<double> x;
    std::vector<double> y;
    std::vector<double> z;
    std::vector<PointFlag> kind;
    std::vector<std::int32_t> colour;
    // Beside the seven: the points' codes (nothing kept while no point has one).
    PointCodes code;

    // Runs action on each of the six sequences of plain values (all but `number`).
    template <typename Action>
    void forEachValueSequence(Action&& action) {
        action(active);
        action(x);
        action(y);
        action(z);
        action(kind);
        action(colour);
    }
    // The same, pairing each sequence with its counterpart in `other`.
    template <typename Action>
    void forEachValueSequenceWith(PointSequences& other, Action&& action) {
        action(active, other.active);
        action(x, other.x);
        action(y, other.y);
        action(z, other.z);
        action(kind, other.kind);
        action(colour, other.colour);
    }
    std::size_t count() const { return x.size(); }
    bool operator==(const PointSequences&) const = default;
};

// The surveyed points as seven parallel sequences; index i is the same point in each.
// Numbers are Windows-1251 byte strings, any text, not necessarily unique.
class PointStore {
public:
    std::size_t count() const { return points_.x.size(); }

    void clear();
    // Replaces the points with those of a survey file. When the file cannot be read the
    // store ends empty and the error says why.
    std::optional<FileError> loadSurveyFile(const std::string& path,
                                            WorkProgress* progress = nullptr);
    void append(std::string_view number, double x, double y, double z, std::int32_t colour,
                std::int32_t kind, std::string_view code = {});
    void erase(std::size_t index);
    // Replaces every point by the sequences, taken over without copying. Throws
    // std::invalid_argument, leaving the store as it was, when their lengths differ.
    void assign(PointSequences sequences);
    // Erases every point whose flag is exactly 1, keeping the others in order, in one pass.
    // Returns how many went.
    std::size_t eraseFlagged(const std::vector<std::int32_t>& flags);
    // The same, handing the erased points over in order.
    PointSequences takeFlagged(const std::vector<std::int32_t>& flags);
    // Puts erased points back: `flags` has one entry per point after the insert, and the
    // points go, in order, where it is 1. Throws std::invalid_argument, leaving the store as it
    // was, when the flags do not fit the store and the points.
    void insertFlagged(const std::vector<std::int32_t>& flags, PointSequences points);
    // Hands over the points from index `first` on.
    PointSequences takeFrom(std::size_t first);
    void appendAll(PointSequences points);
    // Makes room for `total` points, so that appending many points moves nothing.
    void reserve(std::size_t total);

    const std::vector<PointFlag>& active() const { return points_.active; }
    const PointNumbers& number() const { return points_.number; }
    // Whether both hold the same points, value for value.
    bool holdsSamePoints(const PointStore& other) const { return points_ == other.points_; }
    const std::vector<double>& x() const { return points_.x; }
    const std::vector<double>& y() const { return points_.y; }
    const std::vector<double>& z() const { return points_.z; }
    const std::vector<PointFlag>& kind() const { return points_.kind; }
    const std::vector<std::int32_t>& colour() const { return points_.colour; }
    const PointCodes& code() const { return points_.code; }

    // The single values the program changes in place.
    void setNumber(std::size_t index, std::string_view number) {
        points_.number.replace(index, number);
        pointPlaced(index);
    }
    void setX(std::size_t index, double value) {
        points_.x[index] = value;
        pointPlaced(index);
    }
    void setY(std::size_t index, double value) {
        points_.y[index] = value;
        pointPlaced(index);
    }
    void setZ(std::size_t index, double value) { points_.z[index] = value; }
    void setActive(std::size_t index, std::int32_t value) {
        points_.active[index] = toPointFlag(value);
    }
    void setColour(std::size_t index, std::int32_t value) { points_.colour[index] = value; }
    void setCode(std::size_t index, std::string_view code) { points_.code.set(index, code); }
    // Replaces every point's code; throws std::invalid_argument when the count differs.
    void setCodes(PointCodes codes);

    // Returns the unused capacity of the sequences (after a read of unknown length).
    void releaseSpareCapacity();

    // Bytes the store holds (capacity of every sequence and of the number arena).
    std::size_t allocatedBytes() const;

    // Changes whenever points come or go or a number, X or Y changes, to a value no other
    // state of any store had (copies share it with their content): what the plan's index of
    // point positions is checked against. Heights, flags and colours leave it alone.
    std::uint64_t placementRevision() const { return placementRevision_; }
    // The points whose number, X or Y was set one at a time since the placement revision was
    // `revision`, in the order of the changes (a point may come more than once), so that
    // the plan's index follows a typed cell without being built again. Nothing when points
    // came or went since, or the revision is older than the last kKeptPlacementEdits changes
    // or none of this store's.
    static constexpr std::size_t kKeptPlacementEdits = 64;
    std::optional<std::span<const std::size_t>> placementEditsSince(std::uint64_t revision) const;

private:
    // Points came or went, or were replaced: the edits kept so far no longer tell the change.
    void placementChanged();
    void pointPlaced(std::size_t index);

    PointSequences points_;
    std::uint64_t placementRevision_ = 0;
    // The revision the kept edits start from, the revision after each edit and its point.
    std::uint64_t editsBase_ = 0;
    std::vector<std::uint64_t> editRevisions_;
    std::vector<std::size_t> editedPoints_;
};

// The first point whose number is the text (Windows-1251), byte for byte.
std::optional<std::size_t> findPointNumbered(const PointStore& store, std::string_view number);

}  // namespace korvela
