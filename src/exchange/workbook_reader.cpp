#include "exchange/workbook_reader.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zip.h>

#include <cerrno>
#include <charconv>
#include <pugixml.hpp>
#include <stdexcept>
#include <vector>

#include "common/number_parse.h"

namespace korvela {
namespace {

constexpr std::size_t kQuotedTextLimit = 24;  // of a bad value quoted in a message

// What is wrong with the workbook's content; becomes WorkbookError::problem.
class WorkbookProblem : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

std::string quoted(std::string_view text) {
    if (text.size() <= kQuotedTextLimit) return "«" + std::string(text) + "»";
    return "«" + std::string(text.substr(0, kQuotedTextLimit)) + "…»";
}

std::string megabytes(std::uint64_t bytes) { return std::to_string(bytes >> 20) + " МБ"; }

[[noreturn]] void damaged(const std::string& part) {
    throw WorkbookProblem("файл повреждён (часть " + part + ")");
}

// The zip container of the workbook. Every part is unpacked with its size checked against the
// limits before anything is allocated, and against what it really unpacks to.
class Package {
public:
    Package(std::string_view bytes, const WorkbookLimits& limits) : limits_(limits) {
        zip_error_t error;
        zip_error_init(&error);
        zip_source_t* source = zip_source_buffer_create(bytes.data(), bytes.size(), 0, &error);
        if (source != nullptr) {
            archive_ = zip_open_from_source(source, ZIP_RDONLY, &error);
            if (archive_ == nullptr) zip_source_free(source);
        }
        zip_error_fini(&error);
        if (archive_ == nullptr) throw WorkbookProblem("это не книга .xlsx, или файл повреждён");
    }
    ~Package() { zip_discard(archive_); }
    Package(const Package&) = delete;
    Package& operator=(const Package&) = delete;

    // The unpacked part, or nothing when the workbook has no part of that name. A part
    // larger than maxBytes is refused before anything is unpacked.
    std::optional<std::string> read(const std::string& name, std::uint64_t maxBytes) {
        const zip_int64_t index = zip_name_locate(archive_, name.c_str(), ZIP_FL_NOCASE);
        if (index < 0) return std::nullopt;
        zip_stat_t status;
        zip_stat_init(&status);
        if (zip_stat_index(archive_, static_cast<zip_uint64_t>(index), 0, &status) != 0 ||
            (status.valid & ZIP_STAT_SIZE) == 0) {
            damaged(name);
        }
        checkSize(name, status.size, maxBytes);
        zip_file_t* file = zip_fopen_index(archive_, static_cast<zip_uint64_t>(index), 0);
        if (file == nullptr) damaged(name);
        std::string content(status.size, '\0');
        const bool complete = readExactly(file, content);
        zip_fclose(file);
        if (!complete) damaged(name);
        unpacked_ += status.size;
        return content;
    }

private:
    void checkSize(const std::string& name, std::uint64_t size, std::uint64_t maxBytes) const {
        if (size > maxBytes) {
            throw WorkbookProblem("книга слишком велика (часть " + name + " больше " +
                                  megabytes(maxBytes) + ")");
        }
        if (size > limits_.totalBytes - std::min(unpacked_, limits_.totalBytes)) {
            throw WorkbookProblem("книга слишком велика (больше " + megabytes(limits_.totalBytes) +
                                  " в распакованном виде)");
        }
    }

    // Fills content and checks that the part ends there: a part that unpacks to more than
    // its declared size, or whose checksum is wrong, is damaged.
    static bool readExactly(zip_file_t* file, std::string& content) {
        std::size_t got = 0;
        while (got < content.size()) {
            const zip_int64_t count = zip_fread(file, content.data() + got, content.size() - got);
            if (count <= 0) return false;
            got += static_cast<std::size_t>(count);
        }
        char extra = 0;
        return zip_fread(file, &extra, 1) == 0;
    }

    const WorkbookLimits& limits_;
    zip_t* archive_ = nullptr;
    std::uint64_t unpacked_ = 0;
};

constexpr unsigned kParseOptions = pugi::parse_default | pugi::parse_ws_pcdata_single;

[[noreturn]] void xmlError(const std::string& part, std::size_t offset) {
    throw WorkbookProblem("файл повреждён (ошибка XML в части " + part + " на позиции " +
                          std::to_string(offset) + ")");
}

// A small part parsed whole, in place; the document points into the text it keeps.
struct XmlPart {
    std::string text;
    pugi::xml_document document;
};

// Reads and parses the part; false when the workbook has none of that name.
bool readWholePart(Package& package, const std::string& name, const WorkbookLimits& limits,
                   XmlPart& part) {
    std::optional<std::string> text = package.read(name, limits.wholePartBytes);
    if (!text) return false;
    part.text = std::move(*text);
    const pugi::xml_parse_result result =
        part.document.load_buffer_inplace(part.text.data(), part.text.size(), kParseOptions);
    if (!result) xmlError(name, static_cast<std::size_t>(result.offset));
    return true;
}

// The element name without its namespace prefix (x:row and row are both a row).
std::string_view localName(const char* name) {
    const std::string_view full(name);
    const std::size_t colon = full.rfind(':');
    return colon == std::string_view::npos ? full : full.substr(colon + 1);
}

pugi::xml_node child(pugi::xml_node parent, std::string_view name) {
    for (pugi::xml_node node = parent.first_child(); node; node = node.next_sibling()) {
        if (node.type() == pugi::node_element && localName(node.name()) == name) return node;
    }
    return {};
}

pugi::xml_node rootElement(const XmlPart& part) { return part.document.document_element(); }

bool endsWith(std::string_view text, std::string_view tail) {
    return text.size() >= tail.size() && text.substr(text.size() - tail.size()) == tail;
}

bool isNameCharacter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_' ||
           c == '-' || c == '.';
}

// Where the content of an element lies in a part's text: after its start tag, before its end tag.
struct ElementContent {
    std::size_t begin = 0;
    std::size_t end = 0;
    std::string prefix;  // "x:" when the element's name has a namespace prefix
};

// The content of the first element called name, whatever its prefix; nothing when there is none.
std::optional<ElementContent> findElementContent(std::string_view xml, std::string_view name,
                                                 const std::string& part) {
    for (std::size_t at = xml.find(name); at != std::string_view::npos;
         at = xml.find(name, at + 1)) {
        const std::size_t after = at + name.size();
        if (after >= xml.size()) break;
        if (xml[after] != '>' && xml[after] != '/' && xml[after] != ' ' && xml[after] != '\t' &&
            xml[after] != '\r' && xml[after] != '\n') {
            continue;
        }
        std::size_t start = at;
        if (start > 0 && xml[start - 1] == ':') {
            for (--start; start > 0 && isNameCharacter(xml[start - 1]);) --start;
        }
        if (start == 0 || xml[start - 1] != '<') continue;
        const std::size_t close = xml.find('>', after);
        if (close == std::string_view::npos) damaged(part);
        ElementContent content{close + 1, close + 1, std::string(xml.substr(start, at - start))};
        if (xml[close - 1] == '/') return content;  // an empty element
        const std::string endTag = "</" + content.prefix + std::string(name) + ">";
        content.end = xml.find(endTag, content.begin);
        if (content.end == std::string_view::npos) damaged(part);
        return content;
    }
    return std::nullopt;
}

// Hands every item element (a row, a string) inside the container element to handle. The
// items are parsed a block at a time, cut after an item's end tag: a whole sheet of a million
// rows would be a tree of gigabytes.
template <typename Handler>
void forEachItem(std::string& xml, const std::string& part, std::string_view container,
                 std::string_view item, const WorkbookLimits& limits, Handler&& handle) {
    constexpr std::size_t kBlockBytes = 1 << 20;
    if (xml.size() >= 2 &&
        (xml[0] == '\xFE' || xml[0] == '\xFF' || xml[0] == '\0' || xml[1] == '\0')) {
        throw WorkbookProblem("часть " + part + " записана не в кодировке UTF-8");
    }
    const std::optional<ElementContent> content = findElementContent(xml, container, part);
    if (!content) return;
    const std::string itemEnd = "</" + content->prefix + std::string(item) + ">";
    pugi::xml_document block;
    for (std::size_t at = content->begin; at < content->end;) {
        std::size_t cut = content->end;
        if (content->end - at > kBlockBytes) {
            const std::size_t itemEndAt = xml.find(itemEnd, at + kBlockBytes);
            if (itemEndAt < content->end) cut = itemEndAt + itemEnd.size();
        }
        if (cut - at > kBlockBytes + limits.itemBytes) {
            throw WorkbookProblem("книга слишком велика (в части " + part + " есть строка больше " +
                                  megabytes(limits.itemBytes) + ")");
        }
        const pugi::xml_parse_result result = block.load_buffer_inplace(
            xml.data() + at, cut - at, kParseOptions | pugi::parse_fragment, pugi::encoding_utf8);
        if (!result) xmlError(part, at + static_cast<std::size_t>(result.offset));
        for (pugi::xml_node node : block.children()) {
            if (node.type() == pugi::node_element && localName(node.name()) == item) handle(node);
        }
        at = cut;
    }
}

// A part name from a relationship's target, relative to the folder of the part it is in.
std::string resolveTarget(const std::string& folder, std::string_view target) {
    std::string joined = !target.empty() && target[0] == '/' ? std::string(target.substr(1))
                                                             : folder + std::string(target);
    std::vector<std::string> segments;
    std::size_t start = 0;
    while (start <= joined.size()) {
        std::size_t end = joined.find('/', start);
        if (end == std::string::npos) end = joined.size();
        const std::string segment = joined.substr(start, end - start);
        if (segment == "..") {
            if (!segments.empty()) segments.pop_back();
        } else if (!segment.empty() && segment != ".") {
            segments.push_back(segment);
        }
        start = end + 1;
    }
    std::string name;
    for (const std::string& segment : segments) name += (name.empty() ? "" : "/") + segment;
    return name;
}

std::string folderOf(const std::string& partName) {
    const std::size_t slash = partName.rfind('/');
    return slash == std::string::npos ? std::string() : partName.substr(0, slash + 1);
}

struct Relationship {
    std::string id;
    std::string type;
    std::string target;  // resolved part name
};

// The relationships of a part (its _rels/NAME.rels), external targets left out.
std::vector<Relationship> readRelationships(Package& package, const std::string& partName,
                                            const WorkbookLimits& limits) {
    const std::string folder = folderOf(partName);
    const std::string relsName = folder + "_rels/" + partName.substr(folder.size()) + ".rels";
    std::vector<Relationship> relationships;
    XmlPart rels;
    if (!readWholePart(package, relsName, limits, rels)) return relationships;
    for (pugi::xml_node node : rootElement(rels).children()) {
        if (localName(node.name()) != "Relationship") continue;
        if (std::string_view(node.attribute("TargetMode").value()) == "External") continue;
        relationships.push_back({node.attribute("Id").value(), node.attribute("Type").value(),
                                 resolveTarget(folder, node.attribute("Target").value())});
    }
    return relationships;
}

const Relationship* findByType(const std::vector<Relationship>& relationships,
                               std::string_view type) {
    for (const Relationship& relationship : relationships) {
        if (endsWith(relationship.type, type)) return &relationship;
    }
    return nullptr;
}

// The workbook part, named by the package's own relationships.
std::string workbookPartName(Package& package, const WorkbookLimits& limits) {
    const std::vector<Relationship> relationships = readRelationships(package, "", limits);
    const Relationship* document = findByType(relationships, "/officeDocument");
    return document != nullptr ? document->target : "xl/workbook.xml";
}

// The relationship id of the first sheet in the workbook's order, empty when it has none.
std::string firstSheetId(const XmlPart& workbook) {
    const pugi::xml_node sheet = child(child(rootElement(workbook), "sheets"), "sheet");
    for (pugi::xml_attribute attribute : sheet.attributes()) {
        const std::string_view name(attribute.name());
        if (name.find(':') != std::string_view::npos && localName(attribute.name()) == "id") {
            return attribute.value();
        }
    }
    return {};
}

// Decodes the _xHHHH_ escapes that spreadsheet files use for characters XML cannot carry.
std::string decodeEscapes(std::string_view text) {
    if (text.find("_x") == std::string_view::npos) return std::string(text);
    std::string decoded;
    decoded.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        unsigned code = 0;
        if (text.compare(i, 2, "_x") == 0 && i + 7 <= text.size() && text[i + 6] == '_' &&
            std::from_chars(text.data() + i + 2, text.data() + i + 6, code, 16).ptr ==
                text.data() + i + 6) {
            if (code >= 0xD800 && code < 0xE000) {
                decoded += '?';
            } else if (code < 0x80) {
                decoded += static_cast<char>(code);
            } else if (code < 0x800) {
                decoded += static_cast<char>(0xC0 | (code >> 6));
                decoded += static_cast<char>(0x80 | (code & 0x3F));
            } else {
                decoded += static_cast<char>(0xE0 | (code >> 12));
                decoded += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
                decoded += static_cast<char>(0x80 | (code & 0x3F));
            }
            i += 7;
        } else {
            decoded += text[i++];
        }
    }
    return decoded;
}

// The text of a string item: its <t>, or the <t> of each rich-text run; phonetic hints left out.
std::string stringItemText(pugi::xml_node item) {
    std::string text;
    for (pugi::xml_node node : item.children()) {
        const std::string_view name = localName(node.name());
        if (name == "t") text += node.text().get();
        if (name == "r") text += child(node, "t").text().get();
    }
    return decodeEscapes(text);
}

std::vector<std::string> readSharedStrings(Package& package, const std::string& partName,
                                           const WorkbookLimits& limits) {
    std::vector<std::string> strings;
    std::optional<std::string> text = package.read(partName, limits.partBytes);
    if (!text) return strings;
    forEachItem(*text, partName, "sst", "si", limits,
                [&](pugi::xml_node item) { strings.push_back(stringItemText(item)); });
    return strings;
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

std::string cellName(std::uint32_t row, int column) {
    return std::string(1, static_cast<char>('A' + column - 1)) + std::to_string(row);
}

WorkbookCell readCell(pugi::xml_node cell, std::uint32_t row, int column,
                      const std::vector<std::string>& strings) {
    const std::string_view type = cell.attribute("t").value();
    const pugi::xml_node valueNode = child(cell, "v");
    const std::string_view value = valueNode.text().get();
    WorkbookCell result;
    if (type == "inlineStr") {
        result.type = WorkbookCell::Type::Text;
        result.text = stringItemText(child(cell, "is"));
    } else if (!valueNode) {
        // No value: an empty cell (a formula never calculated is one too).
    } else if (type == "s") {
        std::size_t index = 0;
        const auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), index);
        if (error != std::errc() || end != value.data() + value.size() || index >= strings.size()) {
            throw WorkbookProblem("в ячейке " + cellName(row, column) +
                                  " ссылка на несуществующую строку " + quoted(value));
        }
        result.type = WorkbookCell::Type::Text;
        result.text = strings[index];
    } else if (type == "b") {
        result.type = WorkbookCell::Type::Boolean;
        result.number = value == "1" || value == "true" ? 1 : 0;
    } else if (type == "e") {
        result.type = WorkbookCell::Type::Error;
        result.text = value;
    } else if (type.empty() || type == "n") {
        result.type = WorkbookCell::Type::Number;
        if (!parseWholeNumber(value, result.number)) {
            throw WorkbookProblem("в ячейке " + cellName(row, column) +
                                  " не число: " + quoted(value));
        }
    } else {
        // "str" (a formula's text) and "d" (a date written as text).
        result.type = WorkbookCell::Type::Text;
        result.text = decodeEscapes(value);
    }
    return result;
}

void readRow(pugi::xml_node rowNode, std::uint32_t row, const std::vector<std::string>& strings,
             WorkbookSheet& sheet) {
    std::uint32_t column = 0;
    for (pugi::xml_node cell : rowNode.children()) {
        if (cell.type() != pugi::node_element || localName(cell.name()) != "c") continue;
        const std::string_view reference = cell.attribute("r").value();
        std::uint32_t cellRow = row;
        if (reference.empty()) {
            if (++column > kWorkbookMaxColumns)
                throw WorkbookProblem("в строке " + std::to_string(row) +
                                      " больше ячеек, чем столбцов листа");
        } else if (!parseCellReference(reference, cellRow, column)) {
            throw WorkbookProblem("неверная ссылка на ячейку " + quoted(reference));
        }
        if (column > kWorkbookColumns) continue;
        const int columnIndex = static_cast<int>(column);
        const WorkbookCell value = readCell(cell, cellRow, columnIndex, strings);
        if (value.type != WorkbookCell::Type::Empty) sheet.put(cellRow, columnIndex, value);
    }
}

void readSheetData(std::string& text, const std::string& partName,
                   const std::vector<std::string>& strings, const WorkbookLimits& limits,
                   WorkbookSheet& sheet) {
    std::uint32_t row = 0;
    forEachItem(text, partName, "sheetData", "row", limits, [&](pugi::xml_node rowNode) {
        const std::string_view number = rowNode.attribute("r").value();
        if (number.empty()) {
            if (++row > kWorkbookMaxRows)
                throw WorkbookProblem("в листе больше строк, чем может быть");
        } else if (!parseRowNumber(number, row)) {
            throw WorkbookProblem("неверный номер строки " + quoted(number));
        }
        readRow(rowNode, row, strings, sheet);
    });
}

WorkbookSheet readPackage(std::string_view bytes, const WorkbookLimits& limits) {
    Package package(bytes, limits);
    const std::string workbookName = workbookPartName(package, limits);
    XmlPart workbook;
    if (!readWholePart(package, workbookName, limits, workbook)) {
        throw WorkbookProblem("это не книга .xlsx (нет части " + workbookName + ")");
    }
    const std::vector<Relationship> relationships =
        readRelationships(package, workbookName, limits);
    const std::string sheetId = firstSheetId(workbook);
    const Relationship* sheetRelationship = nullptr;
    for (const Relationship& relationship : relationships) {
        if (relationship.id == sheetId) sheetRelationship = &relationship;
    }
    WorkbookSheet sheet;
    // A chart sheet in front, or a workbook without sheets, has no cells to read.
    if (sheetRelationship == nullptr || !endsWith(sheetRelationship->type, "/worksheet")) {
        return sheet;
    }

    const Relationship* stringsRelationship = findByType(relationships, "/sharedStrings");
    const std::vector<std::string> strings =
        stringsRelationship != nullptr
            ? readSharedStrings(package, stringsRelationship->target, limits)
            : std::vector<std::string>();
    std::optional<std::string> sheetText =
        package.read(sheetRelationship->target, limits.partBytes);
    if (!sheetText)
        throw WorkbookProblem("файл повреждён (нет части " + sheetRelationship->target + ")");
    readSheetData(*sheetText, sheetRelationship->target, strings, limits, sheet);
    sheet.finish();
    return sheet;
}

// The whole file, or the error; its size is checked before anything is read.
std::optional<WorkbookError> readWholeFile(const std::string& path, std::uint64_t limit,
                                           std::string& bytes) {
    const auto failure = [&](int errorNumber) {
        return WorkbookError{FileError::Operation::Read, path, errorNumber, {}};
    };
    const int descriptor = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (descriptor < 0) return failure(errno);
    struct stat status {};
    std::optional<WorkbookError> error;
    if (::fstat(descriptor, &status) != 0) {
        error = failure(errno);
    } else if (S_ISDIR(status.st_mode)) {
        error = failure(EISDIR);
    } else if (static_cast<std::uint64_t>(status.st_size) > limit) {
        error =
            WorkbookError{FileError::Operation::Read, path, 0, "файл больше " + megabytes(limit)};
    } else {
        bytes.resize(static_cast<std::size_t>(status.st_size));
        std::size_t got = 0;
        while (got < bytes.size()) {
            const ssize_t count = ::read(descriptor, bytes.data() + got, bytes.size() - got);
            if (count < 0 && errno == EINTR) continue;
            if (count < 0) {
                error = failure(errno);
                break;
            }
            if (count == 0) break;  // the file became shorter while it was read
            got += static_cast<std::size_t>(count);
        }
        bytes.resize(got);
    }
    ::close(descriptor);
    return error;
}

}  // namespace

std::optional<WorkbookError> readFirstSheet(std::string_view bytes, WorkbookSheet& sheet,
                                            const WorkbookLimits& limits) {
    try {
        sheet = readPackage(bytes, limits);
        return std::nullopt;
    } catch (const WorkbookProblem& problem) {
        return WorkbookError{FileError::Operation::Read, {}, 0, problem.what()};
    }
}

std::optional<WorkbookError> readFirstSheetFile(const std::string& path, WorkbookSheet& sheet,
                                                const WorkbookLimits& limits) {
    std::string bytes;
    if (auto error = readWholeFile(path, limits.fileBytes, bytes)) return error;
    auto error = readFirstSheet(bytes, sheet, limits);
    if (error) error->path = path;
    return error;
}

}  // namespace korvela
