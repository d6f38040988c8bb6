#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace korvela {
class PointStore;
}

namespace korvela::cli {

// A point number argument: text typed in a UTF-8 terminal (valid UTF-8 with non-ASCII
// characters) is converted to Windows-1251, the encoding of the numbers in the store; any
// other argument is used byte for byte.
std::string pointNumberArgument(const std::string& argument);

// The selection flags that select every point whose number equals one of the arguments
// (taken as point number arguments), and no other point.
std::vector<std::int32_t> selectByNumbers(const PointStore& store,
                                          const std::vector<std::string>& arguments);

}  // namespace korvela::cli
