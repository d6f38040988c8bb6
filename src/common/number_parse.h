#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace korvela {

struct NumberPrefix {
    double value = 0;
    std::size_t length = 0;  // 0: the text does not start with a number
};

// Reads the longest prefix of text that is a decimal number: optional white space, optional
// sign, digits with an optional '.', optional exponent. "inf", "nan" and hexadecimal are not
// numbers ("0x10" reads 0). A value that is not finite (1e999) reads as 0.
NumberPrefix scanNumberPrefix(std::string_view text);

// The number conversion of the readers: the value of the longest number prefix, 0 if none.
double parseNumberPrefix(std::string_view text);

// True when text, apart from white space around it, is exactly one finite number.
bool parseWholeNumber(std::string_view text, double& value);

// Strict conversions of typed text (UTF-8). They throw ConversionError carrying the
// "not a valid floating point / integer value" message on anything but one number
// (white space around it allowed).
double toDoubleStrict(std::string_view text);
std::int32_t toIntStrict(std::string_view text);

// Trims the white space of the C locale (space, tab, LF, VT, FF, CR) from both ends.
std::string_view trimWhiteSpace(std::string_view text);

}  // namespace korvela
