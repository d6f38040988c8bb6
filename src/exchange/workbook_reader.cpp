#include "exchange/workbook_reader.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <functional>
#include <initializer_list>
#include <vector>

#include "common/number_parse.h"
#include "exchange/workbook_package.h"
#include "exchange/workbook_points.h"
#include "exchange/xml_pull_reader.h"
#include "points/point_store.h"

namespace korvela {
namespace {

// The smallest row a sheet can hold, <row><c><v>1</v></c></row>, bounds how many rows a
// sheet part of a given size can have.
constexpr std::uint64_t kSmallestRowBytes = 16;

// Receives the cells of columns A-D in the order the sheet holds them.
class CellSink {
public:
    virtual ~CellSink() = default;
    // The sheet says how many rows it has (bounded by what its size allows).
    virtual void expectRows(std::uint32_t /*rows*/) {}
    // False when the sink cannot take cells in this order.
    virtual bool put(std::uint32_t row, int column, const WorkbookCellView& cell) = 0;
};

// The sink met a cell out of order: the sheet is read again into a whole sheet.
struct CellsOutOfOrder {};

// The shared strings, one after the other in one text.
class SharedStrings {
public:
    explicit SharedStrings(std::uint64_t limit) : limit_(limit) {}

    void add(std::string_view text) {
        if (texts_.size() + text.size() + 8 * (ends_.size() + 1) > limit_) {
            throw WorkbookProblem("книга слишком велика (общих строк больше " + megabytes(limit_) +
                                  ")");
        }
        texts_.append(text);
        ends_.push_back(texts_.size());
    }
    std::size_t size() const { return ends_.size(); }
    std::string_view at(std::size_t index) const {
        const std::size_t start = index == 0 ? 0 : ends_[index - 1];
        return std::string_view(texts_).substr(start, ends_[index] - start);
    }

private:
    std::uint64_t limit_;
    std::string texts_;
    std::vector<std::size_t> ends_;
};

// The elements of a sheet and of its strings that carry what is read.
enum class Tag { Other, SheetData, Dimension, Row, Cell, Value, InlineString, Run, Text, Item };

Tag tagOf(std::string_view name) {
    if (name.size() == 1) {
        switch (name[0]) {
            case 'c':
                return Tag::Cell;
            case 'v':
                return Tag::Value;
            case 'r':
                return Tag::Run;
            case 't':
                return Tag::Text;
        }
        return Tag::Other;
    }
    if (name == "row") return Tag::Row;
    if (name == "is") return Tag::InlineString;
    if (name == "si") return Tag::Item;
    if (name == "sheetData") return Tag::SheetData;
    if (name == "dimension") return Tag::Dimension;
    return Tag::Other;
}

// The path of open elements from the root, as tags.
class TagPath {
public:
    void push(Tag tag) { tags_.push_back(tag); }
    void pop() { tags_.pop_back(); }
    std::size_t depth() const { return tags_.size(); }
    // Whether the path ends in the given tags.
    bool endsWith(std::initializer_list<Tag> tail) const {
        if (tags_.size() < tail.size()) return false;
        return std::equal(tail.begin(), tail.end(), tags_.end() - tail.size());
    }
    Tag top() const { return tags_.empty() ? Tag::Other : tags_.back(); }

private:
    std::vector<Tag> tags_;
};

// Decodes the _xHHHH_ escapes that spreadsheet files use for characters XML cannot carry.
std::string_view decodeEscapes(std::string_view text, std::string& scratch) {
    if (text.find("_x") == std::string_view::npos) return text;
    scratch.clear();
    for (std::size_t i = 0; i < text.size();) {
        unsigned code = 0;
        if (text.compare(i, 2, "_x") == 0 && i + 7 <= text.size() && text[i + 6] == '_' &&
            std::from_chars(text.data() + i + 2, text.data() + i + 6, code, 16).ptr ==
                text.data() + i + 6) {
            if (code >= 0xD800 && code < 0xE000) {
                scratch += '?';
            } else if (code < 0x80) {
                scratch += static_cast<char>(code);
            } else if (code < 0x800) {
                scratch += static_cast<char>(0xC0 | (code >> 6));
                scratch += static_cast<char>(0x80 | (code & 0x3F));
            } else {
                scratch += static_cast<char>(0xE0 | (code >> 12));
                scratch += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
                scratch += static_cast<char>(0x80 | (code & 0x3F));
            }
            i += 7;
        } else {
            scratch += text[i++];
        }
    }
    return scratch;
}

// Runs body over the part's XML, read a chunk at a time; false when there is no such part.
template <typename Body>
bool readXmlPart(WorkbookPackage& package, const std::string& part, const WorkbookLimits& limits,
                 Body&& body, WorkProgress* progress = nullptr) {
    const std::unique_ptr<WorkbookPackage::PartStream> stream =
        package.open(part, limits.partBytes);
    if (!stream) return false;
    if (progress) progress->begin(stream->size());
    XmlPullReader xml(
        [&](char* buffer, std::size_t capacity) {
            const std::size_t count = stream->read(buffer, capacity);
            if (progress) progress->add(count);
            return count;
        },
        limits.itemBytes);
    try {
        body(xml, stream->size());
    } catch (const XmlPullError& error) {
        switch (error.kind()) {
            case XmlPullError::Kind::TooLarge:
                throw WorkbookProblem("книга слишком велика (в части " + part +
                                      " есть строка больше " + megabytes(limits.itemBytes) + ")");
            case XmlPullError::Kind::NotUtf8:
                throw WorkbookProblem("часть " + part + " записана не в кодировке UTF-8");
            case XmlPullError::Kind::Malformed:
                break;
        }
        throw WorkbookProblem("файл повреждён (ошибка XML в части " + part + " на позиции " +
                              std::to_string(error.offset()) + ")");
    }
    return true;
}

// Each string item is the text of its <t>, or of the <t> of each rich-text run; phonetic
// hints are left out.
void readSharedStrings(WorkbookPackage& package, const std::string& part,
                       const WorkbookLimits& limits, SharedStrings& strings) {
    readXmlPart(package, part, limits, [&](XmlPullReader& xml, std::uint64_t) {
        TagPath path;
        std::string item;
        std::string scratch;
        for (XmlPullReader::Event event = xml.next(); event != XmlPullReader::Event::End;
             event = xml.next()) {
            if (event == XmlPullReader::Event::StartElement) {
                path.push(tagOf(xml.name()));
            } else if (event == XmlPullReader::Event::EndElement) {
                if (path.depth() == 2 && path.top() == Tag::Item) {
                    strings.add(decodeEscapes(item, scratch));
                    item.clear();
                }
                path.pop();
            } else if (path.depth() == 3
                           ? path.endsWith({Tag::Item, Tag::Text})
                           : path.depth() == 4 && path.endsWith({Tag::Item, Tag::Run, Tag::Text})) {
                item += xml.text();
            }
        }
    });
}

bool parseRowNumber(std::string_view digits, std::uint32_t& row) {
    if (digits.empty() || digits.size() > 7) return false;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), row);
    return error == std::errc() && end == digits.data() + digits.size() && row >= 1 &&
           row <= kWorkbookMaxRows;
}

// A cell reference such as AB12: column letters, then the row.
bool parseCellReference(std::string_view reference, std::uint32_t& row, std::uint32_t& column) {
    std::size_t letters = 0;
    column = 0;
    while (letters < reference.size() && letters < 4) {
        char letter = reference[letters];
        if (letter >= 'a' && letter <= 'z') letter = static_cast<char>(letter - 'a' + 'A');
        if (letter < 'A' || letter > 'Z') break;
        column = column * 26 + static_cast<std::uint32_t>(letter - 'A' + 1);
        ++letters;
    }
    return letters > 0 && column <= kWorkbookMaxColumns &&
           parseRowNumber(reference.substr(letters), row);
}

// How a cell's value is written, from its t attribute.
enum class CellKind { Number, Shared, Inline, Boolean, Error, Text };

CellKind cellKindOf(std::string_view type) {
    if (type.empty() || type == "n") return CellKind::Number;
    if (type == "s") return CellKind::Shared;
    if (type == "inlineStr") return CellKind::Inline;
    if (type == "b") return CellKind::Boolean;
    if (type == "e") return CellKind::Error;
    return CellKind::Text;  // "str" (a formula's text) and "d" (a date written as text)
}

// The cells of the sheet's <sheetData>, handed to the sink in one pass.
class SheetReader {
public:
    SheetReader(XmlPullReader& xml, const SharedStrings& strings, const WorkbookLimits& limits,
                CellSink& sink)
        : xml_(xml), strings_(strings), limits_(limits), sink_(sink) {}

    void read(std::uint64_t partBytes) {
        maxRows_ = static_cast<std::uint32_t>(
            std::min<std::uint64_t>(kWorkbookMaxRows, partBytes / kSmallestRowBytes));
        for (XmlPullReader::Event event = xml_.next(); event != XmlPullReader::Event::End;
             event = xml_.next()) {
            if (event == XmlPullReader::Event::StartElement) {
                path_.push(tagOf(xml_.name()));
                startElement();
            } else if (event == XmlPullReader::Event::EndElement) {
                if (path_.depth() == 4 && path_.top() == Tag::Cell) endCell();
                path_.pop();
                if (path_.depth() == 1 && insideSheetData_) return;  // the rest holds no cells
            } else {
                collectText();
            }
        }
    }

private:
    void startElement() {
        if (path_.depth() == 2) {
            insideSheetData_ = path_.top() == Tag::SheetData;
            if (path_.top() == Tag::Dimension) expectRows(xml_.attribute("ref"));
        } else if (path_.depth() == 3 && insideSheetData_ && path_.top() == Tag::Row) {
            startRow();
        } else if (path_.depth() == 4 && insideSheetData_ &&
                   path_.endsWith({Tag::Row, Tag::Cell})) {
            startCell();
        } else if (path_.depth() == 5 && path_.endsWith({Tag::Cell, Tag::Value})) {
            hasValue_ = true;
        }
    }

    void expectRows(std::string_view range) {
        const std::size_t colon = range.rfind(':');
        std::string_view last = colon == std::string_view::npos ? range : range.substr(colon + 1);
        while (!last.empty() && last.front() >= 'A' && last.front() <= 'Z') last.remove_prefix(1);
        std::uint32_t rows = 0;
        if (parseRowNumber(last, rows)) sink_.expectRows(std::min(rows, maxRows_));
    }

    void startRow() {
        const std::string_view number = xml_.attribute("r");
        if (number.empty()) {
            if (++row_ > kWorkbookMaxRows) {
                throw WorkbookProblem("в листе больше строк, чем может быть");
            }
        } else if (!parseRowNumber(number, row_)) {
            throw WorkbookProblem("неверный номер строки " + quotedExcerpt(number));
        }
        column_ = 0;
    }

    void startCell() {
        const std::string_view reference = xml_.attribute("r");
        cellRow_ = row_;
        if (reference.empty()) {
            if (++column_ > kWorkbookMaxColumns) {
                throw WorkbookProblem("в строке " + std::to_string(row_) +
                                      " больше ячеек, чем столбцов листа");
            }
        } else if (!parseCellReference(reference, cellRow_, column_)) {
            throw WorkbookProblem("неверная ссылка на ячейку " + quotedExcerpt(reference));
        }
        keptCell_ = column_ <= static_cast<std::uint32_t>(kWorkbookColumns);
        if (keptCell_) kind_ = cellKindOf(xml_.attribute("t"));
        hasValue_ = false;
        value_.clear();
        inline_.clear();
    }

    void collectText() {
        if (!keptCell_) return;
        if (path_.depth() == 5 && path_.endsWith({Tag::Cell, Tag::Value})) {
            value_ += xml_.text();
        } else if (path_.depth() == 6
                       ? path_.endsWith({Tag::Cell, Tag::InlineString, Tag::Text})
                       : path_.depth() == 7 &&
                             path_.endsWith({Tag::InlineString, Tag::Run, Tag::Text})) {
            inline_ += xml_.text();
        }
    }

    void endCell() {
        if (!keptCell_) return;
        const int column = static_cast<int>(column_);
        const WorkbookCellView cell = cellValue(column);
        if (cell.type == WorkbookCell::Type::Empty) return;
        if (cell.type == WorkbookCell::Type::Text || cell.type == WorkbookCell::Type::Error) {
            countText(cell.text.size());
        }
        if (!sink_.put(cellRow_, column, cell)) throw CellsOutOfOrder{};
    }

    WorkbookCellView cellValue(int column) {
        using Type = WorkbookCell::Type;
        if (kind_ == CellKind::Inline) return {Type::Text, 0, decodeEscapes(inline_, scratch_)};
        if (!hasValue_) return {};  // no value: an empty cell (a formula never calculated too)
        switch (kind_) {
            case CellKind::Shared: {
                std::size_t index = 0;
                const auto [end, error] =
                    std::from_chars(value_.data(), value_.data() + value_.size(), index);
                if (error != std::errc() || end != value_.data() + value_.size() ||
                    index >= strings_.size()) {
                    throw WorkbookProblem("в ячейке " + workbookCellName(cellRow_, column) +
                                          " ссылка на несуществующую строку " +
                                          quotedExcerpt(value_));
                }
                return {Type::Text, 0, strings_.at(index)};
            }
            case CellKind::Boolean:
                return {Type::Boolean, value_ == "1" || value_ == "true" ? 1.0 : 0.0, {}};
            case CellKind::Error:
                return {Type::Error, 0, value_};
            case CellKind::Number: {
                double number = 0;
                if (!parseWholeNumber(value_, number)) {
                    throw WorkbookProblem("в ячейке " + workbookCellName(cellRow_, column) +
                                          " не число: " + quotedExcerpt(value_));
                }
                return {Type::Number, number, {}};
            }
            case CellKind::Text:
            case CellKind::Inline:
                break;
        }
        return {Type::Text, 0, decodeEscapes(value_, scratch_)};
    }

    // Every use of a text counts: one shared string in many cells is copied for each.
    void countText(std::size_t bytes) {
        textBytes_ += bytes;
        if (textBytes_ > limits_.sheetTextBytes) {
            throw WorkbookProblem("книга слишком велика (текст в столбцах A-D больше " +
                                  megabytes(limits_.sheetTextBytes) + ")");
        }
    }

    XmlPullReader& xml_;
    const SharedStrings& strings_;
    const WorkbookLimits& limits_;
    CellSink& sink_;
    TagPath path_;
    bool insideSheetData_ = false;
    std::uint32_t maxRows_ = 0;
    std::uint32_t row_ = 0;
    std::uint32_t column_ = 0;
    std::uint32_t cellRow_ = 0;
    bool keptCell_ = false;
    CellKind kind_ = CellKind::Number;
    bool hasValue_ = false;
    std::string value_;
    std::string inline_;
    std::string scratch_;
    std::uint64_t textBytes_ = 0;
};

// Hands every cell of A-D of the package's first sheet to the sink, counting the sheet's
// bytes into progress.
void readCells(WorkbookPackage& package, const WorkbookLimits& limits, CellSink& sink,
               WorkProgress* progress) {
    const WorkbookLayout layout = findWorkbookLayout(package, limits);
    // A chart sheet in front, or a workbook without sheets, has no cells to read.
    if (layout.firstSheetPart.empty()) return;
    SharedStrings strings(limits.sharedStringBytes);
    if (!layout.sharedStringsPart.empty()) {
        readSharedStrings(package, layout.sharedStringsPart, limits, strings);
    }
    const bool found = readXmlPart(
        package, layout.firstSheetPart, limits,
        [&](XmlPullReader& xml, std::uint64_t partBytes) {
            SheetReader(xml, strings, limits, sink).read(partBytes);
        },
        progress);
    if (!found) throw WorkbookProblem("файл повреждён (нет части " + layout.firstSheetPart + ")");
}

class WholeSheetSink : public CellSink {
public:
    bool put(std::uint32_t row, int column, const WorkbookCellView& cell) override {
        sheet.put(row, column, cell);
        return true;
    }
    WorkbookSheet sheet;
};

class PointRowsSink : public CellSink {
public:
    explicit PointRowsSink(PointStore& points) : points_(points), rows_(points) {}
    void expectRows(std::uint32_t rows) override { points_.reserve(rows); }
    bool put(std::uint32_t row, int column, const WorkbookCellView& cell) override {
        return rows_.put(row, column, cell);
    }
    void finish() { rows_.finish(); }

private:
    PointStore& points_;
    WorkbookPointRows rows_;
};

// Where the workbook's bytes come from: memory or a file already opened.
using SourceMaker = std::function<zip_source_t*()>;

WorkbookSheet readSheet(const SourceMaker& makeSource, const WorkbookLimits& limits,
                        WorkProgress* progress) {
    WorkbookPackage package(makeSource(), limits);
    WholeSheetSink sink;
    readCells(package, limits, sink, progress);
    sink.sheet.finish();
    return std::move(sink.sheet);
}

PointStore readPoints(const SourceMaker& makeSource, const WorkbookLimits& limits,
                      WorkProgress* progress) {
    PointStore points;
    try {
        WorkbookPackage package(makeSource(), limits);
        PointRowsSink sink(points);
        readCells(package, limits, sink, progress);
        sink.finish();
    } catch (const CellsOutOfOrder&) {
        points = PointStore();
        readWorkbookPoints(readSheet(makeSource, limits, progress), points);
    }
    points.releaseSpareCapacity();
    return points;
}

zip_source_t* memorySource(std::string_view bytes) {
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t* source = zip_source_buffer_create(bytes.data(), bytes.size(), 0, &error);
    zip_error_fini(&error);
    if (source == nullptr) throw WorkbookProblem("не хватает памяти");
    return source;
}

template <typename Result>
std::optional<WorkbookError> readFromBytes(std::string_view bytes, const WorkbookLimits& limits,
                                           Result& result,
                                           Result (*read)(const SourceMaker&, const WorkbookLimits&,
                                                          WorkProgress*)) {
    try {
        result = read([&] { return memorySource(bytes); }, limits, nullptr);
        return std::nullopt;
    } catch (const WorkbookProblem& problem) {
        return WorkbookError{FileError::Operation::Read, {}, 0, problem.what()};
    }
}

// The workbook file opened for reading: only a regular file of at most `limit` bytes. A pipe
// is opened without waiting for a writer, so that it is refused at once.
class WorkbookFile {
public:
    WorkbookFile(const std::string& path, std::uint64_t limit) : path_(path) {
        descriptor_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
        if (descriptor_ < 0) {
            error_ = failure(errno);
            return;
        }
        struct stat status {};
        if (::fstat(descriptor_, &status) != 0) {
            error_ = failure(errno);
        } else if (S_ISDIR(status.st_mode)) {
            error_ = failure(EISDIR);
        } else if (!S_ISREG(status.st_mode)) {
            error_ = failure(kNotRegularFile);
        } else if (static_cast<std::uint64_t>(status.st_size) > limit) {
            error_ = WorkbookError{FileError::Operation::Read, path, 0,
                                   "файл больше " + megabytes(limit)};
        }
    }
    ~WorkbookFile() {
        if (descriptor_ >= 0) ::close(descriptor_);
    }
    WorkbookFile(const WorkbookFile&) = delete;
    WorkbookFile& operator=(const WorkbookFile&) = delete;

    const std::optional<WorkbookError>& error() const { return error_; }

    // A zip source reading the file from its start; each source reads through its own copy
    // of the descriptor.
    zip_source_t* source() const {
        const int copy = ::dup(descriptor_);
        std::FILE* file = copy >= 0 ? ::fdopen(copy, "rb") : nullptr;
        if (file == nullptr) {
            if (copy >= 0) ::close(copy);
            throw WorkbookProblem("не удаётся открыть файл");
        }
        zip_error_t error;
        zip_error_init(&error);
        zip_source_t* source = zip_source_filep_create(file, 0, -1, &error);
        zip_error_fini(&error);
        if (source == nullptr) {
            std::fclose(file);
            throw WorkbookProblem("не удаётся открыть файл");
        }
        return source;
    }

private:
    WorkbookError failure(int errorNumber) const {
        return WorkbookError{FileError::Operation::Read, path_, errorNumber, {}};
    }

    std::string path_;
    int descriptor_ = -1;
    std::optional<WorkbookError> error_;
};

template <typename Result>
std::optional<WorkbookError> readFromFile(const std::string& path, const WorkbookLimits& limits,
                                          Result& result, WorkProgress* progress,
                                          Result (*read)(const SourceMaker&, const WorkbookLimits&,
                                                         WorkProgress*)) {
    const WorkbookFile file(path, limits.fileBytes);
    if (file.error()) return file.error();
    try {
        result = read([&] { return file.source(); }, limits, progress);
        return std::nullopt;
    } catch (const WorkbookProblem& problem) {
        return WorkbookError{FileError::Operation::Read, path, 0, problem.what()};
    }
}

}  // namespace

std::optional<WorkbookError> readFirstSheet(std::string_view bytes, WorkbookSheet& sheet,
                                            const WorkbookLimits& limits) {
    return readFromBytes(bytes, limits, sheet, &readSheet);
}

std::optional<WorkbookError> readFirstSheetFile(const std::string& path, WorkbookSheet& sheet,
                                                const WorkbookLimits& limits) {
    return readFromFile(path, limits, sheet, nullptr, &readSheet);
}

std::optional<WorkbookError> readWorkbookPoints(std::string_view bytes, PointStore& points,
                                                const WorkbookLimits& limits) {
    return readFromBytes(bytes, limits, points, &readPoints);
}

std::optional<WorkbookError> readWorkbookPointsFile(const std::string& path, PointStore& points,
                                                    const WorkbookLimits& limits,
                                                    WorkProgress* progress) {
    return readFromFile(path, limits, points, progress, &readPoints);
}

}  // namespace korvela
