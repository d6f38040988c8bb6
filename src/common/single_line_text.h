#pragma once

#include <algorithm>
#include <cstddef>

namespace korvela {

// A text written as one line of a file: CR and LF become blanks, so that a point number
// cannot break the file's lines.
inline void blankLineBreaks(char* text, std::size_t length) {
    std::replace_if(
        text, text + length, [](char c) { return c == '\r' || c == '\n'; }, ' ');
}

}  // namespace korvela
