#include "cli/point_selection.h"

#include <algorithm>
#include <unordered_set>

#include "common/cp1251.h"
#include "points/point_store.h"

namespace korvela::cli {

std::string pointNumberArgument(const std::string& argument) {
    const bool asciiOnly = std::all_of(argument.begin(), argument.end(),
                                       [](char c) { return static_cast<unsigned char>(c) < 0x80; });
    return !asciiOnly && isValidUtf8(argument) ? utf8ToCp1251(argument) : argument;
}

std::vector<std::int32_t> selectByNumbers(const PointStore& store,
                                          const std::vector<std::string>& arguments) {
    std::unordered_set<std::string> numbers;
    for (const std::string& argument : arguments) numbers.insert(pointNumberArgument(argument));
    std::vector<std::int32_t> selected(store.count(), 0);
    for (std::size_t i = 0; i < store.count(); ++i) {
        if (numbers.contains(std::string(store.number()[i]))) selected[i] = 1;
    }
    return selected;
}

}  // namespace korvela::cli
