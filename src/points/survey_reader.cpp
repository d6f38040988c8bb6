#include "points/survey_reader.h"

#include <array>

#include "common/number_parse.h"
#include "common/text_lines.h"
#include "points/listing_layout.h"
#include "points/point_store.h"

namespace korvela {
namespace {

constexpr std::string_view kSdrMarker = "NMSDR";
constexpr std::string_view kCoordinateRecord = "08TP";
constexpr std::string_view kStationRecord = "02TP";
constexpr std::string_view kCommaMarker = ",--------,";

// Record fields: positions from 0, as the instruments and the text export write them.
constexpr std::size_t kListingShortestRow = 28;
constexpr std::size_t kSdrHeaderLines = 4;
constexpr std::size_t kSdrNumberAt = 15;
constexpr std::size_t kSdrNumberWidth = 5;
constexpr std::size_t kCoordinatesAt = 20;  // formats B and C: x, y, z as tokens from here

struct Field {
    std::size_t at;
    std::size_t width;
};
constexpr Field kListingNumber{kListingNumberColumn, kListingXColumn - kListingNumberColumn};
constexpr Field kListingX{kListingXColumn, kListingYColumn - kListingXColumn};
constexpr Field kListingY{kListingYColumn, kListingZColumn - kListingYColumn};
constexpr Field kListingZ{kListingZColumn, kListingX.width};  // as wide as x and y

std::string_view field(std::string_view line, Field where) {
    if (where.at >= line.size()) return {};
    return trimWhiteSpace(line.substr(where.at, where.width));
}

using Tokens = std::array<std::string_view, 3>;

// The first three space-separated tokens of the trimmed text; false when it has fewer.
// Each token runs up to the next space; what follows is trimmed before the next token.
bool splitThreeTokens(std::string_view text, Tokens& tokens) {
    std::string_view rest = trimWhiteSpace(text);
    for (std::string_view& token : tokens) {
        if (rest.empty()) return false;
        const std::size_t space = rest.find(' ');
        token = rest.substr(0, space);
        rest = space == std::string_view::npos ? std::string_view() : trimWhiteSpace(rest.substr(space));
    }
    return true;
}

class SurveyParser {
public:
    explicit SurveyParser(PointStore& store) : store_(store) {}

    // Takes the next line of the file; false when the reading ends here.
    bool feed(std::string_view line) {
        if (format_ == Format::Unknown) {
            recognise(line);
            return true;
        }
        if (linesToSkip_ > 0) {
            --linesToSkip_;
            return true;
        }
        switch (format_) {
            case Format::Listing: return readListingRow(line);
            case Format::Sdr: return readSdrRecord(line);
            case Format::Comma: readCommaLine(line); return true;
            case Format::Unknown: break;
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
        } else {
            format_ = Format::Comma;  // its first line is never a point
        }
    }

    bool readListingRow(std::string_view line) {
        if (line.empty()) return false;
        if (line.size() < kListingShortestRow) return true;
        append(field(line, kListingNumber), field(line, kListingX), field(line, kListingY),
               field(line, kListingZ), kKindPoint);
        return true;
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
        if (line.size() <= kCoordinatesAt) return true;
        Tokens tokens;
        if (!splitThreeTokens(line.substr(kCoordinatesAt), tokens)) return true;
        const std::string_view number = trimWhiteSpace(line.substr(kSdrNumberAt, kSdrNumberWidth));
        append(number, tokens[0], tokens[1], tokens[2], kind);
        return true;
    }

    // NUMBER,--------,X,Y,Z: the marker becomes 20 blanks and the next two commas blanks,
    // so x, y, z stand as tokens from position 20 when the number is short enough.
    void readCommaLine(std::string_view line) {
        const std::size_t markerAt = line.find(kCommaMarker);
        if (markerAt == std::string_view::npos) return;
        const std::string_view number = trimWhiteSpace(line.substr(0, line.find(',')));

        std::string record(line);
        record.replace(markerAt, kCommaMarker.size(), std::string(20, ' '));
        for (int i = 0; i < 2; ++i) {
            const std::size_t comma = record.find(',');
            if (comma != std::string::npos) record[comma] = ' ';
        }
        record.resize(std::min(record.size(), record.find('\r')));
        if (record.size() <= kCoordinatesAt) return;
        Tokens tokens;
        if (!splitThreeTokens(std::string_view(record).substr(kCoordinatesAt), tokens)) return;
        append(number, tokens[0], tokens[1], tokens[2], kKindPoint);
    }

    void append(std::string_view number, std::string_view x, std::string_view y,
                std::string_view z, std::int32_t kind) {
        store_.append(std::string(number), parseNumberPrefix(x), parseNumberPrefix(y),
                      parseNumberPrefix(z), kColourAqua, kind);
    }

    PointStore& store_;
    Format format_ = Format::Unknown;
    std::size_t linesToSkip_ = 0;
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
    auto error = forEachLineOfFile(path, [&](std::string_view line) { return parser.feed(line); });
    if (error) store.clear();
    store.releaseSpareCapacity();
    return error;
}

}  // namespace korvela
