#include "points/survey_reader.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <exception>
#include <limits>
#include <new>
#include <span>
#include <stdexcept>
#include <thread>
#include <vector>

#include "common/number_parse.h"
#include "common/regular_file.h"
#include "points/gsi_records.h"
#include "points/line_chunks.h"
#include "points/listing_layout.h"
#include "points/observation_records.h"
#include "points/point_store.h"

namespace korvela {
namespace {

constexpr std::string_view kSdrMarker = "NMSDR";
constexpr std::string_view kSdrHeaderRecord = "00";
constexpr std::string_view kSdr2xVersion = "SDR2";
constexpr std::string_view kCoordinateRecord =
    "08";  // whatever the derivation code: TP, KI, CO, ...
constexpr std::string_view kStationRecord = "02";
constexpr std::string_view kCommaMarker = ",--------,";
constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

// A comms transmission is framed by a line holding only STX and a line starting with ETX;
// some programs save the two as the texts <STX> and <ETX>.
constexpr std::string_view kStartOfText = "\x02";
constexpr std::string_view kStartOfTextWritten = "<STX>";
constexpr std::string_view kEndOfText = "\x03";
constexpr std::string_view kEndOfTextWritten = "<ETX>";

// Record fields: positions from 0, as the instruments and the text export write them.
constexpr std::size_t kListingShortestRow = 28;
constexpr std::size_t kSdrLinesAfterHeader = 3;  // may hold records, other lines are skipped
constexpr std::size_t kCoordinatesAt = 20;       // formats B and C: x, y, z as tokens from here

// SDR33 point ids stand in the 16-character field 4-19, right-aligned (some converters
// left-align them). Ids of up to five characters sit wholly in positions 15-19.
constexpr std::size_t kSdrIdFieldAt = 4;
constexpr std::size_t kSdrShortIdAt = 15;
constexpr std::size_t kSdrIdEnd = 20;

// The 00 header record: the version text (SDR2x or SDR33) and the coordinate-order option,
// where '2' means easting, northing, elevation.
constexpr std::size_t kSdrVersionAt = 4;
constexpr std::size_t kSdrCoordinateOrderAt = 44;
constexpr char kEastingFirst = '2';

// Comma point listings without the marker: P,N,E,Z or P,N,E,Z,DESCRIPTION.
constexpr std::size_t kPlainListingFewestFields = 4;
constexpr std::size_t kPlainListingMostFields = 5;

struct Field {
    std::size_t at;
    std::size_t width;
};
constexpr Field kListingNumber{kListingNumberColumn, kListingXColumn - kListingNumberColumn};
constexpr Field kListingX{kListingXColumn, kListingYColumn - kListingXColumn};
constexpr Field kListingY{kListingYColumn, kListingZColumn - kListingYColumn};
constexpr Field kListingZ{kListingZColumn, kListingX.width};  // as wide as x and y

// SDR33 records: three 16-character value fields; a record reaching the elevation field's
// end is read by them.
constexpr std::array<Field, 3> kSdr33Values{{{20, 16}, {36, 16}, {52, 16}}};
constexpr std::size_t kSdr33FullRecord = 68;
// The description of an 08 record: the point's code.
constexpr Field kSdr33Description{68, 16};
constexpr Field kSdr2xDescription{38, 16};

// SDR2x records: a 4-character id and three 10-character values that may touch.
constexpr Field kSdr2xNumber{4, 4};
constexpr std::array<Field, 3> kSdr2xValues{{{8, 10}, {18, 10}, {28, 10}}};
constexpr std::size_t kSdr2xShortestRecord = 28;  // the elevation field may be blank or cut

constexpr std::size_t kMostThreads = 8;

std::string_view field(std::string_view line, Field where) {
    if (where.at >= line.size()) return {};
    return trimWhiteSpace(line.substr(where.at, where.width));
}

bool isBlank(char c) { return trimWhiteSpace(std::string_view(&c, 1)).empty(); }

// The id of an SDR33 record longer than 20 characters: positions 15-19, extended to the left
// as long as the id runs on without a blank; when 15-19 are blank, the id was written
// left-aligned and is the trimmed field.
std::string_view sdrPointNumber(std::string_view line) {
    const std::string_view shortId = line.substr(kSdrShortIdAt, kSdrIdEnd - kSdrShortIdAt);
    if (trimWhiteSpace(shortId).empty()) {
        return trimWhiteSpace(line.substr(kSdrIdFieldAt, kSdrIdEnd - kSdrIdFieldAt));
    }
    std::size_t start = kSdrShortIdAt;
    if (!isBlank(line[start])) {
        while (start > kSdrIdFieldAt && !isBlank(line[start - 1])) --start;
    }
    return trimWhiteSpace(line.substr(start, kSdrIdEnd - start));
}

bool isStartOfTextLine(std::string_view line) {
    if (line.ends_with('\r')) line.remove_suffix(1);
    return line == kStartOfText || line == kStartOfTextWritten;
}

bool isEndOfTextLine(std::string_view line) {
    return line.starts_with(kEndOfText) || line.starts_with(kEndOfTextWritten);
}

using Values = std::array<std::string_view, 3>;

// Splits a line at its commas into at most N fields; 0 when it has more.
template <std::size_t N>
std::size_t splitCommaFields(std::string_view line, std::array<std::string_view, N>& fields) {
    std::size_t count = 0;
    std::size_t start = 0;
    while (true) {
        if (count == N) return 0;
        const std::size_t comma = line.find(',', start);
        fields[count++] =
            line.substr(start, comma == std::string_view::npos ? comma : comma - start);
        if (comma == std::string_view::npos) return count;
        start = comma + 1;
    }
}

// Text in pieces that stand apart as if blanks joined them: a record whose blanks stand in for
// some of its characters is read without being copied.
class TextPieces {
public:
    void add(std::string_view piece) {
        if (!piece.empty()) pieces_[count_++] = piece;
    }
    // Adds text split at its first commas, while `commas` lasts (counted down), leaving out its
    // first `skip` characters.
    void addSplitAtCommas(std::string_view text, std::size_t skip, std::size_t& commas) {
        std::size_t start = 0;
        while (true) {
            const std::size_t comma = commas > 0 ? text.find(',', start) : std::string_view::npos;
            const std::size_t from = std::max(start, skip);
            const std::size_t end = std::min(comma, text.size());
            if (end > from) add(text.substr(from, end - from));
            if (comma == std::string_view::npos) return;
            --commas;
            start = comma + 1;
        }
    }
    std::span<const std::string_view> pieces() const { return {pieces_.data(), count_}; }

private:
    std::array<std::string_view, 6> pieces_;  // two texts, each split at two commas at most
    std::size_t count_ = 0;
};

// The first three space-separated tokens of the trimmed text; false when it has fewer.
// Each token runs up to the next space; what follows is trimmed before the next token.
bool splitThreeTokens(std::span<const std::string_view> pieces, Values& tokens) {
    std::size_t taken = 0;
    for (const std::string_view piece : pieces) {
        std::string_view rest = trimWhiteSpace(piece);
        while (!rest.empty() && taken < tokens.size()) {
            const std::size_t space = rest.find(' ');
            tokens[taken++] = rest.substr(0, space);
            rest = space == std::string_view::npos ? std::string_view()
                                                   : trimWhiteSpace(rest.substr(space));
        }
    }
    return taken == tokens.size();
}

bool splitThreeTokens(std::string_view text, Values& tokens) {
    return splitThreeTokens(std::span<const std::string_view>(&text, 1), tokens);
}

enum class Format { Listing, Sdr, Comma, Gsi };

// What the first lines tell about the rest of the file.
struct Layout {
    Format format = Format::Comma;
    bool sdr2x = false;
    bool eastingFirst = false;
    bool markerMode = false;    // comma lines: only marker lines are points
    bool nothingToRead = true;  // the file ends (or its transmission ends) before any record
    SdrOptions sdrOptions = kDefaultSdrOptions;
    std::size_t bodyStart = 0;  // the first line read as a record line
    std::size_t leadInEnd = 0;  // record lines before this follow the lead-in rules
};

// After a blank first line: the SDR header when one stands after the blank lines, with the
// cursor after it and firstLineAt at it; otherwise an empty line for the blank one, with the
// cursor after that.
std::string_view sdrHeaderAfterBlankLines(LineCursor& lines, std::size_t& firstLineAt) {
    const std::size_t blankLineEnd = lines.position();
    while (!lines.atEnd()) {
        const std::size_t at = lines.position();
        const std::string_view line = lines.next();
        if (trimWhiteSpace(line).empty()) continue;
        if (line.find(kSdrMarker) == std::string_view::npos) break;
        firstLineAt = at;
        return line;
    }
    lines.restartAt(blankLineEnd);
    return {};
}

// Skips `count` lines after the format line; false when one of them ends the transmission.
bool skipLines(LineCursor& lines, std::size_t count) {
    for (std::size_t i = 0; i < count && !lines.atEnd(); ++i) {
        if (isEndOfTextLine(lines.next())) return false;
    }
    return true;
}

void readSdrHeaderOptions(std::string_view header, Layout& layout) {
    if (!header.starts_with(kSdrHeaderRecord) || header.size() < kSdrVersionAt) return;
    layout.sdr2x = header.substr(kSdrVersionAt).starts_with(kSdr2xVersion);
    layout.eastingFirst =
        header.size() > kSdrCoordinateOrderAt && header[kSdrCoordinateOrderAt] == kEastingFirst;
    layout.sdrOptions = sdrOptionsOf(header);
}

Layout readLayout(const SourceBytes& bytes) {
    Layout layout;
    std::vector<char> scratch;
    const bool byteOrderMark =
        bytes.read(0, bytes.size(), kByteOrderMark.size(), scratch).starts_with(kByteOrderMark);
    // One cursor reads the first lines, so a long one is held once.
    LineCursor lines(bytes, byteOrderMark ? kByteOrderMark.size() : 0);
    if (lines.atEnd()) return layout;
    std::size_t firstLineAt = lines.position();
    std::string_view firstLine = lines.next();
    if (isStartOfTextLine(firstLine)) {
        if (lines.atEnd()) return layout;
        firstLineAt = lines.position();
        firstLine = lines.next();
    }
    if (trimWhiteSpace(firstLine).empty()) firstLine = sdrHeaderAfterBlankLines(lines, firstLineAt);
    if (isEndOfTextLine(firstLine)) return layout;

    layout.nothingToRead = false;
    if (firstLine == kListingFirstLine) {
        layout.format = Format::Listing;
        layout.nothingToRead = !skipLines(lines, kListingHeaderLines - 1);
        layout.bodyStart = layout.leadInEnd = lines.position();
    } else if (firstLine.find(kSdrMarker) != std::string_view::npos) {
        layout.format = Format::Sdr;
        readSdrHeaderOptions(firstLine, layout);
        layout.bodyStart = lines.position();
        skipLines(lines, kSdrLinesAfterHeader);
        layout.leadInEnd = lines.position();
    } else if (isGsiLine(firstLine)) {
        layout.format = Format::Gsi;
        layout.bodyStart = firstLineAt;
    } else {
        layout.format = Format::Comma;
        layout.bodyStart = firstLineAt;
        layout.leadInEnd = lines.position();  // markerMode is known once the lines are read
    }
    return layout;
}

enum class LineOutcome { Skip, Point, Stop };

// Reads one record line of the file's body. Stateless, so that lines can be read in any
// order by any thread.
class RecordReader {
public:
    explicit RecordReader(const Layout& layout) : layout_(layout) {}

    // From here on a comma file's lines are points only when they carry the marker.
    void readByMarkers() { layout_.markerMode = true; }

    LineOutcome read(std::string_view line, bool leadIn, ReadPoint& point) {
        if (isEndOfTextLine(line)) return LineOutcome::Stop;
        switch (layout_.format) {
            case Format::Listing:
                return readListingRow(line, point);
            case Format::Sdr:
                if (line.empty()) return leadIn ? LineOutcome::Skip : LineOutcome::Stop;
                return readSdrRecord(line, point);
            case Format::Comma:
                if (!layout_.markerMode) return readPlainListingLine(line, point);
                // Line 1 is never a marker point.
                return leadIn ? LineOutcome::Skip : readMarkerLine(line, point);
            case Format::Gsi:
                break;  // read in order by parseGsi
        }
        return LineOutcome::Skip;
    }

private:
    static LineOutcome pointOf(std::string_view number, std::string_view x, std::string_view y,
                               std::string_view z, PointFlag kind, ReadPoint& point) {
        point = {number, parseNumberPrefix(x), parseNumberPrefix(y), parseNumberPrefix(z), kind, {}};
        return LineOutcome::Point;
    }

    static LineOutcome readListingRow(std::string_view line, ReadPoint& point) {
        if (line.empty()) return LineOutcome::Stop;
        if (line.size() < kListingShortestRow) return LineOutcome::Skip;
        return pointOf(field(line, kListingNumber), field(line, kListingX), field(line, kListingY),
                       field(line, kListingZ), kKindPoint, point);
    }

    LineOutcome readSdrRecord(std::string_view line, ReadPoint& point) const {
        PointFlag kind = kKindPoint;
        if (line.starts_with(kCoordinateRecord)) {
            kind = kKindPoint;
        } else if (line.starts_with(kStationRecord)) {
            kind = kKindStation;
        } else {
            return LineOutcome::Skip;
        }
        const LineOutcome outcome =
            layout_.sdr2x ? readSdr2xRecord(line, kind, point) : readSdr33Record(line, kind, point);
        if (outcome != LineOutcome::Point) return outcome;
        if (layout_.eastingFirst) std::swap(point.x, point.y);
        const Field description = layout_.sdr2x ? kSdr2xDescription : kSdr33Description;
        point.code = kind == kKindPoint ? field(line, description) : std::string_view();
        return outcome;
    }

    static LineOutcome readSdr33Record(std::string_view line, PointFlag kind, ReadPoint& point) {
        if (line.size() <= kCoordinatesAt) return LineOutcome::Skip;
        if (const auto fixed = readSdr33Fields(line, point)) {
            if (!*fixed) return LineOutcome::Skip;
            point.number = sdrPointNumber(line);
            point.kind = kind;
            return LineOutcome::Point;
        }
        Values tokens;
        if (!splitThreeTokens(line.substr(kCoordinatesAt), tokens)) return LineOutcome::Skip;
        return pointOf(sdrPointNumber(line), tokens[0], tokens[1], tokens[2], kind, point);
    }

    // A record reaching the elevation field's end, each of its three fields blank or one
    // number, is read by its fields: nothing when it does not qualify, false when all three
    // are blank (a station without coordinates).
    static std::optional<bool> readSdr33Fields(std::string_view line, ReadPoint& point) {
        if (line.size() < kSdr33FullRecord) return std::nullopt;
        std::array<double, 3> values{};
        bool anyValue = false;
        for (std::size_t i = 0; i < values.size(); ++i) {
            const std::string_view text = field(line, kSdr33Values[i]);
            if (text.empty()) continue;
            if (!parseWholeNumber(text, values[i])) return std::nullopt;
            anyValue = true;
        }
        point.x = values[0];
        point.y = values[1];
        point.z = values[2];
        return anyValue;
    }

    static LineOutcome readSdr2xRecord(std::string_view line, PointFlag kind, ReadPoint& point) {
        if (line.size() < kSdr2xShortestRecord) return LineOutcome::Skip;
        return pointOf(field(line, kSdr2xNumber), field(line, kSdr2xValues[0]),
                       field(line, kSdr2xValues[1]), field(line, kSdr2xValues[2]), kind, point);
    }

    // NUMBER,--------,X,Y,Z: the marker becomes 20 blanks, the first two commas blanks and a
    // CR ends the record, so x, y, z stand as tokens from position 20 when the number is short
    // enough. The record is read in pieces of the line, never copied.
    static LineOutcome readMarkerLine(std::string_view line, ReadPoint& point) {
        const std::size_t markerAt = line.find(kCommaMarker);
        if (markerAt == std::string_view::npos) return LineOutcome::Skip;
        const std::string_view number = trimWhiteSpace(line.substr(0, line.find(',')));

        std::string_view before = line.substr(0, markerAt);
        std::string_view after = line.substr(markerAt + kCommaMarker.size());
        const std::size_t returnBefore = before.find('\r');
        const bool endsBeforeMarker = returnBefore != std::string_view::npos;
        before = before.substr(0, returnBefore);
        after = endsBeforeMarker ? std::string_view() : after.substr(0, after.find('\r'));
        const std::size_t recordSize =
            before.size() + (endsBeforeMarker ? 0 : kCoordinatesAt + after.size());
        if (recordSize <= kCoordinatesAt) return LineOutcome::Skip;
        TextPieces record;
        std::size_t commas = 2;
        record.addSplitAtCommas(before, kCoordinatesAt, commas);
        record.addSplitAtCommas(after, 0, commas);
        Values tokens;
        if (!splitThreeTokens(record.pieces(), tokens)) return LineOutcome::Skip;
        return pointOf(number, tokens[0], tokens[1], tokens[2], kKindPoint, point);
    }

    // NAME,N,E,Z[,DESCRIPTION], N and E each one whole number, Z one or empty (0).
    static LineOutcome readPlainListingLine(std::string_view line, ReadPoint& point) {
        std::array<std::string_view, kPlainListingMostFields> fields;
        const std::size_t count = splitCommaFields(line, fields);
        if (count < kPlainListingFewestFields) return LineOutcome::Skip;
        point = {trimWhiteSpace(fields[0]), 0, 0, 0, kKindPoint, {}};
        const bool emptyZ = trimWhiteSpace(fields[3]).empty();
        if (!parseWholeNumber(fields[1], point.x) || !parseWholeNumber(fields[2], point.y) ||
            (!emptyZ && !parseWholeNumber(fields[3], point.z))) {
            return LineOutcome::Skip;
        }
        if (count == kPlainListingMostFields) point.code = trimWhiteSpace(fields[4]);
        return LineOutcome::Point;
    }

    Layout layout_;
};

// In a comma file, which comes first in a chunk: a marker line or the end of the transmission.
enum class CommaMark { None, Marker, EndOfText };

// A run of whole lines read by one thread.
struct Chunk {
    std::size_t begin = 0;
    std::size_t end = 0;
    bool stopped = false;  // a line in it ends the reading
    CommaMark firstMark = CommaMark::None;
    RunPoints points;
    ChunkObservations observations;
};

// The chunks of [from, bytes.size()): at most `parts` runs of whole lines.
std::vector<Chunk> splitIntoChunks(const SourceBytes& bytes, std::size_t from, std::size_t parts) {
    std::vector<Chunk> chunks;
    for (const ByteRange run : splitAtLines(bytes, from, parts)) {
        chunks.emplace_back();
        chunks.back().begin = run.begin;
        chunks.back().end = run.end;
    }
    return chunks;
}

CommaMark commaMarkOf(std::string_view line) {
    if (isEndOfTextLine(line)) return CommaMark::EndOfText;
    return line.find(kCommaMarker) == std::string_view::npos ? CommaMark::None : CommaMark::Marker;
}

// A comma file is read by its marker lines when one stands before the end of the
// transmission (line 1 included).
bool markerLineFirst(const std::vector<Chunk>& chunks) {
    for (const Chunk& chunk : chunks) {
        if (chunk.firstMark != CommaMark::None) return chunk.firstMark == CommaMark::Marker;
    }
    return false;
}

ObservationCounts roomFor(const RoomEstimate& room, const ObservationCounts& sampled) {
    return {room.of(sampled.pointRecords), room.of(sampled.sights), room.of(sampled.others)};
}

// Reads a chunk's lines once. Until a comma file's first marker line, lines are read as a
// plain listing; from the marker on, the file is read by its markers (an earlier chunk's
// marker or end of transmission decides the same way), and the points before it do not count.
void readChunk(const SourceBytes& bytes, const Layout& layout, Chunk& chunk, bool withObservations,
               WorkProgress* progress) {
    RecordReader reader(layout);
    LineCursor lines(bytes, chunk.begin, chunk.end, progress);
    const bool sdr = layout.format == Format::Sdr;
    withObservations = withObservations && sdr;
    bool lookForMark = layout.format == Format::Comma;
    ObservationCounts sampled;
    ReadPoint point;
    for (std::size_t linesRead = 0; !lines.atEnd(); ++linesRead) {
        if (linesRead == kSampleLines) {
            const RoomEstimate room({chunk.begin, chunk.end}, lines.position());
            chunk.points.reserve(room);
            if (withObservations) chunk.observations.reserve(roomFor(room, sampled));
        }
        const bool leadIn = lines.position() < layout.leadInEnd;
        const std::string_view line = lines.next();
        if (sdr && linesRead < kSampleLines) countSdrRecord(line, sampled);
        if (lookForMark) {
            chunk.firstMark = commaMarkOf(line);
            lookForMark = chunk.firstMark == CommaMark::None;
            if (chunk.firstMark == CommaMark::Marker) {
                reader.readByMarkers();
                chunk.points.clear();
            }
        }
        const LineOutcome outcome = reader.read(line, leadIn, point);
        if (outcome == LineOutcome::Stop) {
            chunk.stopped = true;
            break;
        }
        if (withObservations) {
            chunk.observations.read(line, layout.sdr2x, chunk.points.size(),
                                    outcome == LineOutcome::Point);
        }
        if (outcome == LineOutcome::Point) chunk.points.add(point);
    }
    chunk.points.releaseLargeSpareRoom();
}

// The chunks up to the one that ends the reading.
std::size_t keptChunks(const std::vector<Chunk>& chunks) {
    for (std::size_t i = 0; i < chunks.size(); ++i) {
        if (chunks[i].stopped) return i + 1;
    }
    return chunks.size();
}

// The points of the chunks that count: up to the one that ends the reading, and in a file
// read by its markers only those that found a marker first.
std::vector<RunPoints*> countedPoints(std::vector<Chunk>& chunks, bool markerMode) {
    std::vector<RunPoints*> counted;
    for (std::size_t i = 0; i < keptChunks(chunks); ++i) {
        if (!markerMode || chunks[i].firstMark == CommaMark::Marker) {
            counted.push_back(&chunks[i].points);
        }
    }
    return counted;
}

// The observations of the chunks that are kept, in file order.
ObservationList collectObservations(std::vector<Chunk>& chunks, const Layout& layout) {
    const std::size_t kept = keptChunks(chunks);
    std::vector<ChunkObservations> observations;
    std::vector<std::size_t> pointBase;
    std::size_t points = 0;
    for (std::size_t i = 0; i < kept; ++i) {
        observations.push_back(std::move(chunks[i].observations));
        pointBase.push_back(points);
        points += chunks[i].points.size();
    }
    return assembleObservations(observations, pointBase, layout.sdrOptions);
}

// A GSI file is read in one pass in file order, its set-ups holding for the lines after
// them. Its lines are about as long as its first: room for that many points is made first.
void parseGsi(const SourceBytes& bytes, const Layout& layout, PointStore& store,
              ObservationList* observations, SurveyNotes& notes, WorkProgress* progress) {
    const std::size_t length = bytes.size() - layout.bodyStart;
    if (progress) progress->begin(length);
    GsiReader reader(observations != nullptr);
    {
        LineCursor first(bytes, layout.bodyStart);
        first.next();
        reader.reserve(length / std::max<std::size_t>(first.position() - layout.bodyStart, 1));
    }
    for (LineCursor lines(bytes, layout.bodyStart, bytes.size(), progress); !lines.atEnd();) {
        reader.read(lines.next());
    }
    store.assign(reader.takePoints());
    if (observations != nullptr) *observations = reader.takeObservations();
    notes = {true, reader.eightDigits(), reader.skippedLines()};
}

void parseSurvey(const SourceBytes& bytes, PointStore& store, ObservationList* observations,
                 std::size_t threads, WorkProgress* progress, SurveyNotes* notes) {
    store = PointStore();  // gives back the old points' memory before the new points take theirs
    if (observations != nullptr) *observations = ObservationList();
    SurveyNotes ignored;
    SurveyNotes& found = notes != nullptr ? *notes : ignored;
    found = {};
    Layout layout = readLayout(bytes);
    if (layout.nothingToRead) return;
    if (layout.format == Format::Gsi) {
        return parseGsi(bytes, layout, store, observations, found, progress);
    }

    if (progress) progress->begin(bytes.size() - layout.bodyStart);
    std::vector<Chunk> chunks = splitIntoChunks(bytes, layout.bodyStart, threads);
    forEachInParallel(chunks, [&](Chunk& chunk) {
        readChunk(bytes, layout, chunk, observations != nullptr, progress);
    });
    layout.markerMode = layout.format == Format::Comma && markerLineFirst(chunks);
    // The observations first: they count the chunks' points, which the store takes.
    if (observations != nullptr && layout.format == Format::Sdr) {
        *observations = collectObservations(chunks, layout);
    }
    store.assign(joinPoints(countedPoints(chunks, layout.markerMode)));
}

}  // namespace

std::size_t surveyParsingThreads() {
    const std::size_t cores = std::thread::hardware_concurrency();
    return cores > 2 ? std::min(cores, kMostThreads) : 1;
}

std::string SurveyNotes::statusText() const {
    std::string text;
    if (gsi) text = eightDigits ? "GSI-8, 8 знаков" : "GSI-16";
    if (skippedLines != 0) {
        if (!text.empty()) text += ", ";
        text += "пропущено строк: " + std::to_string(skippedLines);
    }
    return text;
}

void readSurvey(std::string_view bytes, PointStore& store, std::size_t threads,
                ObservationList* observations, SurveyNotes* notes) {
    parseSurvey(SourceBytes(bytes), store, observations, threads, nullptr, notes);
}

std::optional<FileError> readSurveyFile(const std::string& path, PointStore& store,
                                        std::size_t threads, WorkProgress* progress,
                                        ObservationList* observations, SurveyNotes* notes) {
    store = PointStore();
    if (observations != nullptr) *observations = ObservationList();
    RegularFile file;
    if (auto error = file.open(path)) return error;
    return readSurveyFile(file, store, threads, progress, observations, notes);
}

std::optional<FileError> readSurveyFile(const RegularFile& file, PointStore& store,
                                        std::size_t threads, WorkProgress* progress,
                                        ObservationList* observations, SurveyNotes* notes) {
    auto error = readFileChecked(file, [&](const SourceBytes& bytes) {
        parseSurvey(bytes, store, observations, threads, progress, notes);
    });
    if (error) {
        store.clear();
        if (observations != nullptr) *observations = ObservationList();
    }
    return error;
}

}  // namespace korvela
