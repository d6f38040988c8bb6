#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/file_error.h"

namespace korvela {

class PointCodes;

// What a point code means on a drawing: its layer, colour and whether consecutive points of
// the code are joined by a line. Texts are Windows-1251.
struct CodeRule {
    std::string code;
    std::string layer;  // empty: the layer is named after the code
    int colour = 7;     // AutoCAD colour index, 1-255
    bool joined = false;

    bool operator==(const CodeRule&) const = default;
};

inline constexpr int kLowestColourIndex = 1;
inline constexpr int kHighestColourIndex = 255;

// The code table (Settings ▸ "Коды"), kept as a small Windows-1251 text file of lines
// "код;слой;цвет ACI;линия 0/1" after a header line of those words.
struct CodeTable {
    std::vector<CodeRule> rules;

    // The first rule for the code, or nullptr.
    const CodeRule* find(std::string_view code) const;
    bool operator==(const CodeTable&) const = default;
};

// The file's bytes: the header line, then one line per rule, CR LF after each.
std::string codeTableText(const CodeTable& table);

// Reads the file's bytes. The header line and lines that are not a rule (an empty code, a
// colour outside 1-255, a flag other than 0 or 1, other than four fields) are skipped and
// counted in `skipped` when given.
CodeTable parseCodeTable(std::string_view bytes, std::size_t* skipped = nullptr);

std::optional<FileError> readCodeTableFile(const std::string& path, CodeTable& table,
                                           std::size_t* skipped = nullptr);
std::optional<FileError> saveCodeTableFile(const std::string& path, const CodeTable& table);

// An AutoCAD colour index (1-255) as a colour 0x00BBGGRR, as the points keep theirs: 1-9 the
// named colours (7 white), 10-249 hues in steps of 15° at five shades, full and half
// saturation, 250-255 greys.
std::int32_t aciColour(int index);

// The plan's colours by code: a point whose code the table holds takes its colour, any other
// point keeps its own.
std::vector<std::int32_t> coloursByCode(const PointCodes& codes,
                                        const std::vector<std::int32_t>& own,
                                        const CodeTable& table);

}  // namespace korvela
