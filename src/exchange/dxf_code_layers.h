#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "exchange/code_table.h"

namespace korvela {

class PointCodes;

// A layer name a DXF R12 reader takes: letters (Cyrillic included), digits, '$', '_' and '-'
// stay, any other byte becomes '_', and the name is cut at 31 characters (Windows-1251).
std::string dxfLayerName(std::string_view text);

// "Слои по кодам": every point with a code goes on its code's layer (the code table's layer,
// or one named after the code), points without a code stay on the drawing's own layers.
struct DxfCodeLayers {
    struct Layer {
        std::string name;  // unique among the drawing's layers, whatever the case
        int colour = 7;
    };
    struct Code {
        std::size_t layer = 0;
        bool joined = false;
    };
    static constexpr std::uint32_t kNoCode = UINT32_MAX;

    std::vector<Layer> layers;
    std::vector<Code> codes;
    std::vector<std::uint32_t> codeOfPoint;  // index into codes, or kNoCode
};

// The layers for the points' codes by the table. `reservedLayers` are the drawing's own layer
// names, which a code's layer never takes: a clash gets a number.
DxfCodeLayers dxfCodeLayers(const PointCodes& codes, const CodeTable& table,
                            const std::vector<std::string>& reservedLayers);

}  // namespace korvela
