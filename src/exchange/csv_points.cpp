#include "exchange/csv_points.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstring>
#include <new>

#include "common/cp1251.h"
#include "common/number_parse.h"
#include "common/number_text.h"
#include "common/output_buffer.h"
#include "common/regular_file.h"
#include "common/text_lines.h"
#include "points/point_store.h"

namespace korvela {
namespace {

constexpr std::string_view kColumnLetters = "PNEZD";
constexpr std::string_view kUtf8ByteOrderMark = "\xEF\xBB\xBF";
constexpr std::string_view kCrLf = "\r\n";
constexpr char kQuote = '"';
constexpr std::string_view kShortenedMark = "…";

// The separators a file is tried with, in the order they are preferred, and the lines tried.
constexpr char kGuessedSeparators[] = {'\t', ';', ',', kBlankSeparator};
constexpr std::size_t kSeparatorSampleLines = 10;

bool isBlank(char c) { return c == ' ' || c == '\t'; }

// Where the UTF-8 character that byte `at` belongs to starts: a cut there leaves it whole.
std::size_t utf8CharacterStart(std::string_view text, std::size_t at) {
    const auto continues = [](char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; };
    for (int step = 0; step < 3 && at > 0 && continues(text[at]); ++step) --at;
    return at;
}

// The text between a field's quotes: where it ends, where the field goes on after the closing
// quote, and whether it still holds doubled quotes (each standing for one).
struct QuotedText {
    std::size_t end;
    std::size_t next;
    bool doubled;
};

// The quoted text from `at` (after the opening quote); an unclosed quote runs to the line's end.
QuotedText closingQuote(std::string_view line, std::size_t at) {
    bool doubled = false;
    for (at = line.find(kQuote, at); at != std::string_view::npos; at = line.find(kQuote, at + 2)) {
        if (at + 1 == line.size() || line[at + 1] != kQuote) return {at, at + 1, doubled};
        doubled = true;
    }
    return {line.size(), line.size(), doubled};
}

// Hands the fields of a line to take(text, doubled) until it returns false; a field that starts
// with a quote runs to the closing quote, its text views the line between the quotes, doubled
// telling that it still holds doubled quotes. With blanks as separator, runs of blanks separate
// and blanks at the ends make no field.
template <typename Take>
void walkFields(std::string_view line, char separator, Take take) {
    const bool blanks = separator == kBlankSeparator;
    const auto separates = [&](char c) { return blanks ? isBlank(c) : c == separator; };
    if (blanks) line = trimWhiteSpace(line);
    std::size_t i = 0;
    while (i < line.size()) {
        const std::size_t start = i;
        while (i < line.size() && isBlank(line[i]) && !separates(line[i])) ++i;
        bool goOn = true;
        if (i < line.size() && line[i] == kQuote) {
            const std::size_t textStart = i + 1;
            const QuotedText quoted = closingQuote(line, textStart);
            i = quoted.next;
            while (i < line.size() && !separates(line[i])) ++i;  // after the closing quote
            goOn = take(line.substr(textStart, quoted.end - textStart), quoted.doubled);
        } else {
            while (i < line.size() && !separates(line[i])) ++i;
            goOn = take(line.substr(start, i - start), false);
        }
        if (!goOn || i == line.size()) return;
        ++i;
        while (blanks && i < line.size() && isBlank(line[i])) ++i;
        if (i == line.size()) take({}, false);  // a separator ends the line
    }
}

std::size_t countFields(std::string_view line, char separator) {
    std::size_t count = 0;
    walkFields(line, separator, [&count](std::string_view, bool) {
        ++count;
        return true;
    });
    return count;
}

// The first fields of a line, as many as a layout has columns: a line of millions of
// separators costs no more than its first fields. The fields view the line, or the splitter's
// own copy for those with doubled quotes, until the next line is split.
class FieldSplitter {
public:
    const std::vector<std::string_view>& split(std::string_view line, char separator,
                                               std::size_t most) {
        fields_.clear();
        if (most == 0) return fields_;
        if (unquoted_.size() < most) unquoted_.resize(most);
        walkFields(line, separator, [&](std::string_view text, bool doubled) {
            if (doubled) text = withSingleQuotes(text, unquoted_[fields_.size()]);
            fields_.push_back(text);
            return fields_.size() < most;
        });
        return fields_;
    }

private:
    static std::string_view withSingleQuotes(std::string_view text, std::string& into) {
        into.clear();
        for (std::size_t at = 0; at < text.size(); ++at) {
            into += text[at];
            if (text[at] == kQuote) ++at;  // the second of a doubled quote
        }
        return into;
    }

    std::vector<std::string_view> fields_;
    std::vector<std::string> unquoted_;  // one per field, so no view moves
};

bool readNumber(std::string_view field, bool decimalComma, double& value) {
    if (!decimalComma) return parseWholeNumber(field, value);
    std::string text(trimWhiteSpace(field));
    std::replace(text.begin(), text.end(), ',', '.');
    return parseWholeNumber(text, value);
}

std::optional<CsvPoint> readRow(FieldSplitter& splitter, std::string_view line,
                                const CsvLayout& layout, std::size_t ordinal) {
    const std::vector<std::string_view>& fields =
        splitter.split(line, layout.separator, layout.columns.size());
    CsvPoint point;
    point.number = std::to_string(ordinal);
    for (std::size_t column = 0; column < layout.columns.size(); ++column) {
        const char letter = layout.columns[column];
        if (column >= fields.size()) {
            if (letter == 'Z' || letter == 'D') continue;
            return std::nullopt;
        }
        const std::string_view field = fields[column];
        if (letter == 'P' || letter == 'D') {
            const std::string_view text = trimWhiteSpace(field);
            if (letter == 'P' && text.empty()) return std::nullopt;
            (letter == 'P' ? point.number : point.code) =
                layout.encoding == TextEncoding::Utf8 ? utf8ToCp1251(text) : std::string(text);
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
    std::size_t fields = 0;
    std::size_t lines = 0;
    bool fits = true;
    forEachDataLine(bytes, layout, [&](std::string_view line) {
        const std::size_t count = countFields(line, separator);
        fits = count >= 2 && (lines == 0 || count == fields);
        fields = count;
        return fits && ++lines < kSeparatorSampleLines;
    });
    return fits && lines > 0;
}

// The line as a preview shows it: UTF-8, and no longer than kPreviewLineBytes and a mark.
std::string previewText(std::string_view line, TextEncoding encoding) {
    const bool shortened = line.size() > kPreviewLineBytes;
    if (shortened) {
        const std::size_t cut = encoding == TextEncoding::Utf8
                                    ? utf8CharacterStart(line, kPreviewLineBytes)
                                    : kPreviewLineBytes;
        line = line.substr(0, cut);
    }
    std::string text = encoding == TextEncoding::Utf8 && isValidUtf8(line) ? std::string(line)
                                                                           : cp1251ToUtf8(line);
    if (shortened) text += kShortenedMark;
    return text;
}

// Whether the reader would split the field, or lose its blanks, unless it is quoted.
bool needsQuotes(std::string_view text, char separator) {
    const bool blanks = separator == kBlankSeparator;
    return text.empty() ||
           std::any_of(text.begin(), text.end(),
                       [&](char c) {
                           return c == separator || c == kQuote || c == '\r' || c == '\n' ||
                                  (blanks && isBlank(c));
                       }) ||
           trimWhiteSpace(text).size() != text.size();
}

// The most a text field takes: quoted, every quote doubled, every byte three in UTF-8.
std::size_t textFieldRoom(std::string_view text) { return 3 * text.size() + 2; }
// The most a number field takes: quoted when its text holds the separator.
constexpr std::size_t kNumberFieldRoom = kNumberTextCapacity + 2;
constexpr std::size_t kFlagFieldRoom = 11;  // a 32-bit integer

// Writes the field at out as the reader takes it back; returns its end.
char* writeField(char* out, std::string_view text, char separator) {
    if (!needsQuotes(text, separator)) {
        std::memcpy(out, text.data(), text.size());
        return out + text.size();
    }
    *out++ = kQuote;
    for (const char c : text) {
        if (c == kQuote) *out++ = kQuote;
        *out++ = c;
    }
    *out++ = kQuote;
    return out;
}

char* writeTextField(char* out, std::string_view text, const CsvWriteOptions& options) {
    const bool ascii = std::all_of(text.begin(), text.end(), [](char c) { return (c & 0x80) == 0; });
    if (options.encoding == TextEncoding::Utf8 && !ascii) {
        return writeField(out, cp1251ToUtf8(text), options.separator);
    }
    return writeField(out, text, options.separator);
}

// A number's text holds no blank, quote or line break: it is quoted only when it holds the
// separator (a decimal comma among commas), and then moved one place for the opening quote.
char* writeNumberField(char* out, double value, const CsvWriteOptions& options) {
    const std::size_t length = formatNumberInto(value, out);
    if (options.decimalComma) std::replace(out, out + length, '.', ',');
    if (std::memchr(out, options.separator, length) == nullptr) return out + length;
    std::memmove(out + 1, out, length);
    out[0] = kQuote;
    out[length + 1] = kQuote;
    return out + length + 2;
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
        preview.push_back({previewText(line, layout.encoding), std::move(point)});
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
        store.append(point->number, point->x, point->y, point->z, kColourAqua, kKindPoint,
                     point->code);
        ++summary.pointsRead;
        return true;
    });
    return summary;
}

std::optional<FileError> readCsvFile(const std::string& path, std::string& bytes) {
    bytes.clear();
    RegularFile file;
    if (auto error = file.open(path)) return error;
    return readCsvFile(file, bytes);
}

std::optional<FileError> readCsvFile(const RegularFile& file, std::string& bytes) {
    std::optional<FileError> error;
    try {
        bytes.assign(file.size(), '\0');
        error = file.readAt(0, bytes);
        if (!error) error = file.checkUnchanged();
    } catch (const std::bad_alloc&) {
        error = file.readError(ENOMEM);
    }
    if (error) std::string().swap(bytes);
    return error;
}

void writeCsvPoints(const PointStore& store, const CsvWriteOptions& options, std::ostream& out,
                    WorkProgress* progress) {
    ProgressCounter counter(progress, store.count());
    OutputBuffer buffer(out);
    const bool withCodes = store.code().any();
    const char separator = options.separator;
    for (std::size_t i = 0; i < store.count(); ++i, counter.add()) {
        const std::string_view code = withCodes ? store.code()[i] : std::string_view();
        const std::size_t room = textFieldRoom(store.number()[i]) + 3 * (1 + kNumberFieldRoom) +
                                 (withCodes ? 1 + textFieldRoom(code) : 0) +
                                 2 * (1 + kFlagFieldRoom) + kCrLf.size();
        char* const line = buffer.reserve(room);
        char* at = writeTextField(line, store.number()[i], options);
        for (const double value : {store.x()[i], store.y()[i], store.z()[i]}) {
            *at++ = separator;
            at = writeNumberField(at, value, options);
        }
        if (withCodes) {
            *at++ = separator;
            at = writeTextField(at, code, options);
        }
        for (const std::int32_t flag : {store.kind()[i], store.active()[i]}) {
            *at++ = separator;
            at = std::to_chars(at, at + kFlagFieldRoom, flag).ptr;
        }
        at = std::copy(kCrLf.begin(), kCrLf.end(), at);
        buffer.commit(static_cast<std::size_t>(at - line));
    }
}

}  // namespace korvela
