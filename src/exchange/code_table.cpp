#include "exchange/code_table.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "common/cp1251.h"
#include "common/number_parse.h"
#include "common/safe_file_writer.h"
#include "common/text_lines.h"
#include "points/point_codes.h"

namespace korvela {
namespace {

constexpr char kSeparator = ';';
constexpr std::string_view kLineEnd = "\r\n";
constexpr const char* kHeader = "код;слой;цвет ACI;линия 0/1";
constexpr std::size_t kFields = 4;

std::optional<CodeRule> ruleOf(std::string_view line) {
    std::array<std::string_view, kFields> fields;
    std::size_t count = 0;
    while (true) {
        const std::size_t end = line.find(kSeparator);
        if (count == kFields) return std::nullopt;
        fields[count++] = trimWhiteSpace(line.substr(0, end));
        if (end == std::string_view::npos) break;
        line.remove_prefix(end + 1);
    }
    if (count != kFields || fields[0].empty()) return std::nullopt;
    double colour = 0;
    if (!parseWholeNumber(fields[2], colour) || colour != static_cast<int>(colour) ||
        colour < kLowestColourIndex || colour > kHighestColourIndex) {
        return std::nullopt;
    }
    if (fields[3] != "0" && fields[3] != "1") return std::nullopt;
    return CodeRule{std::string(fields[0]), std::string(fields[1]), static_cast<int>(colour),
                    fields[3] == "1"};
}

}  // namespace

const CodeRule* CodeTable::find(std::string_view code) const {
    const auto found = std::find_if(rules.begin(), rules.end(),
                                    [code](const CodeRule& rule) { return rule.code == code; });
    return found == rules.end() ? nullptr : &*found;
}

std::string codeTableText(const CodeTable& table) {
    std::string text = utf8ToCp1251(kHeader);
    text += kLineEnd;
    for (const CodeRule& rule : table.rules) {
        text += rule.code;
        text += kSeparator;
        text += rule.layer;
        text += kSeparator;
        text += std::to_string(rule.colour);
        text += kSeparator;
        text += rule.joined ? '1' : '0';
        text += kLineEnd;
    }
    return text;
}

CodeTable parseCodeTable(std::string_view bytes, std::size_t* skipped) {
    CodeTable table;
    std::size_t unread = 0;
    bool header = true;
    forEachLine(bytes, [&](std::string_view line) {
        if (std::exchange(header, false) || trimWhiteSpace(line).empty()) return true;
        if (auto rule = ruleOf(line)) {
            table.rules.push_back(std::move(*rule));
        } else {
            ++unread;
        }
        return true;
    });
    if (skipped != nullptr) *skipped = unread;
    return table;
}

std::optional<FileError> readCodeTableFile(const std::string& path, CodeTable& table,
                                           std::size_t* skipped) {
    std::string bytes;
    auto error = forEachLineOfFile(path, [&bytes](std::string_view line) {
        bytes += line;
        bytes += '\n';
        return true;
    });
    if (error) return error;
    table = parseCodeTable(bytes, skipped);
    return std::nullopt;
}

std::optional<FileError> saveCodeTableFile(const std::string& path, const CodeTable& table) {
    const std::string text = codeTableText(table);
    return writeFileSafely(path, [&text](std::ostream& out) { out << text; });
}

namespace {

std::int32_t rgb(int red, int green, int blue) { return red | (green << 8) | (blue << 16); }

// The colour at a hue (degrees) with the shade's brightness, half-saturated when pale.
std::int32_t hueColour(double hue, double brightness, bool pale) {
    const auto channel = [&](double offset) {
        double distance = std::fabs(std::fmod(hue - offset + 540.0, 360.0) - 180.0);
        const double full = std::clamp(2.0 - distance / 60.0, 0.0, 1.0);
        const double value = pale ? 0.5 + full / 2 : full;
        return static_cast<int>(std::lround(255 * brightness * value));
    };
    return rgb(channel(0), channel(120), channel(240));
}

}  // namespace

std::int32_t aciColour(int index) {
    static constexpr std::array<std::int32_t, 10> kNamed{
        0xFFFFFF, 0x0000FF, 0x00FFFF, 0x00FF00, 0xFFFF00, 0xFF0000,
        0xFF00FF, 0xFFFFFF, 0x808080, 0xC0C0C0};  // 0x00BBGGRR: red, yellow, green, cyan, blue,
                                                  // magenta, white, greys
    static constexpr std::array<double, 5> kShades{1.0, 0.8, 0.6, 0.5, 0.3};
    constexpr int kFirstGrey = 250;
    if (index < 1 || index > 255) return kNamed[7];
    if (index < 10) return kNamed[static_cast<std::size_t>(index)];
    if (index >= kFirstGrey) {
        const int level = 51 + (index - kFirstGrey) * 204 / 5;
        return rgb(level, level, level);
    }
    const double hue = (index / 10 - 1) * 15.0;
    const int shade = index % 10;
    return hueColour(hue, kShades[static_cast<std::size_t>(shade / 2)], shade % 2 == 1);
}

std::vector<std::int32_t> coloursByCode(const PointCodes& codes,
                                        const std::vector<std::int32_t>& own,
                                        const CodeTable& table) {
    std::vector<std::int32_t> colours = own;
    if (!codes.any()) return colours;
    // Runs of one code are common: its rule is looked up once a run.
    std::string_view lastCode;
    const CodeRule* lastRule = nullptr;
    for (std::size_t i = 0; i < colours.size() && i < codes.size(); ++i) {
        const std::string_view code = codes[i];
        if (code.empty()) continue;
        if (code != lastCode) {
            lastCode = code;
            lastRule = table.find(code);
        }
        if (lastRule != nullptr) colours[i] = aciColour(lastRule->colour);
    }
    return colours;
}

}  // namespace korvela
