#include "cli/option_number.h"

#include <cctype>
#include <cmath>
#include <string>

#include "cli/cli_command.h"
#include "common/number_parse.h"

namespace korvela::cli {
namespace {

constexpr double kLargestCount = 9007199254740992.0;  // 2^53

struct ByteSuffix {
    char letter;
    double factor;
};
constexpr ByteSuffix kByteSuffixes[] = {
    {'K', 1024.0}, {'M', 1024.0 * 1024}, {'G', 1024.0 * 1024 * 1024}};

// The factor of the byte suffix (either case) ending the text, which is then taken off it; 1
// without one.
double takeByteSuffix(std::string_view& text) {
    if (text.empty()) return 1;
    const char last = static_cast<char>(std::toupper(static_cast<unsigned char>(text.back())));
    for (const ByteSuffix& suffix : kByteSuffixes) {
        if (last == suffix.letter) {
            text.remove_suffix(1);
            return suffix.factor;
        }
    }
    return 1;
}

}  // namespace

double optionNumber(const NumberOption& option, std::string_view text) {
    std::string_view number = text;
    const double factor = option.byteSuffix ? takeByteSuffix(number) : 1;
    double value = 0;
    if (!parseWholeNumber(number, value) || !option.usable(value * factor)) {
        throw UsageError("wrong value for " + std::string(option.name) + ": " + std::string(text) +
                         " (" + std::string(option.takes) + ")");
    }
    return value * factor;
}

bool isCount(double value) {
    return value >= 0 && value <= kLargestCount && std::floor(value) == value;
}

}  // namespace korvela::cli
