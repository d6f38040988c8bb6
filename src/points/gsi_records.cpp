#include "points/gsi_records.h"

#include <array>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <numbers>

#include "common/number_parse.h"

namespace korvela {
namespace {

constexpr std::size_t kWordHeader = 6;  // index, index information, input mode, unit
constexpr std::size_t kUnitAt = 5;
constexpr std::size_t kSignAt = 6;
constexpr std::size_t kDataAt = 7;
constexpr std::size_t kNarrowData = 8;
constexpr std::size_t kWideData = 16;

constexpr double kAngleScale = 1e-5;  // angle words carry five implied decimals
constexpr double kDegreesPerGon = 0.9;
constexpr double kDegreesPerMil = 360.0 / 6400.0;
constexpr double kMetresPerFoot = 0.3048;
constexpr double kFaceRightFrom = 180.0;
constexpr std::size_t kNumberBytesPerLineGuess = 8;

// The words read, by index.
enum Word : int {
    kPointNumber = 11,
    kHorizontal = 21,
    kVertical = 22,
    kSlopeDistance = 31,
    kHorizontalDistance = 32,
    kCodeBlock = 41,
    kRemark = 71,
    kTargetEasting = 81,
    kTargetNorthing = 82,
    kTargetHeight = 83,
    kStationEasting = 84,
    kStationNorthing = 85,
    kStationHeight = 86,
    kReflectorHeight = 87,
    kInstrumentHeight = 88,
    kWordCount = 100,
};

// Left uninitialised by default: a line's sixteen are laid out for every line read.
struct GsiWord {
    int index;
    char unit;
    bool negative;
    std::string_view data;
};

bool isDigit(char c) { return c >= '0' && c <= '9'; }

std::optional<GsiWord> wordOf(std::string_view token) {
    if (token.size() != kDataAt + kNarrowData && token.size() != kDataAt + kWideData) {
        return std::nullopt;
    }
    const char sign = token[kSignAt];
    if (!isDigit(token[0]) || !isDigit(token[1]) || (sign != '+' && sign != '-')) {
        return std::nullopt;
    }
    return GsiWord{(token[0] - '0') * 10 + (token[1] - '0'), token[kUnitAt], sign == '-',
                   token.substr(kDataAt)};
}

// Calls visit on each blank-separated token of the line, the leading '*' left out; stops and
// returns false at the first that visit refuses.
template <typename Visit>
bool forEachToken(std::string_view line, Visit visit) {
    line = trimWhiteSpace(line);
    if (line.starts_with('*')) line.remove_prefix(1);
    while (!line.empty()) {
        const std::size_t blank = line.find(' ');
        if (!visit(line.substr(0, blank))) return false;
        line = blank == std::string_view::npos ? std::string_view()
                                               : trimWhiteSpace(line.substr(blank));
    }
    return true;
}

// A point number or code: the data with its leading zeros dropped, "0" when all are zeros.
std::string_view textOf(std::string_view data) {
    const std::size_t first = data.find_first_not_of('0');
    return first == std::string_view::npos ? data.substr(data.size() - 1) : data.substr(first);
}

// Eight characters as a number when all are digits (eight at once: a million lines hold
// three or four such fields each).
std::optional<std::uint64_t> eightDigitsOf(const char* text) {
    constexpr std::uint64_t kZeros = 0x3030303030303030;
    constexpr std::uint64_t kHighNibbles = 0xF0F0F0F0F0F0F0F0;
    std::uint64_t chunk = 0;
    std::memcpy(&chunk, text, sizeof chunk);
    if ((chunk & kHighNibbles) != kZeros ||
        ((chunk + 0x0606060606060606) & kHighNibbles) != kZeros) {
        return std::nullopt;
    }
    chunk -= kZeros;
    // Pairs, then fours, then all eight, the first character the most significant.
    chunk = chunk * 10 + (chunk >> 8);
    chunk = ((chunk & 0x000000FF000000FF) * (100 + (1000000ULL << 32)) +
             ((chunk >> 16) & 0x000000FF000000FF) * (1 + (10000ULL << 32))) >>
            32;
    return chunk;
}

// The data digits as a whole number with the sign, or none (dashes, or anything but digits).
// The data field holds bare digits of a fixed width, 8 or 16, read here without a number
// parser.
std::optional<double> signedDigits(const GsiWord& word) {
    std::uint64_t value = 0;
    for (std::size_t at = 0; at < word.data.size(); at += kNarrowData) {
        const std::optional<std::uint64_t> digits = eightDigitsOf(word.data.data() + at);
        if (!digits) return std::nullopt;
        value = value * 100'000'000 + *digits;
    }
    const auto magnitude = static_cast<double>(value);
    return word.negative ? -magnitude : magnitude;
}

// DDD.MMSSs with the last digit tenths of a second, as a whole number of those tenths.
double sexagesimalDegrees(double digits) {
    const auto tenths = static_cast<long long>(std::llround(std::fabs(digits)));
    const double degrees = static_cast<double>(tenths / 100000) +
                           static_cast<double>(tenths / 1000 % 100) / 60.0 +
                           static_cast<double>(tenths % 1000) / 36000.0;
    return std::copysign(degrees, digits);
}

std::optional<double> angleOf(const GsiWord& word) {
    const std::optional<double> digits = signedDigits(word);
    if (!digits) return std::nullopt;
    switch (word.unit) {
        case '2':
            return *digits * kAngleScale * kDegreesPerGon;
        case '4':
            return sexagesimalDegrees(*digits);
        case '5':
            return *digits * kAngleScale * kDegreesPerMil;
        default:
            return *digits * kAngleScale;
    }
}

struct LengthUnit {
    double scale;
    DistanceUnit unit;
};

LengthUnit lengthUnitOf(char unit) {
    switch (unit) {
        case '1':
            return {1e-3, DistanceUnit::Feet};
        case '6':
            return {1e-4, DistanceUnit::Metres};
        case '7':
            return {1e-4, DistanceUnit::Feet};
        case '8':
            return {1e-5, DistanceUnit::Metres};
        default:
            return {1e-3, DistanceUnit::Metres};
    }
}

double valueOr(const std::optional<double>& value, double fallback) {
    return value ? *value : fallback;
}

}  // namespace

bool isGsiLine(std::string_view line) {
    bool any = false;
    const bool all = forEachToken(line, [&](std::string_view token) {
        any = true;
        return wordOf(token).has_value();
    });
    return all && any;
}

// The words of one line, by index (the last of an index counts; words past the sixteenth of
// a line are left out).
struct GsiReader::Line {
    static constexpr std::size_t kMostWords = 16;
    std::array<std::int8_t, kWordCount> slot;
    std::array<GsiWord, kMostWords> words;
    std::size_t count = 0;
    int first = -1;

    Line() { slot.fill(-1); }
    void add(const GsiWord& word) {
        if (first < 0) first = word.index;
        if (slot[word.index] < 0) {
            if (count == kMostWords) return;
            slot[word.index] = static_cast<std::int8_t>(count++);
        }
        words[static_cast<std::size_t>(slot[word.index])] = word;
    }
    bool has(int index) const { return slot[index] >= 0; }
    const GsiWord& operator[](int index) const {
        return words[static_cast<std::size_t>(slot[index])];
    }
    bool hasAny(std::initializer_list<int> indices) const {
        for (const int index : indices) {
            if (has(index)) return true;
        }
        return false;
    }
};

std::optional<double> GsiReader::lengthOf(const Line& line, int index) {
    if (!line.has(index)) return std::nullopt;
    const std::optional<double> digits = signedDigits(line[index]);
    if (!digits) return std::nullopt;
    const LengthUnit unit = lengthUnitOf(line[index].unit);
    if (!lengthUnit_) lengthUnit_ = unit.unit;
    const double value = *digits * unit.scale;
    if (unit.unit == *lengthUnit_) return value;
    return unit.unit == DistanceUnit::Feet ? value * kMetresPerFoot : value / kMetresPerFoot;
}

void GsiReader::read(std::string_view line) {
    Line words;
    const bool gsi = forEachToken(line, [&](std::string_view token) {
        const std::optional<GsiWord> word = wordOf(token);
        if (!word) return false;
        if (word->data.size() == kNarrowData) eightDigits_ = true;
        words.add(*word);
        return true;
    });
    if (trimWhiteSpace(line).empty()) return;
    if (!gsi) {
        ++skipped_;
        return;
    }
    const bool codeBlockBefore = std::exchange(codeBlockBefore_, false);
    if (words.first == kCodeBlock) {
        pendingCode_ = textOf(words[kCodeBlock].data);
        codeBlockBefore_ = true;
        return;
    }
    if (words.has(kReflectorHeight)) targetHeight_ = valueOr(lengthOf(words, kReflectorHeight), 0);
    const std::string_view number =
        words.has(kPointNumber) ? textOf(words[kPointNumber].data) : std::string_view();
    const bool readings =
        words.hasAny({kHorizontal, kVertical, kSlopeDistance, kHorizontalDistance});
    const bool stationWords =
        words.hasAny({kStationEasting, kStationNorthing, kStationHeight, kInstrumentHeight});
    const bool target = words.hasAny({kTargetEasting, kTargetNorthing, kTargetHeight});
    const bool station = stationWords || (codeBlockBefore && words.has(kPointNumber) && !readings);
    const std::string_view code =
        words.has(kRemark) ? textOf(words[kRemark].data) : std::string_view(pendingCode_);

    bool used = false;
    if (station) {
        startSetUp(number, valueOr(lengthOf(words, kInstrumentHeight), 0));
        used = true;
    }
    if (words.has(kPointNumber) && target) {
        addPoint(words, {kTargetEasting, kTargetNorthing, kTargetHeight}, kKindPoint, code);
        used = true;
    } else if (words.has(kPointNumber) &&
               words.hasAny({kStationEasting, kStationNorthing, kStationHeight})) {
        addPoint(words, {kStationEasting, kStationNorthing, kStationHeight}, kKindStation, code);
        used = true;
    }
    if (readings && words.has(kPointNumber)) {
        addSight(words);
        used = true;
    }
    if (used) {
        pendingCode_.clear();
    } else {
        ++skipped_;
    }
}

void GsiReader::startSetUp(std::string_view station, double instrumentHeight) {
    if (!withObservations_) return;
    observations_.names.append(station);
    setUp_ = static_cast<std::uint32_t>(observations_.setUps.size());
    observations_.setUps.push_back({static_cast<std::uint32_t>(observations_.names.size() - 1),
                                    instrumentHeight, VerticalReading::Zenith});
}

void GsiReader::addSight(const Line& line) {
    if (!withObservations_) return;
    if (!setUp_) startSetUp({}, 0);  // sights before any station: a station without a name
    Sight sight;
    sight.setUp = *setUp_;
    observations_.names.append(textOf(line[kPointNumber].data));
    sight.target = static_cast<std::uint32_t>(observations_.names.size() - 1);
    sight.targetHeight = targetHeight_;
    if (line.has(kHorizontal)) sight.value[0] = valueOr(angleOf(line[kHorizontal]), kNotRecorded);
    if (line.has(kVertical)) sight.value[1] = valueOr(angleOf(line[kVertical]), kNotRecorded);
    sight.value[2] = slopeDistanceOf(line, sight.value[1]);
    sight.kind = recorded(sight.value[1]) && sight.value[1] > kFaceRightFrom ? SightKind::FaceRight
                                                                             : SightKind::FaceLeft;
    observations_.sights.push_back(sight);
}

// The slope distance, or one from the horizontal distance and the zenith; 0 is not measured.
double GsiReader::slopeDistanceOf(const Line& line, double zenith) {
    const double slope = valueOr(lengthOf(line, kSlopeDistance), 0);
    if (slope != 0) return slope;
    const double horizontal = valueOr(lengthOf(line, kHorizontalDistance), 0);
    const double sine = recorded(zenith) ? std::sin(zenith * std::numbers::pi / 180) : 0;
    return horizontal != 0 && sine != 0 ? horizontal / sine : kNotRecorded;
}

// A point numbered by word 11, y from the easting word, x from the northing word.
void GsiReader::addPoint(const Line& line, const CoordinateWords& from, PointFlag kind,
                         std::string_view code) {
    if (!code.empty()) codes_.emplace_back(points_.x.size(), std::string(code));
    points_.number.append(textOf(line[kPointNumber].data));
    points_.x.push_back(valueOr(lengthOf(line, from.northing), 0));
    points_.y.push_back(valueOr(lengthOf(line, from.easting), 0));
    points_.z.push_back(valueOr(lengthOf(line, from.height), 0));
    points_.kind.push_back(kind);
}

void GsiReader::reserve(std::size_t lines) {
    points_.number.reserve(lines, lines * kNumberBytesPerLineGuess);
    points_.x.reserve(lines);
    points_.y.reserve(lines);
    points_.z.reserve(lines);
    points_.kind.reserve(lines);
}

PointSequences GsiReader::takePoints() {
    const std::size_t count = points_.x.size();
    // Room made for lines that held no point is given back.
    points_.x.shrink_to_fit();
    points_.y.shrink_to_fit();
    points_.z.shrink_to_fit();
    points_.kind.shrink_to_fit();
    points_.number.shrinkToFit();
    points_.active.assign(count, 1);
    points_.colour.assign(count, kColourAqua);
    std::vector<std::pair<std::size_t, std::string_view>> codes;
    codes.reserve(codes_.size());
    for (const auto& [index, code] : codes_) codes.emplace_back(index, code);
    points_.code = PointCodes::fromSparse(count, codes);
    return std::move(points_);
}

ObservationList GsiReader::takeObservations() {
    if (observations_.sights.empty()) return {};
    if (lengthUnit_) observations_.distanceUnit = *lengthUnit_;
    return std::move(observations_);
}

}  // namespace korvela
