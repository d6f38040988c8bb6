#include "exchange/workbook_writer.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zip.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <memory>
#include <span>
#include <string_view>

#include "common/cp1251.h"
#include "common/number_text.h"
#include "common/safe_file_writer.h"
#include "exchange/workbook_package.h"
#include "exchange/workbook_points.h"
#include "exchange/workbook_sheet.h"
#include "points/point_store.h"

namespace korvela {
namespace {

// A light compression level: a million points pack six times faster than with the default,
// into a file a fifth larger.
constexpr zip_uint32_t kCompressionLevel = 1;
constexpr std::size_t kCellCharacters = 32767;  // the most a cell holds
constexpr std::size_t kRowsPerBatch = 4096;

constexpr std::string_view kSheetPart = "xl/worksheets/sheet1.xml";

// Column widths, counted in the widest digit's width as a workbook counts them. A spreadsheet
// shows a General number too wide for its column rounded (7312105.678 as 7312106), so columns
// A-D are made as wide as the longest text written into them.
constexpr std::size_t kPointColumns = 4;      // number, X, Y, Z
constexpr double kDefaultColumnWidth = 8.43;  // what a column without a width of its own has
constexpr double kWidestColumn = 255;         // the most a column may be given
constexpr double kCellRoom = 1;               // the cell's margins beside its text
// A tenth more for a workbook whose cells are written in another font than the one its
// widths are counted in (LibreOffice's own font in a workbook without styles).
constexpr double kOtherFontAllowance = 1.1;
// A letter in a point number counts as wide as the widest one (Ш is 1.6 digits wide); digits,
// points, signs and blanks are no wider than a digit.
constexpr double kLetterWidth = 1.6;
// An exponent is shown with its sign and three digits: 1E-7 as 1E-007.
constexpr std::size_t kShownExponentDigits = 3;

constexpr std::string_view kXmlDeclaration =
    "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n";
constexpr std::string_view kMainNamespace =
    "xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\"";
constexpr std::string_view kRelationshipNamespace =
    "xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\"";

// The parts of a new workbook around its one sheet.
struct ConstantPart {
    const char* name;
    const char* content;
};
constexpr ConstantPart kNewWorkbookParts[] = {
    {"[Content_Types].xml",
     "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
     "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\">"
     "<Default Extension=\"rels\" "
     "ContentType=\"application/vnd.openxmlformats-package.relationships+xml\"/>"
     "<Default Extension=\"xml\" ContentType=\"application/xml\"/>"
     "<Override PartName=\"/xl/workbook.xml\" "
     "ContentType=\"application/vnd.openxmlformats-officedocument.spreadsheetml.sheet.main+xml\"/>"
     "<Override PartName=\"/xl/worksheets/sheet1.xml\" "
     "ContentType=\"application/vnd.openxmlformats-officedocument.spreadsheetml.worksheet+xml\"/>"
     "<Override PartName=\"/xl/styles.xml\" "
     "ContentType=\"application/vnd.openxmlformats-officedocument.spreadsheetml.styles+xml\"/>"
     "</Types>"},
    {"_rels/.rels",
     "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
     "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
     "<Relationship Id=\"rId1\" "
     "Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/officeDocument\" "
     "Target=\"xl/workbook.xml\"/></Relationships>"},
    {"xl/workbook.xml",
     "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
     "<workbook xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\" "
     "xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\">"
     "<bookViews><workbookView/></bookViews>"
     "<sheets><sheet name=\"Sheet1\" sheetId=\"1\" r:id=\"rId1\"/></sheets></workbook>"},
    {"xl/_rels/workbook.xml.rels",
     "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
     "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
     "<Relationship Id=\"rId1\" "
     "Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/worksheet\" "
     "Target=\"worksheets/sheet1.xml\"/>"
     "<Relationship Id=\"rId2\" "
     "Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/styles\" "
     "Target=\"styles.xml\"/></Relationships>"},
    {"xl/styles.xml",
     "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
     "<styleSheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\">"
     "<fonts count=\"1\"><font><sz val=\"11\"/><name val=\"Calibri\"/><family val=\"2\"/></font>"
     "</fonts><fills count=\"2\"><fill><patternFill patternType=\"none\"/></fill>"
     "<fill><patternFill patternType=\"gray125\"/></fill></fills>"
     "<borders count=\"1\"><border><left/><right/><top/><bottom/><diagonal/></border></borders>"
     "<cellStyleXfs count=\"1\"><xf numFmtId=\"0\" fontId=\"0\" fillId=\"0\" borderId=\"0\"/>"
     "</cellStyleXfs><cellXfs count=\"1\"><xf numFmtId=\"0\" fontId=\"0\" fillId=\"0\" "
     "borderId=\"0\" xfId=\"0\"/></cellXfs><cellStyles count=\"1\"><cellStyle name=\"Normal\" "
     "xfId=\"0\" builtinId=\"0\"/></cellStyles></styleSheet>"},
};

bool isHexDigit(char c) {
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
}

// Whether text at `at` reads as an _xHHHH_ escape, which a literal must not be taken for.
bool looksLikeEscape(std::string_view text, std::size_t at) {
    if (text.compare(at, 2, "_x") != 0 || at + 7 > text.size() || text[at + 6] != '_') return false;
    for (std::size_t i = at + 2; i < at + 6; ++i) {
        if (!isHexDigit(text[i])) return false;
    }
    return true;
}

void appendEscapedCode(std::string& out, unsigned char code) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    out += "_x00";
    out += kHex[code >> 4];
    out += kHex[code & 0xF];
    out += '_';
}

// A point number as the text of an inline string: XML's own escapes, _xHHHH_ for the control
// characters XML cannot carry or would change (CR), and _x005F_ for an underscore that would
// otherwise start such an escape, so that every number comes back byte for byte.
void appendCellText(std::string& out, std::string_view utf8) {
    for (std::size_t at = 0; at < utf8.size(); ++at) {
        const char c = utf8[at];
        switch (c) {
            case '&':
                out += "&amp;";
                break;
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            case '_':
                out += looksLikeEscape(utf8, at) ? "_x005F_" : "_";
                break;
            default:
                if (static_cast<unsigned char>(c) < 0x20 && c != '\t' && c != '\n') {
                    appendEscapedCode(out, static_cast<unsigned char>(c));
                } else {
                    out += c;
                }
        }
    }
}

bool isXmlSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

// The width a point number (Windows-1251, a character a byte) takes in a cell.
double numberTextWidth(std::string_view number) {
    double width = 0;
    for (const char c : number) {
        const bool narrow = (c >= '0' && c <= '9') || c == '.' || c == '-' || c == '+' || c == ' ';
        width += narrow ? 1 : kLetterWidth;
    }
    return width;
}

// The width of a number's text as a spreadsheet shows it in General format.
double valueWidth(double value) {
    char text[kNumberTextCapacity];
    const std::string_view shown(text, formatNumberInto(value, text));
    const std::size_t exponent = shown.find('E');
    if (exponent == std::string_view::npos) return static_cast<double>(shown.size());
    const std::size_t digitsAt = exponent + (shown[exponent + 1] == '-' ? 2 : 1);
    return static_cast<double>(exponent + 2 +
                               std::max(kShownExponentDigits, shown.size() - digitsAt));
}

// The widths of columns A-D that show every point whole, never narrower than a column
// without a width of its own.
std::array<double, kPointColumns> pointColumnWidths(const PointStore& store) {
    std::array<double, kPointColumns> widths{};
    const std::span<const double> values[] = {store.x(), store.y(), store.z()};
    for (std::size_t i = 0; i < store.count(); ++i) {
        widths[0] = std::max(widths[0], numberTextWidth(store.number()[i]));
        for (std::size_t column = 1; column < kPointColumns; ++column) {
            widths[column] = std::max(widths[column], valueWidth(values[column - 1][i]));
        }
    }
    for (double& width : widths) {
        width =
            std::clamp(width * kOtherFontAllowance + kCellRoom, kDefaultColumnWidth, kWidestColumn);
    }
    return widths;
}

// The sheet's XML, made a batch of rows at a time while the compressor asks for it.
class SheetXml {
public:
    SheetXml(const PointStore& store, WorkProgress* progress)
        : store_(store), progress_(progress), columnWidths_(pointColumnWidths(store)) {
        if (progress_) progress_->begin(store.count());
    }

    std::size_t read(char* out, std::size_t capacity) {
        std::size_t written = 0;
        while (written < capacity) {
            if (pendingAt_ == pending_.size() && !produce()) break;
            const std::size_t count = std::min(capacity - written, pending_.size() - pendingAt_);
            std::memcpy(out + written, pending_.data() + pendingAt_, count);
            pendingAt_ += count;
            written += count;
        }
        return written;
    }

    // read() for libzip, which asks for the rows while it compresses: what making them
    // throws (a stop, no memory) must not unwind through it. It is kept for
    // rethrowFailure(), and libzip is told the source failed.
    zip_int64_t readForLibzip(char* out, std::size_t capacity) noexcept {
        try {
            return static_cast<zip_int64_t>(read(out, capacity));
        } catch (...) {
            failure_ = std::current_exception();
            return -1;
        }
    }

    void rethrowFailure() const {
        if (failure_) std::rethrow_exception(failure_);
    }

    void rewind() {
        next_ = 0;
        stage_ = Stage::Head;
        pending_.clear();
        pendingAt_ = 0;
    }

private:
    enum class Stage { Head, Rows, Tail, Done };

    bool produce() {
        pending_.clear();
        pendingAt_ = 0;
        switch (stage_) {
            case Stage::Head:
                appendHead();
                stage_ = Stage::Rows;
                return true;
            case Stage::Rows: {
                const std::size_t first = next_;
                for (std::size_t end = std::min(store_.count(), next_ + kRowsPerBatch); next_ < end;
                     ++next_) {
                    appendRow(next_);
                }
                if (progress_) progress_->add(next_ - first);
                if (next_ == store_.count()) stage_ = Stage::Tail;
                return true;
            }
            case Stage::Tail:
                pending_ += "</sheetData></worksheet>";
                stage_ = Stage::Done;
                return true;
            case Stage::Done:
                break;
        }
        return false;
    }

    void appendHead() {
        pending_ += kXmlDeclaration;
        pending_ += "<worksheet ";
        pending_ += kMainNamespace;
        pending_ += ' ';
        pending_ += kRelationshipNamespace;
        pending_ += "><dimension ref=\"A1";
        if (store_.count() > 0) {
            pending_ += store_.code().any() ? ":E" : ":D";
            pending_ += std::to_string(store_.count());
        }
        pending_ += "\"/><cols>";
        for (std::size_t column = 0; column < kPointColumns; ++column) {
            const std::string number = std::to_string(column + 1);
            pending_ += "<col min=\"" + number + "\" max=\"" + number + "\" width=\"" +
                        formatNumber(columnWidths_[column]) + "\" customWidth=\"1\"/>";
        }
        pending_ += "</cols><sheetData>";
    }

    void appendRow(std::size_t point) {
        const std::string row = std::to_string(point + 1);
        pending_ += "<row r=\"";
        pending_ += row;
        pending_ += "\">";
        appendTextCell('A', row, store_.number()[point]);
        appendNumberCell('B', row, store_.x()[point]);
        appendNumberCell('C', row, store_.y()[point]);
        appendNumberCell('D', row, store_.z()[point]);
        // A point without a code leaves column E empty.
        const std::string_view code = store_.code()[point];
        if (!code.empty()) appendTextCell('E', row, code);
        pending_ += "</row>";
    }

    // Windows-1251 text as an inline string cell.
    void appendTextCell(char column, const std::string& row, std::string_view cp1251) {
        const std::string text = cp1251ToUtf8(cp1251);
        pending_ += "<c r=\"";
        pending_ += column;
        pending_ += row;
        pending_ += "\" t=\"inlineStr\"><is><t";
        if (!text.empty() && (isXmlSpace(text.front()) || isXmlSpace(text.back()))) {
            pending_ += " xml:space=\"preserve\"";
        }
        pending_ += '>';
        appendCellText(pending_, text);
        pending_ += "</t></is></c>";
    }

    void appendNumberCell(char column, const std::string& row, double value) {
        char text[kNumberTextCapacity];
        const std::size_t length = formatNumberInto(value, text);
        pending_ += "<c r=\"";
        pending_ += column;
        pending_ += row;
        pending_ += "\"><v>";
        pending_.append(text, length);
        pending_ += "</v></c>";
    }

    const PointStore& store_;
    WorkProgress* progress_;
    std::array<double, kPointColumns> columnWidths_;
    std::size_t next_ = 0;
    Stage stage_ = Stage::Head;
    std::string pending_;
    std::size_t pendingAt_ = 0;
    std::exception_ptr failure_;
};

// libzip's view of the sheet: a source it reads while it compresses.
zip_int64_t sheetSourceCallback(void* state, void* data, zip_uint64_t length,
                                zip_source_cmd_t command) {
    auto* sheet = static_cast<SheetXml*>(state);
    switch (command) {
        case ZIP_SOURCE_OPEN:
            sheet->rewind();
            return 0;
        case ZIP_SOURCE_READ:
            return sheet->readForLibzip(static_cast<char*>(data), length);
        case ZIP_SOURCE_CLOSE:
        case ZIP_SOURCE_FREE:
            return 0;
        case ZIP_SOURCE_STAT: {
            auto* status = static_cast<zip_stat_t*>(data);
            zip_stat_init(status);
            return sizeof(zip_stat_t);
        }
        case ZIP_SOURCE_SUPPORTS:
            return zip_source_make_command_bitmap(ZIP_SOURCE_OPEN, ZIP_SOURCE_READ,
                                                  ZIP_SOURCE_CLOSE, ZIP_SOURCE_STAT,
                                                  ZIP_SOURCE_ERROR, ZIP_SOURCE_FREE, -1);
        default:
            return -1;
    }
}

// Why the points cannot go into a workbook; empty when they can.
std::string refusal(const PointStore& store) {
    if (store.count() > kWorkbookMaxRows) {
        return "точек больше, чем строк в листе (" + std::to_string(kWorkbookMaxRows) + ")";
    }
    if (const auto point = firstPointWithNulInNumber(store)) {
        return "номер точки в строке " + std::to_string(*point + 1) +
               " содержит нулевой байт, которого книга не хранит";
    }
    for (std::size_t i = 0; i < store.count(); ++i) {
        if (store.number()[i].size() > kCellCharacters) {  // one byte a character
            return "номер точки в строке " + std::to_string(i + 1) + " длиннее, чем вмещает ячейка";
        }
    }
    return {};
}

// Bytes from malloc, as libzip takes them over: it frees the buffer it started from once it
// has written the new archive.
struct MallocBytes {
    struct Free {
        void operator()(char* bytes) const { std::free(bytes); }
    };
    std::unique_ptr<char, Free> data;
    std::size_t size = 0;
};

// The file at path when it is a regular file; nothing when there is none, or it is too large.
std::optional<MallocBytes> existingFile(const std::string& path, std::uint64_t limit) {
    const int descriptor = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (descriptor < 0) return std::nullopt;
    struct stat status {};
    std::optional<MallocBytes> bytes;
    if (::fstat(descriptor, &status) == 0 && S_ISREG(status.st_mode) &&
        static_cast<std::uint64_t>(status.st_size) <= limit) {
        bytes.emplace();
        bytes->data.reset(static_cast<char*>(std::malloc(std::max<off_t>(status.st_size, 1))));
        while (bytes->data != nullptr && bytes->size < static_cast<std::size_t>(status.st_size)) {
            const ssize_t count = ::read(descriptor, bytes->data.get() + bytes->size,
                                         static_cast<std::size_t>(status.st_size) - bytes->size);
            if (count < 0 && errno == EINTR) continue;
            if (count <= 0) break;
            bytes->size += static_cast<std::size_t>(count);
        }
        if (bytes->data == nullptr) bytes.reset();
    }
    ::close(descriptor);
    return bytes;
}

// The workbook a write replaces the first sheet of.
struct ExistingWorkbook {
    std::string firstSheetPart;  // empty when its first sheet has no cells (a chart sheet)
    CalculationChainRemoval chainRemoval;
};

// Nothing when the bytes are no workbook.
std::optional<ExistingWorkbook> existingWorkbookOf(const MallocBytes& bytes) {
    const WorkbookLimits limits;
    try {
        zip_error_t error;
        zip_error_init(&error);
        zip_source_t* source = zip_source_buffer_create(bytes.data.get(), bytes.size, 0, &error);
        zip_error_fini(&error);
        if (source == nullptr) return std::nullopt;
        WorkbookPackage package(source, limits);
        const WorkbookLayout layout = findWorkbookLayout(package, limits);
        return ExistingWorkbook{layout.firstSheetPart,
                                calculationChainRemoval(package, layout, limits)};
    } catch (const WorkbookProblem&) {
        return std::nullopt;
    }
}

class ZipFailure : public std::runtime_error {
public:
    explicit ZipFailure(zip_error_t* error)
        : std::runtime_error(std::string("не удалось собрать книгу (") + zip_error_strerror(error) +
                             ")") {}
};

// A zip archive built in memory: either a new one or a copy of existing bytes, changed.
class ArchiveInMemory {
public:
    // A new archive, or the existing one (whose bytes it takes over) to be changed.
    explicit ArchiveInMemory(std::optional<MallocBytes> existing) {
        zip_error_t error;
        zip_error_init(&error);
        source_ = existing
                      ? zip_source_buffer_create(existing->data.get(), existing->size, 1, &error)
                      : zip_source_buffer_create(nullptr, 0, 0, &error);
        if (source_ == nullptr) throw ZipFailure(&error);
        if (existing) existing->data.release();
        zip_source_keep(source_);
        archive_ = zip_open_from_source(source_, existing ? 0 : ZIP_TRUNCATE, &error);
        if (archive_ == nullptr) {
            zip_source_free(source_);
            throw ZipFailure(&error);
        }
    }
    ~ArchiveInMemory() {
        if (archive_ != nullptr) zip_discard(archive_);
        zip_source_free(source_);
    }
    ArchiveInMemory(const ArchiveInMemory&) = delete;
    ArchiveInMemory& operator=(const ArchiveInMemory&) = delete;

    // The content must outlive the archive.
    void addPart(const std::string& name, std::string_view content) {
        remove(name);  // in whatever case the package spells it
        put(name, zip_source_buffer(archive_, content.data(), content.size(), 0));
    }

    // Puts the sheet at name, replacing a part of that name; compressed lightly. (libzip
    // would keep a replaced part's old compression level: the old part goes first.)
    void putSheet(const std::string& name, SheetXml& sheet) {
        remove(name);
        zip_error_t error;
        zip_error_init(&error);
        zip_source_t* part = zip_source_function_create(sheetSourceCallback, &sheet, &error);
        zip_error_fini(&error);
        const zip_int64_t index = put(name, part);
        if (zip_set_file_compression(archive_, static_cast<zip_uint64_t>(index), ZIP_CM_DEFLATE,
                                     kCompressionLevel) != 0) {
            fail();
        }
    }

    void remove(const std::string& name) {
        const zip_int64_t index = zip_name_locate(archive_, name.c_str(), ZIP_FL_NOCASE);
        if (index >= 0 && zip_delete(archive_, static_cast<zip_uint64_t>(index)) != 0) fail();
    }

    // Finishes the archive and writes its bytes to out.
    void writeTo(std::ostream& out) {
        if (zip_close(archive_) != 0) fail();
        archive_ = nullptr;
        if (zip_source_open(source_) != 0) throw ZipFailure(zip_source_error(source_));
        std::string chunk(1 << 20, '\0');
        for (;;) {
            const zip_int64_t count = zip_source_read(source_, chunk.data(), chunk.size());
            if (count < 0) throw ZipFailure(zip_source_error(source_));
            if (count == 0) break;
            out.write(chunk.data(), count);
        }
        zip_source_close(source_);
    }

private:
    zip_int64_t put(const std::string& name, zip_source_t* part) {
        if (part == nullptr) fail();
        const zip_int64_t index =
            zip_file_add(archive_, name.c_str(), part, ZIP_FL_OVERWRITE | ZIP_FL_ENC_UTF_8);
        if (index < 0) {
            zip_source_free(part);
            fail();
        }
        return index;
    }
    [[noreturn]] void fail() { throw ZipFailure(zip_get_error(archive_)); }

    zip_source_t* source_ = nullptr;
    zip_t* archive_ = nullptr;
};

}  // namespace

std::optional<WorkbookError> writeWorkbookPoints(const std::string& path, const PointStore& store,
                                                 WorkProgress* progress,
                                                 PipeWithoutReader pipeWithoutReader) {
    const auto failure = [&](int errorNumber, std::string problem) {
        return WorkbookError{FileError::Operation::Write, path, errorNumber, std::move(problem)};
    };
    if (std::string problem = refusal(store); !problem.empty()) return failure(0, problem);

    // Of a workbook there, only the first sheet is replaced; a file that is no workbook is.
    std::optional<MallocBytes> existing = existingFile(path, WorkbookLimits().fileBytes);
    const std::optional<ExistingWorkbook> workbook =
        existing ? existingWorkbookOf(*existing) : std::nullopt;
    if (workbook && workbook->firstSheetPart.empty()) {
        return failure(0, "первый лист книги — не лист с ячейками");
    }
    if (!workbook) existing.reset();
    const std::string existingSheet = workbook ? workbook->firstSheetPart : std::string();
    SheetXml sheet(store, progress);
    std::string problem;
    const auto writeArchive = [&](std::ostream& out) {
        try {
            ArchiveInMemory archive(std::move(existing));
            if (existingSheet.empty()) {
                for (const ConstantPart& part : kNewWorkbookParts) {
                    archive.addPart(part.name, part.content);
                }
                archive.putSheet(std::string(kSheetPart), sheet);
            } else {
                // The new sheet refers to nothing: what the old one referred to goes.
                archive.remove(relationshipsPartOf(existingSheet));
                const CalculationChainRemoval& chain = workbook->chainRemoval;
                for (const std::string& part : chain.removedParts) archive.remove(part);
                for (const PartText& part : chain.rewrittenParts) {
                    archive.addPart(part.name, part.content);
                }
                archive.putSheet(existingSheet, sheet);
            }
            archive.writeTo(out);
        } catch (const ZipFailure& zipFailure) {
            sheet.rethrowFailure();
            problem = zipFailure.what();
            out.setstate(std::ios::badbit);
        }
    };
    const auto error = writeFileSafely(path, writeArchive, pipeWithoutReader);
    if (!problem.empty()) return failure(0, problem);
    if (error) return failure(error->errorNumber, {});
    return std::nullopt;
}

}  // namespace korvela
