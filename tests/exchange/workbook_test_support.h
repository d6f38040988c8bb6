#pragma once

#include <zip.h>

#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "test_support.h"

namespace korvela::testing {

using WorkbookParts = std::vector<std::pair<std::string, std::string>>;

// A zip file holding the parts (name, content), as bytes.
inline std::string zipParts(const WorkbookParts& parts) {
    TempDir dir;
    const std::string path = dir.file("parts.zip");
    int error = 0;
    zip_t* archive = zip_open(path.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &error);
    if (archive == nullptr) throw std::runtime_error("zip_open failed");
    for (const auto& [name, content] : parts) {
        zip_source_t* source = zip_source_buffer(archive, content.data(), content.size(), 0);
        if (source == nullptr ||
            zip_file_add(archive, name.c_str(), source, ZIP_FL_ENC_UTF_8) < 0) {
            throw std::runtime_error("zip_file_add failed");
        }
    }
    if (zip_close(archive) != 0) throw std::runtime_error("zip_close failed");
    return readFile(path);
}

inline const char* const kSpreadsheetNamespace =
    "xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\" "
    "xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\"";

// The parts of a one-sheet workbook around the sheet's <sheetData> content; shared strings
// given as the <si> items (none: no shared string part).
inline WorkbookParts workbookParts(const std::string& sheetData,
                                   const std::string& sharedItems = {}) {
    const std::string relationshipType =
        "http://schemas.openxmlformats.org/officeDocument/2006/relationships/";
    WorkbookParts parts = {
        {"[Content_Types].xml",
         "<?xml version=\"1.0\"?><Types "
         "xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\"/>"},
        {"_rels/.rels",
         "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
         "<Relationship Id=\"rId1\" Type=\"" +
             relationshipType +
             "officeDocument\" Target=\"xl/workbook.xml\"/>"
             "</Relationships>"},
        {"xl/workbook.xml",
         std::string("<workbook ") + kSpreadsheetNamespace +
             "><sheets><sheet name=\"Points\" sheetId=\"1\" r:id=\"rId7\"/></sheets></workbook>"},
        {"xl/_rels/workbook.xml.rels",
         "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
         "<Relationship Id=\"rId7\" Type=\"" +
             relationshipType +
             "worksheet\" Target=\"worksheets/sheet1.xml\"/>"
             "<Relationship Id=\"rId8\" Type=\"" +
             relationshipType +
             "sharedStrings\" Target=\"/xl/sharedStrings.xml\"/>"
             "</Relationships>"},
        {"xl/worksheets/sheet1.xml", std::string("<worksheet ") + kSpreadsheetNamespace +
                                         "><sheetData>" + sheetData + "</sheetData></worksheet>"},
    };
    if (!sharedItems.empty()) {
        parts.push_back({"xl/sharedStrings.xml", std::string("<sst ") + kSpreadsheetNamespace +
                                                     ">" + sharedItems + "</sst>"});
    }
    return parts;
}

inline std::string workbookBytes(const std::string& sheetData,
                                 const std::string& sharedItems = {}) {
    return zipParts(workbookParts(sheetData, sharedItems));
}

}  // namespace korvela::testing
