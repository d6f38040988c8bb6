#include "exchange/dxf_code_layers.h"

#include <algorithm>
#include <unordered_map>
#include <unordered_set>

#include "points/point_codes.h"

namespace korvela {
namespace {

constexpr std::size_t kLongestLayerName = 31;

// Windows-1251 letters: Latin, А-я, Ё and ё.
bool isLetter(unsigned char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c >= 0xC0 || c == 0xA8 ||
           c == 0xB8;
}

bool keptInName(unsigned char c) {
    return isLetter(c) || (c >= '0' && c <= '9') || c == '$' || c == '_' || c == '-';
}

// Layer names compare without regard to case.
std::string caseFolded(std::string_view name) {
    std::string folded(name);
    for (char& c : folded) {
        const auto byte = static_cast<unsigned char>(c);
        if ((byte >= 'a' && byte <= 'z') || byte >= 0xE0) c = static_cast<char>(byte - 0x20);
        if (byte == 0xB8) c = static_cast<char>(0xA8);
    }
    return folded;
}

// Names already given, and the next free one for a wanted name.
class LayerNamer {
public:
    explicit LayerNamer(const std::vector<std::string>& reserved) {
        for (const std::string& name : reserved) taken_.insert(caseFolded(name));
    }
    std::string unique(const std::string& wanted) {
        std::string name = wanted;
        for (int number = 2; !taken_.insert(caseFolded(name)).second; ++number) {
            const std::string suffix = std::to_string(number);
            name = wanted.substr(0, kLongestLayerName - suffix.size()) + suffix;
        }
        return name;
    }

private:
    std::unordered_set<std::string> taken_;
};

}  // namespace

std::string dxfLayerName(std::string_view text) {
    std::string name(text.substr(0, kLongestLayerName));
    for (char& c : name) {
        if (!keptInName(static_cast<unsigned char>(c))) c = '_';
    }
    return name;
}

DxfCodeLayers dxfCodeLayers(const PointCodes& codes, const CodeTable& table,
                            const std::vector<std::string>& reservedLayers) {
    DxfCodeLayers result;
    result.codeOfPoint.assign(codes.size(), DxfCodeLayers::kNoCode);
    if (!codes.any()) return result;
    LayerNamer namer(reservedLayers);
    std::unordered_map<std::string_view, std::uint32_t> codeIndex;
    std::unordered_map<std::string, std::size_t> layerIndex;  // by the name the table asks for
    for (std::size_t point = 0; point < codes.size(); ++point) {
        const std::string_view code = codes[point];
        if (code.empty()) continue;
        auto [known, added] =
            codeIndex.try_emplace(code, static_cast<std::uint32_t>(result.codes.size()));
        result.codeOfPoint[point] = known->second;
        if (!added) continue;
        const CodeRule* rule = table.find(code);
        const std::string wanted =
            rule != nullptr && !rule->layer.empty() ? rule->layer : std::string(code);
        auto [layer, newLayer] = layerIndex.try_emplace(wanted, result.layers.size());
        if (newLayer) {
            result.layers.push_back(
                {namer.unique(dxfLayerName(wanted)), rule != nullptr ? rule->colour : 7});
        }
        result.codes.push_back({layer->second, rule != nullptr && rule->joined});
    }
    return result;
}

}  // namespace korvela
