#include "points/observation_records.h"

#include <sys/mman.h>

#include <cstdint>
#include <limits>
#include <optional>
#include <stdexcept>
#include <utility>

#include "common/number_parse.h"

namespace korvela {
namespace {

// SDR33 ids and values are 16 characters wide; SDR2x ids 4 and values 10.
struct SdrWidths {
    std::size_t id;
    std::size_t value;
};
constexpr SdrWidths kSdr33Widths{16, 16};
constexpr SdrWidths kSdr2xWidths{4, 10};
constexpr std::size_t kRecordBodyAt = 4;  // after the record type and derivation code
constexpr std::size_t kVerticalOptionAt = 50;
constexpr std::size_t kSetCountWidth = 3;
constexpr std::size_t kSetNumberWidth = 3;
constexpr std::string_view kZeroVerticalNote = "Zero VA:";

constexpr double kDegreesPerGon = 0.9;
constexpr double kDegreesPerMil = 360.0 / 6400.0;

constexpr std::uintptr_t kHugePage = std::uintptr_t{2} << 20;

// Asks for huge pages under a large vector's memory: a million sights written into fresh
// 4 KiB pages spend more time in page faults than in parsing.
template <typename T>
void adviseHugePages(const std::vector<T>& values) {
    const auto begin = reinterpret_cast<std::uintptr_t>(values.data());
    const std::uintptr_t end = begin + values.capacity() * sizeof(T);
    const std::uintptr_t first = (begin + kHugePage - 1) & ~(kHugePage - 1);
    const std::uintptr_t last = end & ~(kHugePage - 1);
    if (last > first) {
        ::madvise(reinterpret_cast<void*>(first), last - first, MADV_HUGEPAGE);
    }
}

std::string_view rawField(std::string_view line, std::size_t at, std::size_t width) {
    return at >= line.size() ? std::string_view() : line.substr(at, width);
}

// A value field: not recorded when it is blank or holds no number.
double valueOf(std::string_view field) {
    const NumberPrefix number = scanNumberPrefix(field);
    return number.length == 0 ? kNotRecorded : number.value;
}

// Where a record's fields stand: two ids, then values.
struct RecordFields {
    std::string_view line;
    SdrWidths widths;

    std::string_view fromField() const { return rawField(line, kRecordBodyAt, widths.id); }
    std::string_view from() const { return trimWhiteSpace(fromField()); }
    std::string_view to() const {
        return trimWhiteSpace(rawField(line, kRecordBodyAt + widths.id, widths.id));
    }
    // The n-th value after `ids` ids.
    double value(std::size_t ids, std::size_t n) const {
        return valueOf(rawField(line, kRecordBodyAt + ids * widths.id + n * widths.value,
                                widths.value));
    }
};

std::optional<SightKind> faceOf(std::string_view derivation) {
    if (derivation == "F1") return SightKind::FaceLeft;
    if (derivation == "F2") return SightKind::FaceRight;
    if (derivation == "MD") return SightKind::Mean;
    if (derivation == "MC") return SightKind::Corrected;
    return std::nullopt;
}

bool isSightRecord(std::string_view type) {
    return type == "09" || type == "07" || type == "11";
}

char verticalOptionOfNote(std::string_view note) {
    note = trimWhiteSpace(note);
    if (!note.starts_with(kZeroVerticalNote)) return ' ';
    const std::string_view zero = trimWhiteSpace(note.substr(kZeroVerticalNote.size()));
    if (zero.starts_with("Zenith")) return '1';
    if (zero.starts_with("Horizon")) return '2';
    return ' ';
}

double angleFactorOf(char unit) {
    switch (unit) {
        case '2': return kDegreesPerGon;
        case '3': return kDegreesPerMil;
        default: return 1.0;
    }
}

// Which of a sight's three values are angles, by kind (see Sight).
std::array<bool, 3> anglesOf(SightKind kind) { return {true, kind != SightKind::Reduced, false}; }

// The state the records before a sight leave for it.
class Assembler {
public:
    Assembler(ObservationList& list, const SdrOptions& header) : list_(list) {
        applyHeader({header[0], header[1], header[5]});
    }

    // An 08 TP record comes from the 09 record right before it (notes and other TP records
    // aside).
    void apply(const ContextRecord& record, std::uint32_t nameBase, std::size_t pointBase) {
        if (record.kind != ContextKind::TraversePoint && record.kind != ContextKind::VerticalNote) {
            lastSight_.reset();
        }
        switch (record.kind) {
            case ContextKind::Header: return applyHeader(record.options);
            case ContextKind::Instrument:
                instrumentVertical_ = record.options[0];
                return;
            case ContextKind::VerticalNote:
                noteVertical_ = record.options[0];
                return;
            case ContextKind::Station:
                return startSetUp(nameBase + record.index, record.value);
            case ContextKind::SightFrom:
                if (!setUp_ || list_.names[list_.setUps[*setUp_].station] !=
                                   list_.names[nameBase + record.index]) {
                    startSetUp(nameBase + record.index, 0);
                }
                return;
            case ContextKind::TargetHeight:
                targetHeight_ = recorded(record.value) ? record.value : 0;
                return;
            case ContextKind::Set:
                set_ = record.set;
                badSet_ = record.options[0] != ' ' && record.options[0] != '0' &&
                          record.options[0] != 'N';
                return;
            case ContextKind::TraversePoint:
                if (lastSight_) {
                    list_.derived.push_back(
                        {static_cast<std::uint32_t>(pointBase + record.index), *lastSight_});
                }
                return;
        }
    }

    // The sight, already in the list at `index`, takes the context.
    void add(std::uint32_t index, std::uint32_t nameBase) {
        Sight& sight = list_.sights[index];
        if (!setUp_) startSetUp(nameOfNoStation(), 0);
        sight.setUp = *setUp_;
        sight.target += nameBase;
        sight.targetHeight = targetHeight_;
        sight.set = set_;
        sight.inBadSet = badSet_;
        const std::array<bool, 3> angles = anglesOf(sight.kind);
        for (std::size_t i = 0; i < angles.size(); ++i) {
            if (angles[i]) sight.value[i] *= angleFactor_;
        }
        if (sight.kind == SightKind::Backsight || sight.kind == SightKind::Reduced) {
            lastSight_.reset();
        } else {
            lastSight_ = index;
        }
    }

private:
    void applyHeader(const std::array<char, 3>& options) {
        angleFactor_ = angleFactorOf(options[0]);
        list_.distanceUnit = options[1] == '2' ? DistanceUnit::Feet : DistanceUnit::Metres;
        list_.anglesOption = options[2];
    }

    VerticalReading vertical() const {
        for (const char option : {instrumentVertical_, noteVertical_}) {
            if (option == '1') return VerticalReading::Zenith;
            if (option == '2') return VerticalReading::Horizon;
        }
        return VerticalReading::AssumedZenith;
    }

    void startSetUp(std::uint32_t station, double instrumentHeight) {
        setUp_ = static_cast<std::uint32_t>(list_.setUps.size());
        list_.setUps.push_back(
            {station, recorded(instrumentHeight) ? instrumentHeight : 0, vertical()});
        set_ = 0;
        badSet_ = false;
        lastSight_.reset();
    }

    // Sights before any station record belong to a station without a name.
    std::uint32_t nameOfNoStation() {
        list_.names.append({});
        return static_cast<std::uint32_t>(list_.names.size() - 1);
    }

    ObservationList& list_;
    double angleFactor_ = 1;
    char instrumentVertical_ = ' ';
    char noteVertical_ = ' ';
    std::optional<std::uint32_t> setUp_;
    std::optional<std::uint32_t> lastSight_;
    double targetHeight_ = 0;
    std::uint16_t set_ = 0;
    bool badSet_ = false;
};

// Moves one chunk's sights into the list (the first and only chunk's vector as it is), then
// applies its records in file order.
void assembleChunk(ChunkObservations& chunk, bool onlyChunk, std::uint32_t nameBase,
                   std::size_t pointBase, ObservationList& list, Assembler& assembler) {
    const auto first = static_cast<std::uint32_t>(list.sights.size());
    if (onlyChunk) {
        list.sights = std::move(chunk.sights);
    } else {
        list.sights.insert(list.sights.end(), chunk.sights.begin(), chunk.sights.end());
    }
    const auto end = static_cast<std::uint32_t>(list.sights.size());
    std::uint32_t next = first;
    for (const ContextRecord& record : chunk.context) {
        for (; next < first + record.sightsBefore; ++next) assembler.add(next, nameBase);
        assembler.apply(record, nameBase, pointBase);
    }
    for (; next < end; ++next) assembler.add(next, nameBase);
    chunk = ChunkObservations();  // its memory goes before the next chunk's is copied
}

}  // namespace

SdrOptions sdrOptionsOf(std::string_view header) {
    while (!header.empty() && (header.back() == ' ' || header.back() == '\r')) {
        header.remove_suffix(1);
    }
    // Options follow the date and time: a header whose last six characters are still its
    // version (a short hand-written one) holds none.
    constexpr std::size_t kDateTimeAt = 24;
    SdrOptions options = kDefaultSdrOptions;
    if (header.size() < kDateTimeAt + options.size()) return options;
    header.substr(header.size() - options.size()).copy(options.data(), options.size());
    return options;
}

void countSdrRecord(std::string_view line, ObservationCounts& counts) {
    const std::string_view type = line.substr(0, 2);
    if (type == "08" || type == "02") {
        ++counts.pointRecords;
        ++counts.others;
    } else if (isSightRecord(type)) {
        ++counts.sights;
    } else {
        ++counts.others;
    }
}

void ChunkObservations::reserve(const ObservationCounts& counts) {
    sights.reserve(counts.sights);
    adviseHugePages(sights);
    // A sight from another station than the one before adds a record.
    context.reserve(counts.others + counts.sights);
    const std::size_t names = counts.sights + counts.others;
    this->names.reserve(names, names * kSdr33Widths.id);
}

std::uint32_t ChunkObservations::addName(std::string_view name) {
    names.append(name);
    return static_cast<std::uint32_t>(names.size() - 1);
}

void ChunkObservations::addContext(ContextRecord record) {
    if (record.kind != ContextKind::TraversePoint && record.kind != ContextKind::VerticalNote) {
        mayDerive_ = false;
    }
    record.sightsBefore = static_cast<std::uint32_t>(sights.size());
    context.push_back(record);
}

void ChunkObservations::read(std::string_view line, bool sdr2x, std::size_t pointsBefore,
                             bool readAsPoint) {
    if (line.size() < kRecordBodyAt) return;
    const std::string_view type = line.substr(0, 2);
    const std::string_view derivation = line.substr(2, 2);
    const RecordFields fields{line, sdr2x ? kSdr2xWidths : kSdr33Widths};
    if (isSightRecord(type)) {
        const std::optional<SightKind> kind = type == "07"   ? SightKind::Backsight
                                              : type == "11" ? SightKind::Reduced
                                                             : faceOf(derivation);
        if (kind) readSight(line, *kind, sdr2x);
    } else if (type == "00") {
        const SdrOptions options = sdrOptionsOf(line);
        addContext({.kind = ContextKind::Header, .options = {options[0], options[1], options[5]}});
    } else if (type == "01") {
        const char option = kVerticalOptionAt < line.size() ? line[kVerticalOptionAt] : ' ';
        addContext({.kind = ContextKind::Instrument, .options = {option}});
    } else if (type == "13") {
        const char option = verticalOptionOfNote(line.substr(kRecordBodyAt));
        if (option != ' ') addContext({.kind = ContextKind::VerticalNote, .options = {option}});
    } else if (type == "02") {
        stationField_ = fields.fromField();
        station_ = fields.from();
        stationKnown_ = true;
        addContext({.index = addName(station_), .value = fields.value(1, 3),
                    .kind = ContextKind::Station});
    } else if (type == "03") {
        addContext({.value = fields.value(0, 0), .kind = ContextKind::TargetHeight});
    } else if (type == "12") {
        const std::size_t at = kRecordBodyAt + fields.widths.id + kSetCountWidth;
        const double set = valueOf(rawField(line, at, kSetNumberWidth));
        const bool setFits = set >= 0 && set <= std::numeric_limits<std::uint16_t>::max();
        const std::size_t markAt = at + kSetNumberWidth;
        addContext({.set = static_cast<std::uint16_t>(setFits ? set : 0),
                    .kind = ContextKind::Set,
                    .options = {markAt < line.size() ? line[markAt] : ' '}});
    } else if (type == "08" && derivation == "TP" && readAsPoint && mayDerive_) {
        addContext({.index = static_cast<std::uint32_t>(pointsBefore),
                    .kind = ContextKind::TraversePoint});
    }
}

// Values by kind (see Sight): 09 holds SD, vertical, horizontal; 07 azimuth, reading; 11
// azimuth, horizontal distance, vertical distance.
void ChunkObservations::readSight(std::string_view line, SightKind kind, bool sdr2x) {
    const RecordFields fields{line, sdr2x ? kSdr2xWidths : kSdr33Widths};
    // Most sights come from the station of the sight before, field for field.
    if (!stationKnown_ || fields.fromField() != stationField_) {
        stationField_ = fields.fromField();
        const std::string_view from = fields.from();
        if (!from.empty() && (!stationKnown_ || from != station_)) {
            station_ = from;
            stationKnown_ = true;
            addContext({.index = addName(from), .kind = ContextKind::SightFrom});
        }
    }
    Sight sight;
    sight.kind = kind;
    sight.target = addName(fields.to());
    switch (kind) {
        case SightKind::Backsight:
            sight.value[0] = fields.value(2, 1);
            sight.value[1] = fields.value(2, 0);
            break;
        case SightKind::Reduced:
            for (std::size_t i = 0; i < 3; ++i) sight.value[i] = fields.value(2, i);
            break;
        default:
            sight.value[0] = fields.value(2, 2);
            sight.value[1] = fields.value(2, 1);
            sight.value[2] = fields.value(2, 0);
    }
    sights.push_back(sight);
    mayDerive_ = kind != SightKind::Backsight && kind != SightKind::Reduced;
}

ObservationList assembleObservations(std::span<ChunkObservations> chunks,
                                     std::span<const std::size_t> pointBase,
                                     const SdrOptions& header) {
    ObservationList list;
    std::size_t sights = 0;
    std::size_t nameBytes = 0;
    std::vector<std::uint32_t> nameBase;  // of each chunk's first name in the list
    std::uint32_t names = 0;
    for (const ChunkObservations& chunk : chunks) {
        sights += chunk.sights.size();
        nameBase.push_back(names);
        names += static_cast<std::uint32_t>(chunk.names.size());
        for (const std::string_view name : chunk.names) nameBytes += name.size();
    }
    if (nameBytes > std::numeric_limits<std::uint32_t>::max()) {
        throw std::length_error("observation ids over 4 GiB");
    }
    if (sights == 0) return list;  // stations alone are points, not observations
    // One chunk's records become the list's as they are; several are joined.
    if (chunks.size() == 1) {
        list.names = std::move(chunks[0].names);
    } else {
        list.names.reserve(names + 1, nameBytes);
        for (ChunkObservations& chunk : chunks) {
            for (const std::string_view name : chunk.names) list.names.append(name);
            chunk.names = PointNumbers();
        }
    }
    if (chunks.size() > 1) list.sights.reserve(sights);
    Assembler assembler(list, header);
    for (std::size_t c = 0; c < chunks.size(); ++c) {
        assembleChunk(chunks[c], chunks.size() == 1, nameBase[c], pointBase[c], list, assembler);
    }
    return list;
}

}  // namespace korvela
