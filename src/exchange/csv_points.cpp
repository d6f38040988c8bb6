#include "exchange/csv_points.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstring>
#include <iterator>
#include <new>
#include <stdexcept>
#include <utility>

#include "common/cp1251.h"
#include "common/number_parse.h"
#include "common/number_text.h"
#include "common/output_buffer.h"
#include "common/regular_file.h"
#include "common/text_lines.h"
#include "points/line_chunks.h"
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

// The text with each doubled quote read as one, kept in `into`.
std::string_view withSingleQuotes(std::string_view text, std::string& into) {
    into.clear();
    for (std::size_t at = 0; at < text.size(); ++at) {
        into += text[at];
        if (text[at] == kQuote) ++at;  // the second of a doubled quote
    }
    return into;
}

bool isPlainAscii(std::string_view text) {
    return std::all_of(text.begin(), text.end(), [](char c) { return (c & 0x80) == 0; });
}

// The fields a row needs: up to the last of P, N and E (Z and D may be missing).
std::size_t fieldsNeeded(std::string_view columns) {
    return columns.find_last_of("PNE") + 1;
}

// Reads the rows of a layout, keeping what it converts. Which field is which column, and
// whether the rows carry their numbers, is decided once for the layout.
class RowReader {
public:
    explicit RowReader(const CsvLayout& layout)
        : layout_(layout),
          numbered_(layout.columns.find('P') != std::string::npos),
          fieldsNeeded_(fieldsNeeded(layout.columns)) {}

    // Whether the rows have a P column; without one the points are numbered in the order read.
    bool numbered() const { return numbered_; }

    // False when the line does not read as a point. The texts of the point view the line, or
    // the reader's own copies, until the next row is read; without a P column the number is
    // left empty.
    bool read(std::string_view line, ReadPoint& point) {
        point = {};
        std::size_t column = 0;
        bool readable = true;
        walkFields(line, layout_.separator, [&](std::string_view text, bool doubled) {
            readable = readField(layout_.columns[column], text, doubled, point);
            return readable && ++column < layout_.columns.size();
        });
        return readable && column >= fieldsNeeded_;
    }

    // The point of a line read as the `ordinal`-th point.
    std::optional<CsvPoint> read(std::string_view line, std::size_t ordinal) {
        ReadPoint point;
        if (!read(line, point)) return std::nullopt;
        return CsvPoint{numbered_ ? std::string(point.number) : std::to_string(ordinal), point.x,
                        point.y, point.z, std::string(point.code)};
    }

private:
    bool readField(char letter, std::string_view text, bool doubled, ReadPoint& point) {
        switch (letter) {
            case 'P':
                point.number = textOf(text, doubled, number_);
                return !point.number.empty();
            case 'D':
                point.code = textOf(text, doubled, code_);
                return true;
            case 'N':
                return readNumber(text, point.x);
            case 'E':
                return readNumber(text, point.y);
            default:  // 'Z', 0 when empty
                return trimWhiteSpace(text).empty() || readNumber(text, point.z);
        }
    }

    // A text field trimmed, in Windows-1251. (A number field with doubled quotes reads as
    // no number either way, so only text fields have them undoubled.)
    std::string_view textOf(std::string_view text, bool doubled, std::string& own) const {
        if (doubled) text = withSingleQuotes(text, own);
        text = trimWhiteSpace(text);
        if (layout_.encoding != TextEncoding::Utf8 || isPlainAscii(text)) return text;
        own = utf8ToCp1251(text);
        return own;
    }

    bool readNumber(std::string_view text, double& value) {
        if (!layout_.decimalComma) return parseWholeNumber(text, value);
        decimal_.assign(text);
        std::replace(decimal_.begin(), decimal_.end(), ',', '.');
        return parseWholeNumber(decimal_, value);
    }

    const CsvLayout& layout_;
    bool numbered_;
    std::size_t fieldsNeeded_;
    std::string number_;
    std::string code_;
    std::string decimal_;
};

// The lines after the header lines that are not blank, from bytes given whole or as runs of
// whole lines one after another.
class DataLines {
public:
    explicit DataLines(const CsvLayout& layout) : layout_(layout) {}

    // Calls handle(line) for each of them until it returns false.
    template <typename Handler>
    void read(std::string_view bytes, Handler handle) {
        if (lineNumber_ == 0 && layout_.encoding == TextEncoding::Utf8 &&
            bytes.starts_with(kUtf8ByteOrderMark)) {
            bytes.remove_prefix(kUtf8ByteOrderMark.size());
        }
        forEachLine(bytes, [&](std::string_view line) {
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

// Where the data start: after a UTF-8 file's byte order mark and the header lines.
std::size_t dataStart(const SourceBytes& bytes, const CsvLayout& layout) {
    std::vector<char> buffer;
    const bool byteOrderMark =
        layout.encoding == TextEncoding::Utf8 &&
        bytes.read(0, bytes.size(), kUtf8ByteOrderMark.size(), buffer).starts_with(kUtf8ByteOrderMark);
    LineCursor lines(bytes, byteOrderMark ? kUtf8ByteOrderMark.size() : 0);
    for (std::size_t line = 0; line < layout.skipLines && !lines.atEnd(); ++line) lines.next();
    return lines.position();
}

// A run of whole data lines read by one thread into points of its own.
struct CsvRun {
    ByteRange bytes;
    RunPoints points;
    std::size_t rowsUnread = 0;
};

// Reads a run's lines, counting their bytes into progress; room for its points is made once
// its first lines are read.
void readRun(const SourceBytes& bytes, const CsvLayout& layout, CsvRun& run,
             WorkProgress* progress) {
    RowReader rows(layout);
    ProgressCounter counter(progress);
    LineCursor lines(bytes, run.bytes.begin, run.bytes.end);
    ReadPoint point;
    for (std::size_t linesRead = 0; !lines.atEnd(); ++linesRead) {
        if (linesRead == kSampleLines) run.points.reserve(RoomEstimate(run.bytes, lines.position()));
        const std::size_t lineStart = lines.position();
        const std::string_view line = lines.next();
        counter.add(lines.position() - lineStart);
        if (trimWhiteSpace(line).empty()) continue;
        if (rows.read(line, point)) {
            run.points.add(point);
        } else {
            ++run.rowsUnread;
        }
    }
    run.points.releaseLargeSpareRoom();
}

// The numbers 1, 2, ... of `count` points.
PointNumbers ordinalNumbers(std::size_t count) {
    PointNumbers numbers;
    numbers.reserve(count, count * std::to_string(count).size());
    char text[24];
    for (std::size_t ordinal = 1; ordinal <= count; ++ordinal) {
        const auto end = std::to_chars(std::begin(text), std::end(text), ordinal).ptr;
        numbers.append({text, static_cast<std::size_t>(end - text)});
    }
    return numbers;
}

// Replaces the points of store with those of the bytes' data lines, read in runs of whole
// lines by `threads` threads at once and joined in file order. A point's ordinal number
// counts the points of the runs before it, so the numbers of a layout without P are given
// once the runs are joined.
CsvReadSummary readPoints(const SourceBytes& bytes, const CsvLayout& layout, PointStore& store,
                          std::size_t threads, WorkProgress* progress) {
    store.clear();
    ProgressCounter counter(progress, bytes.size());
    const std::size_t start = dataStart(bytes, layout);
    counter.add(start);
    std::vector<CsvRun> runs;
    for (const ByteRange range : splitAtLines(bytes, start, threads)) runs.push_back({range, {}, 0});
    forEachInParallel(runs, [&](CsvRun& run) { readRun(bytes, layout, run, progress); });

    CsvReadSummary summary;
    std::vector<RunPoints*> points;
    for (CsvRun& run : runs) {
        summary.pointsRead += run.points.size();
        summary.rowsUnread += run.rowsUnread;
        points.push_back(&run.points);
    }
    PointSequences sequences = joinPoints(points);
    if (!RowReader(layout).numbered()) {
        sequences.number = PointNumbers();  // the empty numbers go before the ordinals come
        sequences.number = ordinalNumbers(summary.pointsRead);
    }
    store.assign(std::move(sequences));
    return summary;
}

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
    if (options.encoding == TextEncoding::Utf8 && !isPlainAscii(text)) {
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
                             WorkProgress* progress, std::size_t threads) {
    return readPoints(SourceBytes(bytes), layout, store, threads, progress);
}

std::optional<FileError> readCsvPointsFile(const RegularFile& file, const CsvLayout& layout,
                                           PointStore& store, CsvReadSummary& summary,
                                           WorkProgress* progress, std::size_t threads) {
    summary = {};
    auto error = readFileChecked(file, [&](const SourceBytes& bytes) {
        summary = readPoints(bytes, layout, store, threads, progress);
    });
    if (error) {
        store.clear();
        summary = {};
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
