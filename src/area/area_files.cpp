#include "area/area_files.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>

#include "area/area_computation.h"
#include "area/area_sheet.h"
#include "common/safe_file_writer.h"
#include "common/text_lines.h"

namespace korvela {

const char* const kAreaFileHeader = "This is a TavRIN KRM 0.51 savefile. Please DO NOT EDIT!";

namespace {

constexpr const char* kLineEnd = "\r\n";
constexpr std::size_t kAreaFileCountLength = 4;
constexpr std::size_t kStatementCountLineLength = 99;
constexpr std::size_t kStatementCountStart = 4;
constexpr int kCellsPerRow = AreaSheet::ColumnCount;
// A count beyond these is refused: no parcel has that many points, and a few bytes claiming
// millions would otherwise take gigabytes.
constexpr int kLargestStatementCount = 100000;

bool isBlankOrTab(char c) { return c == ' ' || c == '\t' || c == '\v' || c == '\f' || c == '\r'; }

// The start of the next word at or after `from` within the line, or its size.
std::size_t wordStart(std::string_view line, std::size_t from) {
    while (from < line.size() && isBlankOrTab(line[from])) ++from;
    return from;
}

std::size_t wordEnd(std::string_view line, std::size_t from) {
    while (from < line.size() && !isBlankOrTab(line[from])) ++from;
    return from;
}

// A point count read from text: the number with its fraction cut off, anything below 1
// giving 0; nothing when it is above `largest`.
std::optional<int> pointCountFrom(std::string_view text, int largest) {
    const double value = std::trunc(readSheetNumber(text));
    if (value > largest) return std::nullopt;
    return value >= 1 ? static_cast<int>(value) : 0;
}

std::string tooManyPoints(int largest) { return "число точек больше " + std::to_string(largest); }

// One point row of an area computation file: its 7 cells, empty where the line has none.
void readPointRow(std::string_view line, int row, AreaSheet& sheet) {
    std::string cells[kCellsPerRow];
    if (std::count(line.begin(), line.end(), ' ') == kCellsPerRow) {
        std::size_t start = 0;
        for (std::string& cell : cells) {
            const std::size_t space = line.find(' ', start);
            cell = line.substr(start, space - start);
            start = space + 1;
        }
    } else {
        std::size_t at = 0;
        for (std::string& cell : cells) {
            const std::size_t start = wordStart(line, at);
            at = wordEnd(line, start);
            cell = line.substr(start, at - start);
        }
    }
    for (int column = 0; column < kCellsPerRow; ++column)
        sheet.setCell(row, column, std::move(cells[column]));
}

// Reads an area computation file line by line; stops after the last point row.
class AreaFileReader {
public:
    explicit AreaFileReader(AreaSheet& sheet) : sheet_(sheet) {}

    bool line(std::string_view text) {
        ++lineNumber_;
        if (lineNumber_ == 1) return true;
        if (lineNumber_ == 2) {
            const std::optional<int> count =
                pointCountFrom(text.substr(0, kAreaFileCountLength), kLargestAreaFileCount);
            if (!count) {
                refusal_ = tooManyPoints(kLargestAreaFileCount);
                return false;
            }
            sheet_.buildTable(*count);
            return sheet_.pointCount() > 0;
        }
        readPointRow(text, rowsRead_++, sheet_);
        return rowsRead_ < sheet_.pointCount();
    }

    // The file ended: a sheet without a count line has no points, rows without a line are
    // empty. Returns the refusal of a count too large, the sheet then untouched.
    std::optional<std::string> finish() {
        if (refusal_) return refusal_;
        if (lineNumber_ < 2) sheet_.buildTable(0);
        for (int row = rowsRead_; row < sheet_.pointCount(); ++row) readPointRow({}, row, sheet_);
        return std::nullopt;
    }

private:
    AreaSheet& sheet_;
    int lineNumber_ = 0;
    int rowsRead_ = 0;
    std::optional<std::string> refusal_;
};

// Reads a coordinate statement line by line; a section's words may run across lines.
class StatementReader {
public:
    explicit StatementReader(AreaSheet& sheet) : sheet_(sheet) {}

    bool line(std::string_view text) {
        ++lineNumber_;
        if (lineNumber_ == 1) return true;
        if (lineNumber_ == 2) {
            const std::string_view countLine = text.substr(0, kStatementCountLineLength);
            const std::string_view countText = countLine.size() > kStatementCountStart
                                                   ? countLine.substr(kStatementCountStart)
                                                   : std::string_view();
            const std::optional<int> count = pointCountFrom(countText, kLargestStatementCount);
            if (!count) {
                refusal_ = tooManyPoints(kLargestStatementCount);
                return false;
            }
            sheet_.buildTable(*count);
            return true;
        }
        if (column_ >= 0) {
            const std::size_t end = readSectionWords(text);
            if (column_ >= 0) return true;
            text.remove_prefix(end);
        }
        startSectionAt(text);
        return true;
    }

    // The file ended: the section being read leaves its remaining cells empty. Returns the
    // refusal of a count too large, the sheet then untouched.
    std::optional<std::string> finish() {
        if (refusal_) return refusal_;
        if (lineNumber_ < 2) sheet_.buildTable(0);
        if (column_ < 0) return std::nullopt;
        for (int row = wordsRead_; row < sheet_.pointCount(); ++row)
            sheet_.setCell(row, column_, std::string());
        return std::nullopt;
    }

private:
    void startSectionAt(std::string_view heading) {
        if (heading == "[X]") {
            column_ = AreaSheet::XColumn;
        } else if (heading == "[Y]") {
            column_ = AreaSheet::YColumn;
        } else {
            return;
        }
        wordsRead_ = 0;
        if (sheet_.pointCount() == 0) column_ = -1;  // nothing to read: the next line is a line
    }

    // Puts the line's words into the section's column; returns where the line goes on
    // after the section's last word, which ends the section.
    std::size_t readSectionWords(std::string_view text) {
        std::size_t at = 0;
        while (true) {
            const std::size_t start = wordStart(text, at);
            if (start == text.size()) return start;
            at = wordEnd(text, start);
            sheet_.setCell(wordsRead_++, column_, std::string(text.substr(start, at - start)));
            if (wordsRead_ == sheet_.pointCount()) {
                column_ = -1;
                return at;
            }
        }
    }

    AreaSheet& sheet_;
    std::optional<std::string> refusal_;
    int lineNumber_ = 0;
    int column_ = -1;  // the column of the section being read, -1 between sections
    int wordsRead_ = 0;
};

}  // namespace

void removeBlanksFromPointNumbers(AreaSheet& sheet) {
    for (int row = 0; row < sheet.pointCount(); ++row) {
        std::string number = sheet.cell(row, AreaSheet::NumberColumn);
        number.erase(std::remove(number.begin(), number.end(), ' '), number.end());
        sheet.setCell(row, AreaSheet::NumberColumn, std::move(number));
    }
}

void writeAreaFile(std::ostream& out, const AreaSheet& sheet) {
    out << kAreaFileHeader << kLineEnd << sheet.pointCount() << kLineEnd;
    for (int row = 0; row < sheet.pointCount(); ++row) {
        for (int column = 0; column < kCellsPerRow; ++column) out << sheet.cell(row, column) << ' ';
        out << kLineEnd;
    }
    out << sheet.result();
}

std::optional<FileError> saveAreaFile(const std::string& path, AreaSheet& sheet) {
    return writeFileSafely(path, [&sheet](std::ostream& out) {
        removeBlanksFromPointNumbers(sheet);
        writeAreaFile(out, sheet);
    });
}

namespace {

template <class Reader>
std::optional<std::string> readLines(std::string_view bytes, AreaSheet& sheet) {
    Reader reader(sheet);
    forEachLine(bytes, [&reader](std::string_view line) { return reader.line(line); });
    return reader.finish();
}

// Reads the file into a sheet of its own, handed over only when the whole file was read.
template <class Reader>
std::optional<FileError> readLinesOfFile(const std::string& path, AreaSheet& sheet) {
    AreaSheet loaded;
    Reader reader(loaded);
    if (auto error = forEachLineOfFile(
            path, [&reader](std::string_view line) { return reader.line(line); })) {
        return error;
    }
    if (auto refusal = reader.finish()) {
        return FileError(FileError::Operation::Read, path, 0, std::move(*refusal));
    }
    sheet = std::move(loaded);
    return std::nullopt;
}

}  // namespace

std::optional<std::string> readAreaFile(std::string_view bytes, AreaSheet& sheet) {
    return readLines<AreaFileReader>(bytes, sheet);
}

std::optional<FileError> openAreaFile(const std::string& path, AreaSheet& sheet) {
    return readLinesOfFile<AreaFileReader>(path, sheet);
}

std::optional<std::string> readStatement(std::string_view bytes, AreaSheet& sheet) {
    return readLines<StatementReader>(bytes, sheet);
}

std::optional<FileError> loadStatementFile(const std::string& path, AreaSheet& sheet) {
    auto error = readLinesOfFile<StatementReader>(path, sheet);
    // A file that cannot be read leaves the sheet emptied; a count refused leaves it as it was.
    if (error && error->reason.empty()) sheet.emptyCells();
    return error;
}

}  // namespace korvela
