#pragma once

#include <zip.h>

#include <optional>
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

// The parts of a workbook of two sheets that spreadsheet programs open: the first with a
// relationship of its own, the second with the user's own content, and shared strings.
inline WorkbookParts twoSheetWorkbook() {
    WorkbookParts parts =
        workbookParts("<row r=\"1\"><c r=\"A1\" t=\"s\"><v>0</v></c></row>", "<si><t>old</t></si>");
    const std::string officeType = "application/vnd.openxmlformats-officedocument.spreadsheetml.";
    const auto override = [&](const std::string& part, const std::string& type) {
        return "<Override PartName=\"/" + part + "\" ContentType=\"" + officeType + type + "\"/>";
    };
    parts[0].second =
        "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\">"
        "<Default Extension=\"rels\" "
        "ContentType=\"application/vnd.openxmlformats-package.relationships+xml\"/>"
        "<Default Extension=\"xml\" ContentType=\"application/xml\"/>" +
        override("xl/workbook.xml", "sheet.main+xml") +
        override("xl/worksheets/sheet1.xml", "worksheet+xml") +
        override("xl/worksheets/sheet2.xml", "worksheet+xml") +
        override("xl/sharedStrings.xml", "sharedStrings+xml") + "</Types>";
    parts[2].second = std::string("<workbook ") + kSpreadsheetNamespace +
                      "><sheets><sheet name=\"Points\" sheetId=\"1\" r:id=\"rId7\"/>"
                      "<sheet name=\"Notes\" sheetId=\"2\" r:id=\"rId9\"/></sheets></workbook>";
    parts[3].second.insert(parts[3].second.find("</Relationships>"),
                           "<Relationship Id=\"rId9\" Type=\"http://schemas.openxmlformats.org/"
                           "officeDocument/2006/relationships/worksheet\" "
                           "Target=\"worksheets/sheet2.xml\"/>");
    parts.push_back({"xl/worksheets/sheet2.xml",
                     std::string("<worksheet ") + kSpreadsheetNamespace +
                         "><sheetData><row r=\"1\"><c r=\"A1\" t=\"inlineStr\"><is><t>keep "
                         "me</t></is></c></row></sheetData></worksheet>"});
    parts.push_back({"xl/worksheets/_rels/sheet1.xml.rels",
                     "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/"
                     "relationships\"/>"});
    return parts;
}

// Adds a calculation chain naming cell B1 of the first sheet (as Excel keeps a formula
// there): the part, its relationship (target as given) and its override (part name as given).
inline void addCalculationChain(WorkbookParts& parts, const std::string& target,
                                const std::string& overridePart) {
    for (auto& [name, content] : parts) {
        if (name == "[Content_Types].xml") {
            content.insert(content.find("</Types>"),
                           "<Override PartName=\"" + overridePart +
                               "\" ContentType=\"application/vnd.openxmlformats-"
                               "officedocument.spreadsheetml.calcChain+xml\"/>");
        }
        if (name == "xl/_rels/workbook.xml.rels") {
            content.insert(content.find("</Relationships>"),
                           "<Relationship Id=\"rId10\" Type=\"http://schemas.openxmlformats.org/"
                           "officeDocument/2006/relationships/calcChain\" Target=\"" +
                               target + "\"/>");
        }
    }
    parts.push_back({"xl/calcChain.xml", std::string("<calcChain ") + kSpreadsheetNamespace +
                                             "><c r=\"B1\" i=\"1\"/></calcChain>"});
}

// The unpacked part of the zip bytes; nothing when there is no such part.
inline std::optional<std::string> partOf(const std::string& bytes, const std::string& name) {
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t* source = zip_source_buffer_create(bytes.data(), bytes.size(), 0, &error);
    zip_t* archive = zip_open_from_source(source, ZIP_RDONLY, &error);
    zip_error_fini(&error);
    if (archive == nullptr) return std::nullopt;
    std::optional<std::string> content;
    zip_stat_t status;
    if (zip_stat(archive, name.c_str(), 0, &status) == 0) {
        zip_file_t* file = zip_fopen(archive, name.c_str(), 0);
        content.emplace(status.size, '\0');
        zip_fread(file, content->data(), status.size);
        zip_fclose(file);
    }
    zip_discard(archive);
    return content;
}

}  // namespace korvela::testing
