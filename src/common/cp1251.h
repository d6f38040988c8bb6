#pragma once

#include <string>
#include <string_view>

namespace korvela {

// Windows-1251 is the program's text encoding in every file and in the point numbers it
// keeps. These are the only conversions between it and Unicode (UTF-8).

std::string cp1251ToUtf8(std::string_view bytes);

// Characters that Windows-1251 cannot hold, and bytes that are not UTF-8, become '?'.
std::string utf8ToCp1251(std::string_view utf8);

bool isValidUtf8(std::string_view text);

}  // namespace korvela
