#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "points/observations.h"

namespace korvela {

// The observation records of an SDR file, read in two steps so that the lines can be parsed
// by several threads: each chunk of lines keeps its records' fields in file order (ids copied
// into the chunk's own names), then one pass in file order applies what each record means for
// those after it (units, vertical option, set-up, target height, set).

// The six options at the end of a 00 header record: angle unit, distance unit, pressure,
// temperature, coordinate order, angles left/right.
using SdrOptions = std::array<char, 6>;
inline constexpr SdrOptions kDefaultSdrOptions{'1', '1', '1', '1', '1', '1'};
// The last six characters of a header record, blanks at its end left out; the defaults when
// the record is shorter.
SdrOptions sdrOptionsOf(std::string_view header);

// The records of a chunk's first lines by kind, to size its vectors for the rest at once.
struct ObservationCounts {
    std::size_t pointRecords = 0;  // 08 and 02: the only SDR records that can be points
    std::size_t sights = 0;        // 09, 07, 11
    std::size_t others = 0;        // every other record (each may carry a context record)
};
void countSdrRecord(std::string_view line, ObservationCounts& counts);

// A record that changes what the sights after it mean.
enum class ContextKind : std::uint8_t {
    Header,         // options: angle unit, distance unit, angles option
    Instrument,     // options[0]: the vertical angle option ('1' zenith, '2' horizon)
    VerticalNote,   // options[0]: as Instrument, from a "Zero VA:" note
    Station,        // name, value: instrument height
    SightFrom,      // name: a sight's station differs from the set-up's
    TargetHeight,   // value
    Set,            // set, options[0]: the bad-set mark (bad unless blank, '0' or 'N')
    TraversePoint,  // point: an 08 TP record read as that point of the chunk
};

struct ContextRecord {
    std::uint32_t sightsBefore = 0;  // the chunk's sights before it
    std::uint32_t index = 0;         // a name of the chunk, or a point of the chunk
    double value = 0;
    std::uint16_t set = 0;
    ContextKind kind = ContextKind::Header;
    std::array<char, 3> options{};
};

// SDR2x 12 records are read like SDR33's, after a 4-character station id.

// One chunk's records: sights with their raw values (angles in the file's unit) and targets
// as the chunk's names; the set-up and the context are filled by assembleObservations.
class ChunkObservations {
public:
    void reserve(const ObservationCounts& counts);
    // Reads an SDR record line; pointsBefore: the chunk's points read before it; readAsPoint:
    // the line became a point.
    void read(std::string_view line, bool sdr2x, std::size_t pointsBefore, bool readAsPoint);

    std::vector<Sight> sights;
    std::vector<ContextRecord> context;
    PointNumbers names;

private:
    std::uint32_t addName(std::string_view name);
    void addContext(ContextRecord record);
    void readSight(std::string_view line, SightKind kind, bool sdr2x);

    std::string station_;       // the station of the chunk's last set-up or sight
    std::string stationField_;  // the station field of the last 02 or sight record, untrimmed
    bool stationKnown_ = false;
    // Whether an 08 TP record here may come from a sight: after a 09 record, or before any
    // record of the chunk (the sequential pass decides).
    bool mayDerive_ = true;
};

// Joins the chunks' records in file order into one list; pointBase[i] is the index in the
// store of chunk i's first point. Each chunk's memory is given back once it is taken. A file
// without sights gives an empty list.
ObservationList assembleObservations(std::span<ChunkObservations> chunks,
                                     std::span<const std::size_t> pointBase,
                                     const SdrOptions& header);

}  // namespace korvela
