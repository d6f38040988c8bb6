#include "exchange/workbook_package.h"

#include <algorithm>
#include <cctype>
#include <pugixml.hpp>
#include <sstream>
#include <vector>

namespace korvela {
namespace {

constexpr std::size_t kExcerptCharacters = 40;

[[noreturn]] void damaged(const std::string& part) {
    throw WorkbookProblem("файл повреждён (часть " + part + ")");
}

bool endsWith(std::string_view text, std::string_view tail) {
    return text.size() >= tail.size() && text.substr(text.size() - tail.size()) == tail;
}

// A small part parsed whole, in place; the document points into the text it keeps.
struct XmlPart {
    std::string text;
    pugi::xml_document document;
};

// Reads and parses the part; false when the package has none of that name.
bool readWholePart(WorkbookPackage& package, const std::string& name, const WorkbookLimits& limits,
                   XmlPart& part) {
    std::optional<std::string> text = package.read(name, limits.wholePartBytes);
    if (!text) return false;
    part.text = std::move(*text);
    const pugi::xml_parse_result result = part.document.load_buffer_inplace(
        part.text.data(), part.text.size(), pugi::parse_default | pugi::parse_ws_pcdata_single);
    if (!result) {
        throw WorkbookProblem("файл повреждён (ошибка XML в части " + name + " на позиции " +
                              std::to_string(result.offset) + ")");
    }
    return true;
}

// The element name without its namespace prefix (x:sheet and sheet are both a sheet).
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

// A part name from a relationship's target, relative to the folder of the part it is in.
std::string resolveTarget(const std::string& folder, std::string_view target) {
    const std::string joined = !target.empty() && target[0] == '/' ? std::string(target.substr(1))
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
std::vector<Relationship> readRelationships(WorkbookPackage& package, const std::string& partName,
                                            const WorkbookLimits& limits) {
    std::vector<Relationship> relationships;
    XmlPart rels;
    if (!readWholePart(package, relationshipsPartOf(partName), limits, rels)) return relationships;
    const std::string folder = folderOf(partName);
    for (pugi::xml_node node : rels.document.document_element().children()) {
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

// The relationship id of the first sheet in the workbook's order, empty when it has none.
std::string firstSheetId(const XmlPart& workbook) {
    const pugi::xml_node sheet =
        child(child(workbook.document.document_element(), "sheets"), "sheet");
    for (pugi::xml_attribute attribute : sheet.attributes()) {
        const std::string_view name(attribute.name());
        if (name.find(':') != std::string_view::npos && localName(attribute.name()) == "id") {
            return attribute.value();
        }
    }
    return {};
}

// A whole part written back, with the declaration Office writes.
std::string savedText(const pugi::xml_document& document) {
    std::ostringstream out;
    out << "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n";
    document.save(out, "", pugi::format_raw | pugi::format_no_declaration);
    return out.str();
}

// Removes the child elements of the document's root that `goes` picks; returns how many went.
template <typename Predicate>
std::size_t removeChildren(pugi::xml_document& document, Predicate goes) {
    pugi::xml_node root = document.document_element();
    std::size_t removed = 0;
    for (pugi::xml_node node = root.first_child(); node;) {
        const pugi::xml_node next = node.next_sibling();
        if (node.type() == pugi::node_element && goes(node)) {
            root.remove_child(node);
            ++removed;
        }
        node = next;
    }
    return removed;
}

// Part names compare without regard to ASCII case, as the package's own lookup does.
bool samePartName(std::string_view a, std::string_view b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) ==
               std::tolower(static_cast<unsigned char>(y));
    });
}

bool isContinuationByte(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }

}  // namespace

std::string textExcerpt(std::string_view text) {
    std::size_t characters = 0;
    for (std::size_t at = 0; at < text.size(); ++at) {
        if (isContinuationByte(text[at])) continue;
        if (characters++ == kExcerptCharacters) return std::string(text.substr(0, at)) + "…";
    }
    return std::string(text);
}

std::string quotedExcerpt(std::string_view text) { return "«" + textExcerpt(text) + "»"; }

std::string megabytes(std::uint64_t bytes) { return std::to_string(bytes >> 20) + " МБ"; }

std::string relationshipsPartOf(const std::string& partName) {
    const std::string folder = folderOf(partName);
    return folder + "_rels/" + partName.substr(folder.size()) + ".rels";
}

WorkbookPackage::WorkbookPackage(zip_source_t* source, const WorkbookLimits& limits)
    : limits_(limits) {
    zip_error_t error;
    zip_error_init(&error);
    archive_ = zip_open_from_source(source, ZIP_RDONLY, &error);
    zip_error_fini(&error);
    if (archive_ == nullptr) {
        zip_source_free(source);
        throw WorkbookProblem("это не книга .xlsx, или файл повреждён");
    }
}

WorkbookPackage::~WorkbookPackage() { zip_discard(archive_); }

std::uint64_t WorkbookPackage::checkedSize(const std::string& name, std::uint64_t maxBytes,
                                           zip_int64_t& index) {
    index = zip_name_locate(archive_, name.c_str(), ZIP_FL_NOCASE);
    if (index < 0) return 0;
    zip_stat_t status;
    zip_stat_init(&status);
    if (zip_stat_index(archive_, static_cast<zip_uint64_t>(index), 0, &status) != 0 ||
        (status.valid & ZIP_STAT_SIZE) == 0) {
        damaged(name);
    }
    if (status.size > maxBytes) {
        throw WorkbookProblem("книга слишком велика (часть " + name + " больше " +
                              megabytes(maxBytes) + ")");
    }
    if (status.size > limits_.totalBytes - std::min(unpacked_, limits_.totalBytes)) {
        throw WorkbookProblem("книга слишком велика (больше " + megabytes(limits_.totalBytes) +
                              " в распакованном виде)");
    }
    unpacked_ += status.size;
    return status.size;
}

std::unique_ptr<WorkbookPackage::PartStream> WorkbookPackage::open(const std::string& name,
                                                                   std::uint64_t maxBytes) {
    zip_int64_t index = -1;
    const std::uint64_t size = checkedSize(name, maxBytes, index);
    if (index < 0) return nullptr;
    zip_file_t* file = zip_fopen_index(archive_, static_cast<zip_uint64_t>(index), 0);
    if (file == nullptr) damaged(name);
    return std::make_unique<PartStream>(file, name, size);
}

std::optional<std::string> WorkbookPackage::read(const std::string& name, std::uint64_t maxBytes) {
    const std::unique_ptr<PartStream> stream = open(name, maxBytes);
    if (!stream) return std::nullopt;
    std::string content(stream->size(), '\0');
    std::size_t got = 0;
    while (got < content.size()) {
        const std::size_t count = stream->read(content.data() + got, content.size() - got);
        if (count == 0) damaged(name);
        got += count;
    }
    char extra = 0;
    stream->read(&extra, 1);  // checks that the part ends there
    return content;
}

WorkbookPackage::PartStream::PartStream(zip_file_t* file, std::string name, std::uint64_t size)
    : file_(file), name_(std::move(name)), size_(size) {}

WorkbookPackage::PartStream::~PartStream() { zip_fclose(file_); }

// A part that unpacks to more or less than its declared size, or whose checksum is wrong,
// is damaged.
std::size_t WorkbookPackage::PartStream::read(char* buffer, std::size_t capacity) {
    const zip_int64_t count = zip_fread(file_, buffer, capacity);
    if (count < 0) damaged(name_);
    got_ += static_cast<std::uint64_t>(count);
    if (got_ > size_ || (count == 0 && got_ != size_)) damaged(name_);
    return static_cast<std::size_t>(count);
}

WorkbookLayout findWorkbookLayout(WorkbookPackage& package, const WorkbookLimits& limits) {
    WorkbookLayout layout;
    const std::vector<Relationship> packageRelationships = readRelationships(package, "", limits);
    const Relationship* document = findByType(packageRelationships, "/officeDocument");
    layout.workbookPart = document != nullptr ? document->target : "xl/workbook.xml";
    XmlPart workbook;
    if (!readWholePart(package, layout.workbookPart, limits, workbook)) {
        throw WorkbookProblem("это не книга .xlsx (нет части " + layout.workbookPart + ")");
    }
    const std::vector<Relationship> relationships =
        readRelationships(package, layout.workbookPart, limits);
    const std::string sheetId = firstSheetId(workbook);
    for (const Relationship& relationship : relationships) {
        // A chart sheet in front has no cells.
        if (relationship.id == sheetId && endsWith(relationship.type, "/worksheet")) {
            layout.firstSheetPart = relationship.target;
        }
    }
    if (const Relationship* strings = findByType(relationships, "/sharedStrings")) {
        layout.sharedStringsPart = strings->target;
    }
    return layout;
}

CalculationChainRemoval calculationChainRemoval(WorkbookPackage& package,
                                                const WorkbookLayout& layout,
                                                const WorkbookLimits& limits) {
    CalculationChainRemoval removal;
    const std::string relationshipsPart = relationshipsPartOf(layout.workbookPart);
    XmlPart relationships;
    if (!readWholePart(package, relationshipsPart, limits, relationships)) return removal;
    const std::string folder = folderOf(layout.workbookPart);
    removeChildren(relationships.document, [&](pugi::xml_node node) {
        if (localName(node.name()) != "Relationship" ||
            !endsWith(node.attribute("Type").value(), "/calcChain")) {
            return false;
        }
        removal.removedParts.push_back(resolveTarget(folder, node.attribute("Target").value()));
        return true;
    });
    if (removal.removedParts.empty()) return removal;
    removal.rewrittenParts.push_back({relationshipsPart, savedText(relationships.document)});

    // Content types that cannot be read stay as they are: the workbook is still edited, so
    // that its other sheets are kept.
    XmlPart types;
    const std::string typesPart = "[Content_Types].xml";
    try {
        if (!readWholePart(package, typesPart, limits, types)) return removal;
    } catch (const WorkbookProblem&) {
        return removal;
    }
    const std::size_t overrides = removeChildren(types.document, [&](pugi::xml_node node) {
        const std::string_view name(node.attribute("PartName").value());
        return localName(node.name()) == "Override" && name.starts_with('/') &&
               std::any_of(
                   removal.removedParts.begin(), removal.removedParts.end(),
                   [&](const std::string& part) { return samePartName(name.substr(1), part); });
    });
    if (overrides > 0) removal.rewrittenParts.push_back({typesPart, savedText(types.document)});
    return removal;
}

}  // namespace korvela
