#include "exchange/csv_points.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstring>
#include <new>
#include <stdexcept>
#include <utility>

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
// A file is read this many bytes at a time (more for a longer line).
constexpr std::size_t kBlockBytes = 1 << 20;

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

// A row's point as read: its texts view the line, or the reader's own copies when they had
// to be converted (or the number made), until the next row is read.
struct RowPoint {
    std::string_view number;
    double x = 0;
    double y = 0;
    double z = 0;
    std::string_view code;
};

// Reads the rows of a layout, keeping what it converts.
class RowReader {
public:
    explicit RowReader(const CsvLayout& layout) : layout_(layout) {}

    // False when the line does not read as a point.
    bool read(std::string_view line, std::size_t ordinal, RowPoint& point) {
        const std::vector<std::string_view>& fields =
            splitter_.split(line, layout_.separator, layout_.columns.size());
        point = {};
        if (layout_.columns.find('P') == std::string::npos) {
            ordinalText_ = std::to_string(ordinal);
            point.number = ordinalText_;
        }
        for (std::size_t column = 0; column < layout_.columns.size(); ++column) {
            const char letter = layout_.columns[column];
            if (column >= fields.size()) {
                if (letter == 'Z' || letter == 'D') continue;
                return false;
            }
            const std::string_view field = fields[column];
            if (letter == 'P' || letter == 'D') {
                const std::string_view text = trimWhiteSpace(field);
                if (letter == 'P' && text.empty()) return false;
                (letter == 'P' ? point.number : point.code) =
                    inCp1251(text, letter == 'P' ? convertedNumber_ : convertedCode_);
                continue;
            }
            if (letter == 'Z' && trimWhiteSpace(field).empty()) continue;
            double& value = letter == 'N' ? point.x : letter == 'E' ? point.y : point.z;
            if (!readNumber(field, layout_.decimalComma, value)) return false;
        }
        return true;
    }

    std::optional<CsvPoint> read(std::string_view line, std::size_t ordinal) {
        RowPoint point;
        if (!read(line, ordinal, point)) return std::nullopt;
        return CsvPoint{std::string(point.number), point.x, point.y, point.z,
                        std::string(point.code)};
    }

private:
    std::string_view inCp1251(std::string_view text, std::string& converted) const {
        if (layout_.encoding != TextEncoding::Utf8) return text;
        converted = utf8ToCp1251(text);
        return converted;
    }

    const CsvLayout& layout_;
    FieldSplitter splitter_;
    std::string ordinalText_;
    std::string convertedNumber_;
    std::string convertedCode_;
};

// The lines after the header lines that are not blank, from bytes given whole or as runs of
// whole lines one after another.
class DataLines {
public:
    explicit DataLines(const CsvLayout& layout) : layout_(layout) {}

    // Calls handle(line) for each of them until it returns false; every line of the bytes,
    // blank and header lines too, is counted into counter with its line end.
    template <typename Handler>
    void read(std::string_view bytes, Handler handle, ProgressCounter* counter = nullptr) {
        if (lineNumber_ == 0 && layout_.encoding == TextEncoding::Utf8 &&
            bytes.starts_with(kUtf8ByteOrderMark)) {
            bytes.remove_prefix(kUtf8ByteOrderMark.size());
        }
        forEachLine(bytes, [&](std::string_view line) {
            if (counter != nullptr) counter->add(line.size() + 1);
            if (lineNumber_++ < layout_.skipLines || trimWhiteSpace(line).empty()) return true;
            return handle(line);
        });
    }

private:
    const CsvLayout& layout_;
    std::size_t lineNumber_ = 0;
};

template <typename Handler>
void forEachDataLine(std::string_view bytes, const CsvLayout& layout, Handler handle) {
    DataLines(layout).read(bytes, handle);
}

// A file's points read into columns of their own, a run of lines at a time: once the first
// run is read, room is made for as many points a byte in the rest of the file.
class CsvPointReader {
public:
    CsvPointReader(const CsvLayout& layout, ProgressCounter& counter)
        : lines_(layout), counter_(counter), rows_(layout) {}

    void read(std::string_view bytes) {
        lines_.read(
            bytes,
            [&](std::string_view line) {
                RowPoint point;
                if (rows_.read(line, summary_.pointsRead + 1, point)) {
                    add(point);
                } else {
                    ++summary_.rowsUnread;
                }
                return true;
            },
            &counter_);
        bytesRead_ += bytes.size();
    }

    // Room for the points of `totalBytes`, judged by those read so far (and a little more).
    void makeRoom(std::size_t totalBytes) {
        const double scale =
            static_cast<double>(totalBytes) / static_cast<double>(std::max<std::size_t>(bytesRead_, 1)) *
            kRoomMargin;
        const auto scaled = [scale](std::size_t read) {
            return static_cast<std::size_t>(static_cast<double>(read) * scale) + 1;
        };
        for (std::vector<double>* column : {&points_.x, &points_.y, &points_.z}) {
            column->reserve(scaled(points_.x.size()));
        }
        points_.number.reserve(scaled(points_.x.size()), scaled(points_.number.byteCount()));
        points_.code.reserve(scaled(points_.x.size()), scaled(points_.code.byteCount()));
    }

    CsvReadSummary summary() const { return summary_; }

    PointSequences takePoints() {
        // Room an estimate made too large (more than a sixteenth of what is used) goes back.
        const std::size_t count = points_.x.size();
        const auto largeSpare = [](std::size_t capacity, std::size_t used) {
            return capacity - used > used / 16;
        };
        if (largeSpare(points_.x.capacity(), count)) {
            for (std::vector<double>* column : {&points_.x, &points_.y, &points_.z}) {
                column->shrink_to_fit();
            }
        }
        const std::size_t numberBytes =
            points_.number.byteCount() + (count + 1) * sizeof(std::uint32_t);
        if (largeSpare(points_.number.allocatedBytes(), numberBytes)) points_.number.shrinkToFit();
        points_.active.assign(count, 1);
        points_.kind.assign(count, kKindPoint);
        points_.colour.assign(count, kColourAqua);
        return std::move(points_);
    }

private:
    static constexpr double kRoomMargin = 1.02;

    void add(const RowPoint& point) {
        points_.number.append(point.number);
        points_.x.push_back(point.x);
        points_.y.push_back(point.y);
        points_.z.push_back(point.z);
        points_.code.append(point.code);
        ++summary_.pointsRead;
    }

    DataLines lines_;
    ProgressCounter& counter_;
    RowReader rows_;
    PointSequences points_;
    CsvReadSummary summary_;
    std::size_t bytesRead_ = 0;
};

// Hands the file's bytes to take(bytes) a run of whole lines at a time (the last line may lack
// its line end), a line longer than a block whole; then checks that the file did not change.
template <typename Take>
std::optional<FileError> forEachRunOfLines(const RegularFile& file, Take take) {
    std::vector<char> buffer(std::min(kBlockBytes, file.size()));
    std::size_t held = 0;  // the start of a line read before, at the buffer's start
    for (std::size_t at = 0; at < file.size();) {
        if (held == buffer.size()) buffer.resize(std::min(2 * held, held + file.size() - at));
        const std::size_t count = std::min(buffer.size() - held, file.size() - at);
        if (auto error = file.readAt(at, {buffer.data() + held, count})) return error;
        at += count;
        held += count;
        const std::string_view bytes(buffer.data(), held);
        const std::size_t linesEnd = at == file.size() ? held : bytes.rfind('\n') + 1;
        if (linesEnd == 0) continue;  // no line ends yet: the line is read on
        take(bytes.substr(0, linesEnd));
        std::memmove(buffer.data(), buffer.data() + linesEnd, held - linesEnd);
        held -= linesEnd;
    }
    return file.checkUnchanged();
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
    RowReader reader(layout);
    if (rows == 0) return preview;
    forEachDataLine(bytes, layout, [&](std::string_view line) {
        std::optional<CsvPoint> point = reader.read(line, pointsRead + 1);
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
    ProgressCounter counter(progress, bytes.size());
    CsvPointReader reader(layout, counter);
    reader.read(bytes);
    store.assign(reader.takePoints());
    return reader.summary();
}

std::optional<FileError> readCsvPointsFile(const RegularFile& file, const CsvLayout& layout,
                                           PointStore& store, CsvReadSummary& summary,
                                           WorkProgress* progress) {
    store.clear();
    summary = {};
    std::optional<FileError> error;
    try {
        ProgressCounter counter(progress, file.size());
        CsvPointReader reader(layout, counter);
        bool first = true;
        error = forEachRunOfLines(file, [&](std::string_view lines) {
            reader.read(lines);
            if (std::exchange(first, false)) reader.makeRoom(file.size());
        });
        if (!error) {
            store.assign(reader.takePoints());
            summary = reader.summary();
        }
    } catch (const std::bad_alloc&) {
        error = file.readError(ENOMEM);
    } catch (const std::length_error&) {
        error = file.readError(EFBIG);
    }
    return error;
}

std::optional<FileError> guessFileEncoding(const RegularFile& file, TextEncoding& encoding) {
    bool valid = true;
    auto error = forEachRunOfLines(file, [&valid](std::string_view lines) {
        valid = valid && isValidUtf8(lines);
    });
    encoding = valid ? TextEncoding::Utf8 : TextEncoding::Cp1251;
    return error;
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
