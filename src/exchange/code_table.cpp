#include "exchange/code_table.h"

#include <algorithm>
#include <array>

#include "common/cp1251.h"
#include "common/number_parse.h"
#include "common/safe_file_writer.h"
#include "common/text_lines.h"

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

}  // namespace korvela
