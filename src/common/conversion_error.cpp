#include "common/conversion_error.h"

namespace korvela {
namespace {

constexpr std::string_view kNotFloatingPoint = "'%s' is not a valid floating point value";
constexpr std::string_view kNotInteger = "'%s' is not a valid integer value";

std::string fillIn(std::string_view pattern, std::string_view text) {
    std::string message(pattern);
    message.replace(message.find("%s"), 2, text);
    return message;
}

}  // namespace

ConversionError::ConversionError(const std::string& message) : std::runtime_error(message) {}

ConversionError ConversionError::notFloatingPoint(std::string_view text) {
    return ConversionError(fillIn(kNotFloatingPoint, text));
}

ConversionError ConversionError::locatedAt(std::string_view place) const {
    return ConversionError(std::string(place) + what());
}

ConversionError ConversionError::notInteger(std::string_view text) {
    return ConversionError(fillIn(kNotInteger, text));
}

}  // namespace korvela
