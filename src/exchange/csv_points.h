#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "common/file_error.h"
#include "common/work_progress.h"
#include "points/survey_reader.h"

namespace korvela {

class PointStore;
class RegularFile;

// Points in comma-separated files as instruments and other programs write them, columns in
// any order. Column letters: P point number, N northing (X), E easting (Y), Z height,
// D description, kept as the point's code. N and E are needed; without P the points are numbered 1, 2, ...
// in the order read; without Z the heights are 0.

enum class TextEncoding { Cp1251, Utf8 };

// The separator that stands for any run of blanks and tabs.
inline constexpr char kBlankSeparator = ' ';

struct CsvLayout {
    std::string columns = "PNEZD";
    char separator = ',';  // ',', ';', '\t', kBlankSeparator or any other single byte
    bool decimalComma = false;
    std::size_t skipLines = 0;  // header lines read over
    TextEncoding encoding = TextEncoding::Cp1251;
};

// What is wrong with a column order (UTF-8), or nothing when it can be read.
std::optional<std::string> columnOrderProblem(std::string_view columns);

// UTF-8 when the bytes are valid UTF-8 (plain ASCII included), otherwise Windows-1251.
TextEncoding guessEncoding(std::string_view bytes);

// The encoding to read a file in: the preferred one when the bytes can be in it (plain ASCII
// can be in either), otherwise the guessed one.
TextEncoding chooseEncoding(std::string_view bytes, TextEncoding preferred);

// The separator to read a file with: the preferred one when it splits the first non-blank
// lines after the header lines into the same number of fields, at least two; otherwise the
// first of tab, ';', ',' and blanks that does; nothing when none does.
std::optional<char> guessSeparator(std::string_view bytes, std::size_t skipLines,
                                   std::optional<char> preferred = std::nullopt);

struct CsvPoint {
    std::string number;  // Windows-1251
    double x = 0;
    double y = 0;
    double z = 0;
    std::string code;  // Windows-1251, empty for none
};

// The bytes of a file line a preview shows at most; a longer line is cut there and marked "…".
inline constexpr std::size_t kPreviewLineBytes = 512;

// One row of a preview: the line as the file holds it (UTF-8, for showing, shortened to
// kPreviewLineBytes) and the point it gives, nothing when it does not read.
struct CsvPreviewRow {
    std::string line;
    std::optional<CsvPoint> point;
};

// The first `rows` lines after the header lines, blank lines left out, as they will be read.
std::vector<CsvPreviewRow> previewCsv(std::string_view bytes, const CsvLayout& layout,
                                      std::size_t rows);

struct CsvReadSummary {
    std::size_t pointsRead = 0;
    std::size_t rowsUnread = 0;  // lines that are neither blank nor a point
};

// The message (UTF-8) that counts the rows that did not read.
std::string unreadRowsMessage(std::size_t rows);

// Replaces the points of store with those of the file's bytes: active, aqua, ordinary points.
// A row reads when it has the layout's columns, N and E (and Z, when not empty) are numbers
// and P is not empty; fields may be quoted with '"'. Counts the bytes read into progress.
// Large files are parsed by `threads` threads at once, in runs of whole lines; the points
// and their order are the same whatever the number.
CsvReadSummary readCsvPoints(std::string_view bytes, const CsvLayout& layout, PointStore& store,
                             WorkProgress* progress = nullptr,
                             std::size_t threads = surveyParsingThreads());

// The same for a file already open, each thread reading its run a block of lines at a time:
// the file is never held whole. When it cannot be read, or another program changed it
// meanwhile, the store ends empty and the error is returned.
std::optional<FileError> readCsvPointsFile(const RegularFile& file, const CsvLayout& layout,
                                           PointStore& store, CsvReadSummary& summary,
                                           WorkProgress* progress = nullptr,
                                           std::size_t threads = surveyParsingThreads());

// guessEncoding of a file's whole content, read a run of lines at a time.
std::optional<FileError> guessFileEncoding(const RegularFile& file, TextEncoding& encoding);

// The whole content of a file, for the preview; the bytes end empty on an error.
std::optional<FileError> readCsvFile(const std::string& path, std::string& bytes);
// The same for a file already open; kChangedWhileReading when another program shortened,
// extended or rewrote it since it was opened: half a file is never read as a whole one.
std::optional<FileError> readCsvFile(const RegularFile& file, std::string& bytes);

struct CsvWriteOptions {
    char separator = ',';
    bool decimalComma = false;
    TextEncoding encoding = TextEncoding::Cp1251;
};

// "Export CSV": one line per point, number, X, Y, Z, kind, active, in number text (15
// significant digits) with the chosen decimal mark; a field holding the separator, a quote or
// a decimal comma that is also the separator is quoted. While some point has a code, the
// code follows Z (the D column; empty for a point without one). Lines end with CR LF. Counts
// the points into progress.
void writeCsvPoints(const PointStore& store, const CsvWriteOptions& options, std::ostream& out,
                    WorkProgress* progress = nullptr);

}  // namespace korvela
