#include "common/angle_parse.h"

#include <array>
#include <cmath>
#include <vector>

#include "common/number_parse.h"

namespace korvela {
namespace {

// The marks that may stand between the parts: blanks, '-', and the degree, minute and
// second signs (their UTF-8 bytes, and the apostrophe and quote typed for want of them).
constexpr std::array<std::string_view, 8> kSeparators = {
    " ", "\t", "-", "\u00B0", "\u2032", "\u2033", "'", "\""};

std::size_t separatorAt(std::string_view text, std::size_t position) {
    for (std::string_view mark : kSeparators) {
        if (text.substr(position).starts_with(mark)) return mark.size();
    }
    return 0;
}

// The numbers between the separators; nothing when a part is not a plain unsigned number.
std::optional<std::vector<double>> parts(std::string_view text) {
    std::vector<double> values;
    std::size_t position = 0;
    while (position < text.size()) {
        if (const std::size_t mark = separatorAt(text, position)) {
            position += mark;
            continue;
        }
        std::size_t end = position;
        while (end < text.size() && separatorAt(text, end) == 0) ++end;
        const std::string_view part = text.substr(position, end - position);
        double value = 0;
        if (part.find_first_not_of("0123456789.") != std::string_view::npos ||
            !parseWholeNumber(part, value)) {
            return std::nullopt;
        }
        values.push_back(value);
        position = end;
    }
    return values;
}

bool isWhole(double value) { return value == std::floor(value); }

}  // namespace

std::optional<double> parseAngle(std::string_view text) {
    text = trimWhiteSpace(text);
    const bool negative = text.starts_with('-');
    if (negative) text.remove_prefix(1);
    const auto values = parts(text);
    if (!values || values->empty() || values->size() > 3) return std::nullopt;
    const std::vector<double>& v = *values;
    for (std::size_t i = 0; i + 1 < v.size(); ++i) {
        if (!isWhole(v[i])) return std::nullopt;
    }
    for (std::size_t i = 1; i < v.size(); ++i) {
        if (v[i] >= 60) return std::nullopt;
    }
    double degrees = v[0];
    if (v.size() > 1) degrees += v[1] / 60;
    if (v.size() > 2) degrees += v[2] / 3600;
    return negative ? -degrees : degrees;
}

}  // namespace korvela
