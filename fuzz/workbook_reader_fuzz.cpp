// libFuzzer target: the workbook reader at the XML level. The input is the first sheet's XML,
// then a NUL byte and the shared strings' XML (when there is one); the harness packs them
// with fixed workbook parts into a stored zip, so that no mutation is lost in compression.
// The one streaming pass into points must agree with the points taken from the whole sheet:
// the same points bit for bit, or the same error.
#include <zip.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

#include "common/conversion_error.h"
#include "exchange/workbook_points.h"
#include "exchange/workbook_reader.h"
#include "points/point_store.h"

namespace {

using korvela::PointStore;

constexpr const char* kContentTypes =
    "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\"/>";
constexpr const char* kPackageRelationships =
    "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
    "<Relationship Id=\"rId1\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/"
    "relationships/officeDocument\" Target=\"xl/workbook.xml\"/></Relationships>";
constexpr const char* kWorkbook =
    "<workbook xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\" "
    "xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\">"
    "<sheets><sheet name=\"P\" sheetId=\"1\" r:id=\"rId1\"/></sheets></workbook>";
constexpr const char* kWorkbookRelationships =
    "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
    "<Relationship Id=\"rId1\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/"
    "relationships/worksheet\" Target=\"worksheets/sheet1.xml\"/>"
    "<Relationship Id=\"rId2\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/"
    "relationships/sharedStrings\" Target=\"sharedStrings.xml\"/></Relationships>";

void addStored(zip_t* archive, const char* name, std::string_view content) {
    zip_source_t* source = zip_source_buffer(archive, content.data(), content.size(), 0);
    const zip_int64_t index = zip_file_add(archive, name, source, 0);
    if (index < 0) std::abort();
    zip_set_file_compression(archive, static_cast<zip_uint64_t>(index), ZIP_CM_STORE, 0);
}

// The parts in a zip of their own, uncompressed, as bytes.
std::string storedWorkbook(std::string_view sheet, const std::string_view* strings) {
    zip_source_t* buffer = zip_source_buffer_create(nullptr, 0, 0, nullptr);
    zip_source_keep(buffer);
    zip_t* archive = zip_open_from_source(buffer, ZIP_TRUNCATE, nullptr);
    if (archive == nullptr) std::abort();
    addStored(archive, "[Content_Types].xml", kContentTypes);
    addStored(archive, "_rels/.rels", kPackageRelationships);
    addStored(archive, "xl/workbook.xml", kWorkbook);
    addStored(archive, "xl/_rels/workbook.xml.rels", kWorkbookRelationships);
    addStored(archive, "xl/worksheets/sheet1.xml", sheet);
    if (strings != nullptr) addStored(archive, "xl/sharedStrings.xml", *strings);
    if (zip_close(archive) != 0 || zip_source_open(buffer) != 0) std::abort();
    std::string bytes;
    char chunk[4096];
    for (zip_int64_t got; (got = zip_source_read(buffer, chunk, sizeof chunk)) > 0;) {
        bytes.append(chunk, static_cast<std::size_t>(got));
    }
    zip_source_close(buffer);
    zip_source_free(buffer);
    return bytes;
}

bool sameBits(const std::vector<double>& a, const std::vector<double>& b) {
    return a.size() == b.size() &&
           (a.empty() || std::memcmp(a.data(), b.data(), a.size() * sizeof(double)) == 0);
}

// The points or the error of one way of reading, as text that two ways can compare.
struct Outcome {
    PointStore points;
    std::string error;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const std::size_t nul = input.find('\0');
    const std::string_view sheetXml = input.substr(0, nul);
    const std::string_view stringsXml =
        nul == std::string_view::npos ? std::string_view() : input.substr(nul + 1);
    const std::string bytes =
        storedWorkbook(sheetXml, nul == std::string_view::npos ? nullptr : &stringsXml);

    Outcome whole;
    korvela::WorkbookSheet sheet;
    if (const auto error = korvela::readFirstSheet(bytes, sheet)) {
        if (error->problem.empty()) std::abort();
        whole.error = error->problem;
    } else {
        try {
            korvela::readWorkbookPoints(sheet, whole.points);
        } catch (const korvela::ConversionError& error) {
            whole.error = error.what();
            whole.points = PointStore();
        }
    }
    Outcome streamed;
    try {
        if (const auto error = korvela::readWorkbookPoints(bytes, streamed.points)) {
            streamed.error = error->problem;
        }
    } catch (const korvela::ConversionError& error) {
        streamed.error = error.what();
    }
    if (streamed.error != whole.error || streamed.points.number() != whole.points.number() ||
        !sameBits(streamed.points.x(), whole.points.x()) ||
        !sameBits(streamed.points.y(), whole.points.y()) ||
        !sameBits(streamed.points.z(), whole.points.z())) {
        std::abort();
    }
    return 0;
}
