#include "points/project_extension.h"

#include <bit>
#include <cstddef>
#include <cstring>
#include <type_traits>

namespace korvela {
namespace {

// Fixed bytes of each record in the observations payload.
constexpr std::size_t kNameBytes = 4;                       // length, then the bytes
constexpr std::size_t kSetUpBytes = 4 + 8 + 1;              // station, height, vertical
constexpr std::size_t kSightBytes = 4 + 4 + 1 + 1 + 2 + 8 + 3 * 8;
constexpr std::size_t kDerivedBytes = 4 + 4;
constexpr std::uint8_t kExcludedBit = 1;
constexpr std::uint8_t kBadSetBit = 2;
constexpr std::uint8_t kLastSightKind = static_cast<std::uint8_t>(SightKind::Reduced);
constexpr std::uint8_t kLastVertical = static_cast<std::uint8_t>(VerticalReading::AssumedZenith);

template <std::size_t Size>
using UnsignedOfSize = std::conditional_t<
    Size == 8, std::uint64_t,
    std::conditional_t<Size == 4, std::uint32_t,
                       std::conditional_t<Size == 2, std::uint16_t, std::uint8_t>>>;

// Little-endian whatever the machine: byte by byte.
class Writer {
public:
    template <typename T>
    void put(T value) {
        using Bits = UnsignedOfSize<sizeof(T)>;
        auto bits = std::bit_cast<Bits>(value);
        for (std::size_t i = 0; i < sizeof(T); ++i, bits = static_cast<Bits>(bits >> 4 >> 4)) {
            bytes_ += static_cast<char>(bits & 0xFF);
        }
    }
    void text(std::string_view text) {
        put(static_cast<std::uint32_t>(text.size()));
        bytes_ += text;
    }
    std::string& bytes() { return bytes_; }

private:
    std::string bytes_;
};

struct Damaged {};

class Reader {
public:
    explicit Reader(std::string_view bytes) : bytes_(bytes) {}

    template <typename T>
    T get() {
        using Bits = UnsignedOfSize<sizeof(T)>;
        const std::string_view taken = take(sizeof(T));
        Bits bits = 0;
        for (std::size_t i = sizeof(T); i-- > 0;) {
            bits = static_cast<Bits>(bits << 4 << 4) | static_cast<unsigned char>(taken[i]);
        }
        return std::bit_cast<T>(bits);
    }
    std::string_view take(std::size_t count) {
        if (count > bytes_.size()) throw Damaged{};
        const std::string_view taken = bytes_.substr(0, count);
        bytes_.remove_prefix(count);
        return taken;
    }
    // A count of records of at least `bytesEach` bytes, checked against what remains.
    std::size_t count(std::size_t bytesEach) {
        const auto value = get<std::uint32_t>();
        if (value > bytes_.size() / bytesEach) throw Damaged{};
        return value;
    }
    // An index below `limit`.
    std::uint32_t index(std::size_t limit) {
        const auto value = get<std::uint32_t>();
        if (value >= limit) throw Damaged{};
        return value;
    }
    std::uint8_t upTo(std::uint8_t last) {
        const auto value = get<std::uint8_t>();
        if (value > last) throw Damaged{};
        return value;
    }
    bool atEnd() const { return bytes_.empty(); }

private:
    std::string_view bytes_;
};

std::string observationsPayload(const ObservationList& list) {
    Writer out;
    out.put(static_cast<std::uint8_t>(list.distanceUnit));
    out.put(list.anglesOption);
    out.put(static_cast<std::uint32_t>(list.names.size()));
    for (const std::string_view name : list.names) out.text(name);
    out.put(static_cast<std::uint32_t>(list.setUps.size()));
    for (const StationSetUp& setUp : list.setUps) {
        out.put(setUp.station);
        out.put(setUp.instrumentHeight);
        out.put(static_cast<std::uint8_t>(setUp.vertical));
    }
    out.put(static_cast<std::uint32_t>(list.sights.size()));
    for (const Sight& sight : list.sights) {
        out.put(sight.setUp);
        out.put(sight.target);
        out.put(static_cast<std::uint8_t>(sight.kind));
        out.put(static_cast<std::uint8_t>((sight.excluded ? kExcludedBit : 0) |
                                          (sight.inBadSet ? kBadSetBit : 0)));
        out.put(sight.set);
        out.put(sight.targetHeight);
        for (const double value : sight.value) out.put(value);
    }
    out.put(static_cast<std::uint32_t>(list.derived.size()));
    for (const DerivedPoint& derived : list.derived) {
        out.put(derived.point);
        out.put(derived.sight);
    }
    return std::move(out.bytes());
}

ObservationList readObservations(std::string_view payload) {
    Reader in(payload);
    ObservationList list;
    list.distanceUnit = static_cast<DistanceUnit>(in.upTo(1));
    list.anglesOption = in.get<char>();
    const std::size_t names = in.count(kNameBytes);
    for (std::size_t i = 0; i < names; ++i) {
        list.names.append(in.take(in.count(1)));
    }
    list.setUps.resize(in.count(kSetUpBytes));
    for (StationSetUp& setUp : list.setUps) {
        setUp.station = in.index(names);
        setUp.instrumentHeight = in.get<double>();
        setUp.vertical = static_cast<VerticalReading>(in.upTo(kLastVertical));
    }
    list.sights.resize(in.count(kSightBytes));
    for (Sight& sight : list.sights) {
        sight.setUp = in.index(list.setUps.size());
        sight.target = in.index(names);
        sight.kind = static_cast<SightKind>(in.upTo(kLastSightKind));
        const std::uint8_t flags = in.upTo(kExcludedBit | kBadSetBit);
        sight.excluded = (flags & kExcludedBit) != 0;
        sight.inBadSet = (flags & kBadSetBit) != 0;
        sight.set = in.get<std::uint16_t>();
        sight.targetHeight = in.get<double>();
        for (double& value : sight.value) value = in.get<double>();
    }
    list.derived.resize(in.count(kDerivedBytes));
    for (DerivedPoint& derived : list.derived) {
        derived.point = in.get<std::uint32_t>();
        derived.sight = in.index(list.sights.size());
    }
    if (!in.atEnd()) throw Damaged{};
    return list;
}

std::string codesPayload(const PointCodes& codes) {
    Writer out;
    std::uint32_t coded = 0;
    for (std::size_t i = 0; i < codes.size(); ++i) coded += codes[i].empty() ? 0 : 1;
    out.put(coded);
    for (std::size_t i = 0; i < codes.size(); ++i) {
        if (codes[i].empty()) continue;
        out.put(static_cast<std::uint32_t>(i));
        out.text(codes[i]);
    }
    return std::move(out.bytes());
}

PointCodes readCodes(std::string_view payload, std::size_t pointCount) {
    Reader in(payload);
    const std::size_t coded = in.count(4 + kNameBytes);
    std::vector<std::pair<std::size_t, std::string_view>> codes;
    for (std::size_t i = 0; i < coded; ++i) {
        const std::uint32_t index = in.index(pointCount);
        if (!codes.empty() && index <= codes.back().first) throw Damaged{};
        codes.emplace_back(index, in.take(in.count(1)));
    }
    if (!in.atEnd()) throw Damaged{};
    return PointCodes::fromSparse(pointCount, codes);
}

void putBlock(Writer& out, ProjectBlockKind kind, std::uint32_t version, std::string_view payload) {
    out.put(static_cast<std::uint32_t>(kind));
    out.put(version);
    out.put(static_cast<std::uint64_t>(payload.size()));
    out.bytes() += payload;
}

}  // namespace

std::string projectExtensionBytes(const ObservationList& observations, const PointCodes& codes) {
    if (observations.empty() && !codes.any()) return {};
    Writer out;
    out.bytes() += kProjectExtensionTag;
    if (!observations.empty()) {
        putBlock(out, ProjectBlockKind::Observations, kObservationsBlockVersion,
                 observationsPayload(observations));
    }
    if (codes.any()) putBlock(out, ProjectBlockKind::Codes, kCodesBlockVersion, codesPayload(codes));
    return std::move(out.bytes());
}

ProjectExtension readProjectExtension(std::string_view blocks, std::size_t pointCount) {
    ProjectExtension extension;
    extension.codes.fitCount(pointCount);
    Reader in(blocks);
    try {
        while (!in.atEnd()) {
            const auto kind = static_cast<ProjectBlockKind>(in.get<std::uint32_t>());
            const auto version = in.get<std::uint32_t>();
            const auto length = in.get<std::uint64_t>();
            const std::string_view payload = in.take(length);
            if (kind == ProjectBlockKind::Observations && version == kObservationsBlockVersion) {
                extension.observations = readObservations(payload);
            } else if (kind == ProjectBlockKind::Codes && version == kCodesBlockVersion) {
                extension.codes = readCodes(payload, pointCount);
            }
        }
    } catch (const Damaged&) {
        extension = ProjectExtension();
        extension.codes.fitCount(pointCount);
        extension.damaged = true;
    }
    return extension;
}

}  // namespace korvela
