#pragma once

#include <string_view>

namespace korvela::cli {

// What a number option takes: how its value is read and what a wrong value's message says.
struct NumberOption {
    std::string_view name;         // "--limit"
    std::string_view takes;        // "a number above 0", for the message refusing a value
    bool (*usable)(double value);  // whether the command can work with the value
    bool byteSuffix = false;       // whether K, M or G (1024, 1024², 1024³ bytes) may follow
};

// The value `text` gives the option: one decimal number as the program reads typed numbers
// (common/number_parse.h), times the byte suffix's factor when the option takes one. Throws
// UsageError "wrong value for NAME: TEXT (TAKES)" when the text is no such number or the value
// is not usable.
double optionNumber(const NumberOption& option, std::string_view text);

// A whole number from 0 to 2^53, the range in which a double holds every whole number: the
// usable values of a count.
bool isCount(double value);

}  // namespace korvela::cli
