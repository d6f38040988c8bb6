#include "points/survey_reader.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <new>
#include <utility>

#include "common/number_parse.h"
#include "common/text_lines.h"
#include "points/listing_layout.h"
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

// A comms transmission is framed by a line holding only STX and a line starting with ETX.
constexpr char kStartOfText = '\x02';
constexpr char kEndOfText = '\x03';

// Record fields: positions from 0, as the instruments and the text export write them.
constexpr std::size_t kListingShortestRow = 28;
constexpr std::size_t kSdrHeaderLines = 4;
constexpr std::size_t kCoordinatesAt = 20;  // formats B and C: x, y, z as tokens from here

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

// SDR2x records: a 4-character id and three 10-character values that may touch.
constexpr Field kSdr2xNumber{4, 4};
constexpr std::array<Field, 3> kSdr2xValues{{{8, 10}, {18, 10}, {28, 10}}};
constexpr std::size_t kSdr2xShortestRecord = 28;  // the elevation field may be blank or cut

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
    return line.size() == 1 && line[0] == kStartOfText;
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

// The first three space-separated tokens of the trimmed text; false when it has fewer.
// Each token runs up to the next space; what follows is trimmed before the next token.
bool splitThreeTokens(std::string_view text, Values& tokens) {
    std::string_view rest = trimWhiteSpace(text);
    for (std::string_view& token : tokens) {
        if (rest.empty()) return false;
        const std::size_t space = rest.find(' ');
        token = rest.substr(0, space);
        rest = space == std::string_view::npos ? std::string_view()
                                               : trimWhiteSpace(rest.substr(space));
    }
    return true;
}

// Reads a survey file, fed line by line, into a store that the caller has emptied.
class SurveyParser {
public:
    explicit SurveyParser(PointStore& store) : store_(store) {}

    // Takes the next line of the file; false when the reading ends here.
    bool feed(std::string_view line) {
        const bool firstLine = std::exchange(atFirstLine_, false);
        if (firstLine && isStartOfTextLine(line)) return true;
        if (line.starts_with(kEndOfText)) return false;
        if (format_ == Format::Unknown) {
            recognise(line);
            return true;
        }
        if (linesToSkip_ > 0) {
            --linesToSkip_;
            return true;
        }
        switch (format_) {
            case Format::Listing:
                return readListingRow(line);
            case Format::Sdr:
                return readSdrRecord(line);
            case Format::Comma:
                readCommaLine(line);
                return true;
            case Format::Unknown:
                break;
        }
        return true;
    }

private:
    enum class Format { Unknown, Listing, Sdr, Comma };

    void recognise(std::string_view firstLine) {
        if (firstLine == kListingFirstLine) {
            format_ = Format::Listing;
            linesToSkip_ = kListingHeaderLines - 1;
        } else if (firstLine.find(kSdrMarker) != std::string_view::npos) {
            format_ = Format::Sdr;
            linesToSkip_ = kSdrHeaderLines - 1;
            readSdrHeaderOptions(firstLine);
        } else {
            format_ = Format::Comma;
            readCommaFirstLine(firstLine);
        }
    }

    bool readListingRow(std::string_view line) {
        if (line.empty()) return false;
        if (line.size() < kListingShortestRow) return true;
        append(field(line, kListingNumber), field(line, kListingX), field(line, kListingY),
               field(line, kListingZ), kKindPoint);
        return true;
    }

    // The 00 header record tells the SDR2x layout and the coordinate order. A first line that
    // is no 00 record leaves the SDR33 layout, northing first.
    void readSdrHeaderOptions(std::string_view header) {
        if (!header.starts_with(kSdrHeaderRecord) || header.size() < kSdrVersionAt) return;
        sdr2x_ = header.substr(kSdrVersionAt).starts_with(kSdr2xVersion);
        eastingFirst_ =
            header.size() > kSdrCoordinateOrderAt && header[kSdrCoordinateOrderAt] == kEastingFirst;
    }

    bool readSdrRecord(std::string_view line) {
        if (line.empty()) return false;
        std::int32_t kind = kKindPoint;
        if (line.starts_with(kCoordinateRecord)) {
            kind = kKindPoint;
        } else if (line.starts_with(kStationRecord)) {
            kind = kKindStation;
        } else {
            return true;
        }
        if (sdr2x_) {
            readSdr2xRecord(line, kind);
        } else {
            readSdr33Record(line, kind);
        }
        return true;
    }

    void readSdr33Record(std::string_view line, std::int32_t kind) {
        if (line.size() <= kCoordinatesAt) return;
        Values tokens;
        if (!splitThreeTokens(line.substr(kCoordinatesAt), tokens)) return;
        appendSdrPoint(sdrPointNumber(line), tokens, kind);
    }

    void readSdr2xRecord(std::string_view line, std::int32_t kind) {
        if (line.size() < kSdr2xShortestRecord) return;
        Values fields;
        for (std::size_t i = 0; i < fields.size(); ++i) fields[i] = field(line, kSdr2xValues[i]);
        appendSdrPoint(field(line, kSdr2xNumber), fields, kind);
    }

    void appendSdrPoint(std::string_view number, const Values& values, std::int32_t kind) {
        const std::size_t northing = eastingFirst_ ? 1 : 0;
        append(number, values[northing], values[1 - northing], values[2], kind);
    }

    // Line 1 is never a marker point, but its marker counts: a file with the marker on any
    // line is read as marker lines, one without as a plain point listing, line 1 included.
    void readCommaFirstLine(std::string_view line) {
        if (line.find(kCommaMarker) != std::string_view::npos) {
            markerSeen_ = true;
        } else {
            readPlainListingLine(line);
        }
    }

    // Until a marker shows up, the lines are read as a plain listing straight into the
    // store; the first marker line drops those points, which are then all the store holds.
    void readCommaLine(std::string_view line) {
        const std::size_t markerAt = line.find(kCommaMarker);
        if (markerAt == std::string_view::npos) {
            if (!markerSeen_) readPlainListingLine(line);
            return;
        }
        if (!markerSeen_) {
            markerSeen_ = true;
            store_.clear();
        }
        readMarkerLine(line, markerAt);
    }

    // NUMBER,--------,X,Y,Z: the marker becomes 20 blanks and the next two commas blanks,
    // so x, y, z stand as tokens from position 20 when the number is short enough.
    void readMarkerLine(std::string_view line, std::size_t markerAt) {
        const std::string_view number = trimWhiteSpace(line.substr(0, line.find(',')));

        std::string record(line);
        record.replace(markerAt, kCommaMarker.size(), std::string(20, ' '));
        for (int i = 0; i < 2; ++i) {
            const std::size_t comma = record.find(',');
            if (comma != std::string::npos) record[comma] = ' ';
        }
        record.resize(std::min(record.size(), record.find('\r')));
        if (record.size() <= kCoordinatesAt) return;
        Values tokens;
        if (!splitThreeTokens(std::string_view(record).substr(kCoordinatesAt), tokens)) return;
        append(number, tokens[0], tokens[1], tokens[2], kKindPoint);
    }

    // NAME,N,E,Z[,DESCRIPTION], N, E and Z each one whole number.
    void readPlainListingLine(std::string_view line) {
        std::array<std::string_view, kPlainListingMostFields> fields;
        const std::size_t count = splitCommaFields(line, fields);
        if (count < kPlainListingFewestFields) return;
        double x = 0;
        double y = 0;
        double z = 0;
        if (!parseWholeNumber(fields[1], x) || !parseWholeNumber(fields[2], y) ||
            !parseWholeNumber(fields[3], z)) {
            return;
        }
        store_.append(std::string(trimWhiteSpace(fields[0])), x, y, z, kColourAqua, kKindPoint);
    }

    void append(std::string_view number, std::string_view x, std::string_view y, std::string_view z,
                std::int32_t kind) {
        store_.append(std::string(number), parseNumberPrefix(x), parseNumberPrefix(y),
                      parseNumberPrefix(z), kColourAqua, kind);
    }

    PointStore& store_;
    bool atFirstLine_ = true;
    Format format_ = Format::Unknown;
    std::size_t linesToSkip_ = 0;
    bool sdr2x_ = false;
    bool eastingFirst_ = false;
    bool markerSeen_ = false;
};

}  // namespace

void readSurvey(std::string_view bytes, PointStore& store) {
    store.clear();
    SurveyParser parser(store);
    forEachLine(bytes, [&](std::string_view line) { return parser.feed(line); });
    store.releaseSpareCapacity();
}

std::optional<FileError> readSurveyFile(const std::string& path, PointStore& store) {
    store.clear();
    SurveyParser parser(store);
    std::optional<FileError> error;
    try {
        error = forEachLineOfFile(path, [&](std::string_view line) { return parser.feed(line); });
    } catch (const std::bad_alloc&) {
        error = FileError{FileError::Operation::Read, path, ENOMEM};
    }
    if (error) store.clear();
    store.releaseSpareCapacity();
    return error;
}

}  // namespace korvela
