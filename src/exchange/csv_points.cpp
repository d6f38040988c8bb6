#include "exchange/csv_points.h"

#include <algorithm>

#include "common/cp1251.h"
#include "common/number_parse.h"
#include "common/number_text.h"
#include "common/output_buffer.h"
#include "common/text_lines.h"
#include "points/point_store.h"

namespace korvela {
namespace {

constexpr std::string_view kColumnLetters = "PNEZD";
constexpr std::string_view kUtf8ByteOrderMark = "\xEF\xBB\xBF";
constexpr std::string_view kCrLf = "\r\n";
constexpr char kQuote = '"';

bool isBlank(char c) { return c == ' ' || c == '\t'; }

// Splits a line into its fields; a field that starts with a quote runs to the closing quote,
// a doubled quote inside standing for one. With blanks as separator, runs of blanks separate
// and blanks at the ends make no field.
std::vector<std::string> splitFields(std::string_view line, char separator) {
    const bool blanks = separator == kBlankSeparator;
    const auto separates = [&](char c) { return blanks ? isBlank(c) : c == separator; };
    if (blanks) line = trimWhiteSpace(line);
    std::vector<std::string> fields;
    std::string field;
    bool quoted = false;
    bool fieldStarted = false;
    for (std::size_t i = 0; i < line.size(); ++i) {
        const char c = line[i];
        if (quoted) {
            if (c != kQuote) {
                field += c;
            } else if (i + 1 < line.size() && line[i + 1] == kQuote) {
                field += kQuote;
                ++i;
            } else {
                quoted = false;
            }
        } else if (c == kQuote && trimWhiteSpace(field).empty()) {
            field.clear();
            quoted = true;
        } else if (separates(c)) {
            fields.push_back(std::move(field));
            field.clear();
            while (blanks && i + 1 < line.size() && isBlank(line[i + 1])) ++i;
        } else {
            field += c;
        }
        fieldStarted = true;
    }
    if (fieldStarted) fields.push_back(std::move(field));
    return fields;
}

bool readNumber(std::string_view field, bool decimalComma, double& value) {
    std::string text(trimWhiteSpace(field));
    if (decimalComma) std::replace(text.begin(), text.end(), ',', '.');
    return parseWholeNumber(text, value);
}

std::optional<CsvPoint> readRow(std::string_view line, const CsvLayout& layout,
                                std::size_t ordinal) {
    const std::vector<std::string> fields = splitFields(line, layout.separator);
    CsvPoint point;
    point.number = std::to_string(ordinal);
    for (std::size_t column = 0; column < layout.columns.size(); ++column) {
        const char letter = layout.columns[column];
        if (letter == 'D') continue;
        if (column >= fields.size()) {
            if (letter == 'Z') continue;
            return std::nullopt;
        }
        const std::string_view field = fields[column];
        if (letter == 'P') {
            const std::string_view number = trimWhiteSpace(field);
            if (number.empty()) return std::nullopt;
            point.number =
                layout.encoding == TextEncoding::Utf8 ? utf8ToCp1251(number) : std::string(number);
            continue;
        }
        if (letter == 'Z' && trimWhiteSpace(field).empty()) continue;
        double& value = letter == 'N' ? point.x : letter == 'E' ? point.y : point.z;
        if (!readNumber(field, layout.decimalComma, value)) return std::nullopt;
    }
    return point;
}

// Calls handle(line) for every line after the header lines that is not blank, until it
// returns false.
template <typename Handler>
void forEachDataLine(std::string_view bytes, const CsvLayout& layout, Handler handle) {
    if (layout.encoding == TextEncoding::Utf8 && bytes.starts_with(kUtf8ByteOrderMark)) {
        bytes.remove_prefix(kUtf8ByteOrderMark.size());
    }
    std::size_t lineNumber = 0;
    forEachLine(bytes, [&](std::string_view line) {
        if (lineNumber++ < layout.skipLines || trimWhiteSpace(line).empty()) return true;
        return handle(line);
    });
}

std::string numberField(double value, bool decimalComma) {
    std::string text = formatNumber(value);
    if (decimalComma) std::replace(text.begin(), text.end(), '.', ',');
    return text;
}

// A field as the writer puts it: quoted when the reader would otherwise split it.
void appendField(std::string& line, std::string_view text, char separator) {
    const bool blanks = separator == kBlankSeparator;
    const bool needsQuotes = text.empty() ||
                             std::any_of(text.begin(), text.end(),
                                         [&](char c) {
                                             return c == separator || c == kQuote || c == '\r' ||
                                                    c == '\n' || (blanks && isBlank(c));
                                         }) ||
                             trimWhiteSpace(text).size() != text.size();
    if (!needsQuotes) {
        line += text;
        return;
    }
    line += kQuote;
    for (const char c : text) {
        if (c == kQuote) line += kQuote;
        line += c;
    }
    line += kQuote;
}

}  // namespace

std::optional<std::string> columnOrderProblem(std::string_view columns) {
    for (std::size_t i = 0; i < columns.size(); ++i) {
        if (kColumnLetters.find(columns[i]) == std::string_view::npos) {
            return "в порядке столбцов допустимы только буквы P, N, E, Z, D";
        }
        if (columns.find(columns[i], i + 1) != std::string_view::npos) {
            return "каждая буква порядка столбцов встречается не больше одного раза";
        }
    }
    if (columns.find('N') == std::string_view::npos ||
        columns.find('E') == std::string_view::npos) {
        return "в порядке столбцов нужны N (X) и E (Y)";
    }
    return std::nullopt;
}

TextEncoding guessEncoding(std::string_view bytes) {
    return isValidUtf8(bytes) ? TextEncoding::Utf8 : TextEncoding::Cp1251;
}

std::vector<CsvPreviewRow> previewCsv(std::string_view bytes, const CsvLayout& layout,
                                      std::size_t rows) {
    std::vector<CsvPreviewRow> preview;
    std::size_t pointsRead = 0;
    if (rows == 0) return preview;
    forEachDataLine(bytes, layout, [&](std::string_view line) {
        std::optional<CsvPoint> point = readRow(line, layout, pointsRead + 1);
        if (point) ++pointsRead;
        preview.push_back({layout.encoding == TextEncoding::Utf8 && isValidUtf8(line)
                               ? std::string(line)
                               : cp1251ToUtf8(line),
                           std::move(point)});
        return preview.size() < rows;
    });
    return preview;
}

CsvReadSummary readCsvPoints(std::string_view bytes, const CsvLayout& layout, PointStore& store) {
    store.clear();
    CsvReadSummary summary;
    forEachDataLine(bytes, layout, [&](std::string_view line) {
        std::optional<CsvPoint> point = readRow(line, layout, summary.pointsRead + 1);
        if (!point) {
            ++summary.rowsUnread;
            return true;
        }
        store.append(std::move(point->number), point->x, point->y, point->z, kColourAqua,
                     kKindPoint);
        ++summary.pointsRead;
        return true;
    });
    store.releaseSpareCapacity();
    return summary;
}

std::optional<FileError> readCsvFile(const std::string& path, std::string& bytes) {
    bytes.clear();
    return forEachLineOfFile(path, [&bytes](std::string_view line) {
        bytes += line;
        bytes += '\n';
        return true;
    });
}

void writeCsvPoints(const PointStore& store, const CsvWriteOptions& options, std::ostream& out) {
    OutputBuffer buffer(out);
    std::string line;
    for (std::size_t i = 0; i < store.count(); ++i) {
        line.clear();
        const std::string& number = store.number()[i];
        appendField(line, options.encoding == TextEncoding::Utf8 ? cp1251ToUtf8(number) : number,
                    options.separator);
        for (const double value : {store.x()[i], store.y()[i], store.z()[i]}) {
            line += options.separator;
            appendField(line, numberField(value, options.decimalComma), options.separator);
        }
        for (const std::int32_t flag : {store.kind()[i], store.active()[i]}) {
            line += options.separator;
            line += std::to_string(flag);
        }
        line += kCrLf;
        buffer.append(line);
    }
}

}  // namespace korvela
