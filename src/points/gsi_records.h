#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "points/observations.h"
#include "points/point_store.h"

namespace korvela {

// Leica GSI-8 and GSI-16 files: a line is a sequence of blank-separated words, GSI-16 lines
// starting with '*'. A word: two digits of word index, four characters of index information,
// the input mode and unit digits, the sign, then 8 (GSI-8) or 16 (GSI-16) data characters.

// Whether every blank-separated token of the line (after a leading '*') is a GSI word.
bool isGsiLine(std::string_view line);

// Reads a GSI file line by line in file order:
//  - a line with a point number (word 11) and target coordinates (81 easting = y, 82
//    northing = x, 83 height, in any order) is a point; with station coordinates (84, 85, 86)
//    instead, a station point;
//  - station words (84-86, 88 instrument height), or a code block (first word 41) followed by
//    a point number without readings, start a set-up at that point;
//  - a point number with readings (21 horizontal, 22 zenith, 31 slope or 32 horizontal
//    distance) is a sight from the set-up; 87 sets the target height of the sights from then
//    on. A zenith over 180° is face right; a distance of 0 is not measured;
//  - a point's code is its line's remark (71) or the code of the code block just before it.
// The number's leading zeros are dropped (all zeros is 0); a data field of dashes is no value,
// a missing height 0. Lengths take their unit from each word's unit digit; a file's lengths
// are kept in the unit of its first length word (metres or feet). Lines that hold neither
// points nor observations are counted as skipped.
class GsiReader {
public:
    explicit GsiReader(bool withObservations) : withObservations_(withObservations) {}

    // Room for the points of a file of `lines` lines.
    void reserve(std::size_t lines);
    void read(std::string_view line);

    bool eightDigits() const { return eightDigits_; }
    std::size_t skippedLines() const { return skipped_; }
    // Hands over the points and (when asked for, and some sight was read) the observations.
    PointSequences takePoints();
    ObservationList takeObservations();

private:
    struct Line;
    void startSetUp(std::string_view station, double instrumentHeight);
    void addSight(const Line& line);
    struct CoordinateWords {
        int easting;
        int northing;
        int height;
    };
    void addPoint(const Line& line, const CoordinateWords& from, PointFlag kind,
                  std::string_view code);
    // A length word's value in the file's length unit, or none (absent or dashes).
    std::optional<double> lengthOf(const Line& line, int index);
    double slopeDistanceOf(const Line& line, double zenith);

    bool withObservations_;
    bool eightDigits_ = false;
    std::size_t skipped_ = 0;
    PointSequences points_;
    std::vector<std::pair<std::size_t, std::string>> codes_;
    ObservationList observations_;
    std::optional<DistanceUnit> lengthUnit_;
    std::optional<std::uint32_t> setUp_;
    double targetHeight_ = 0;
    std::string pendingCode_;       // of the code block just before
    bool codeBlockBefore_ = false;  // the line before was a code block
};

}  // namespace korvela
