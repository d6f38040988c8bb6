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

// The separators a file is tried with, in the order they are preferred, and the lines tried.
constexpr char kGuessedSeparators[] = {'\t', ';', ',', kBlankSeparator};
constexpr std::size_t kSeparatorSampleLines = 10;

bool isBlank(char c) { return c == ' ' || c == '\t'; }

// Splits a line into its fields; a field that starts with a quote runs to the closing quote,
// a doubled quote inside standing for one. With blanks as separator, runs of blanks separate
// and blanks at the ends make no field. The fields view the line, or the splitter's own copy
// for quoted ones, until the next line is split.
class FieldSplitter {
public:
    const std::vector<std::string_view>& split(std::string_view line, char separator) {
        const bool blanks = separator == kBlankSeparator;
        const auto separates = [&](char c) { return blanks ? isBlank(c) : c == separator; };
        if (blanks) line = trimWhiteSpace(line);
        fields_.clear();
        unquoted_.clear();
        unquoted_.reserve(line.size());  // views into it stay valid while the line is split
        std::size_t i = 0;
        while (i < line.size()) {
            const std::size_t start = i;
            while (i < line.size() && isBlank(line[i]) && !separates(line[i])) ++i;
            if (i < line.size() && line[i] == kQuote) {
                i = takeQuoted(line, i + 1);
                while (i < line.size() && !separates(line[i])) ++i;  // after the closing quote
            } else {
                while (i < line.size() && !separates(line[i])) ++i;
                fields_.push_back(line.substr(start, i - start));
            }
            if (i == line.size()) break;
            ++i;
            while (blanks && i < line.size() && isBlank(line[i])) ++i;
            if (i == line.size()) fields_.push_back({});  // a separator ends the line
        }
        return fields_;
    }

private:
    // Copies the quoted text from `at` up to its closing quote; returns the index after it.
    std::size_t takeQuoted(std::string_view line, std::size_t at) {
        const std::size_t begin = unquoted_.size();
        for (; at < line.size(); ++at) {
            if (line[at] != kQuote) {
                unquoted_ += line[at];
            } else if (at + 1 < line.size() && line[at + 1] == kQuote) {
                unquoted_ += kQuote;
                ++at;
            } else {
                ++at;
                break;
            }
        }
        fields_.push_back(std::string_view(unquoted_).substr(begin));
        return at;
    }

    std::vector<std::string_view> fields_;
    std::string unquoted_;
};

bool readNumber(std::string_view field, bool decimalComma, double& value) {
    if (!decimalComma) return parseWholeNumber(field, value);
    std::string text(field);
    std::replace(text.begin(), text.end(), ',', '.');
    return parseWholeNumber(text, value);
}

std::optional<CsvPoint> readRow(FieldSplitter& splitter, std::string_view line,
                                const CsvLayout& layout, std::size_t ordinal) {
    const std::vector<std::string_view>& fields = splitter.split(line, layout.separator);
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

bool separatorFits(std::string_view bytes, std::size_t skipLines, char separator) {
    CsvLayout layout;
    layout.skipLines = skipLines;
    FieldSplitter splitter;
    std::size_t fields = 0;
    std::size_t lines = 0;
    bool fits = true;
    forEachDataLine(bytes, layout, [&](std::string_view line) {
        const std::size_t count = splitter.split(line, separator).size();
        fits = count >= 2 && (lines == 0 || count == fields);
        fields = count;
        return fits && ++lines < kSeparatorSampleLines;
    });
    return fits && lines > 0;
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

TextEncoding chooseEncoding(std::string_view bytes, TextEncoding preferred) {
    const TextEncoding guessed = guessEncoding(bytes);
    if (guessed == preferred) return preferred;
    const bool plainAscii =
        std::all_of(bytes.begin(), bytes.end(), [](char c) { return (c & 0x80) == 0; });
    return plainAscii ? preferred : guessed;
}

std::optional<char> guessSeparator(std::string_view bytes, std::size_t skipLines,
                                   std::optional<char> preferred) {
    if (preferred && separatorFits(bytes, skipLines, *preferred)) return preferred;
    for (const char separator : kGuessedSeparators) {
        if (separatorFits(bytes, skipLines, separator)) return separator;
    }
    return std::nullopt;
}

std::vector<CsvPreviewRow> previewCsv(std::string_view bytes, const CsvLayout& layout,
                                      std::size_t rows) {
    std::vector<CsvPreviewRow> preview;
    std::size_t pointsRead = 0;
    FieldSplitter splitter;
    if (rows == 0) return preview;
    forEachDataLine(bytes, layout, [&](std::string_view line) {
        std::optional<CsvPoint> point = readRow(splitter, line, layout, pointsRead + 1);
        if (point) ++pointsRead;
        preview.push_back({layout.encoding == TextEncoding::Utf8 && isValidUtf8(line)
                               ? std::string(line)
                               : cp1251ToUtf8(line),
                           std::move(point)});
        return preview.size() < rows;
    });
    return preview;
}

std::string unreadRowsMessage(std::size_t rows) {
    return "Строк, которые не читаются как точки: " + std::to_string(rows);
}

CsvReadSummary readCsvPoints(std::string_view bytes, const CsvLayout& layout, PointStore& store,
                             WorkProgress* progress) {
    store.clear();
    CsvReadSummary summary;
    FieldSplitter splitter;
    ProgressCounter counter(progress, bytes.size());
    forEachDataLine(bytes, layout, [&](std::string_view line) {
        counter.add(line.size() + 1);
        std::optional<CsvPoint> point = readRow(splitter, line, layout, summary.pointsRead + 1);
        if (!point) {
            ++summary.rowsUnread;
            return true;
        }
        store.append(std::move(point->number), point->x, point->y, point->z, kColourAqua,
                     kKindPoint);
        ++summary.pointsRead;
        return true;
    });
    return summary;
}

std::optional<FileError> readCsvFile(const std::string& path, std::string& bytes,
                                     WorkProgress* progress) {
    bytes.clear();
    ProgressCounter counter(progress);
    return forEachLineOfFile(path, [&](std::string_view line) {
        counter.add(line.size() + 1);
        bytes += line;
        bytes += '\n';
        return true;
    });
}

void writeCsvPoints(const PointStore& store, const CsvWriteOptions& options, std::ostream& out,
                    WorkProgress* progress) {
    ProgressCounter counter(progress, store.count());
    OutputBuffer buffer(out);
    std::string line;
    for (std::size_t i = 0; i < store.count(); ++i, counter.add()) {
        line.clear();
        const std::string number(store.number()[i]);
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
