#pragma once

#include <cstddef>
#include <string_view>

namespace korvela {

// The fixed-column text listing that "Export txt" writes and "Import Project" reads back:
// five header lines, the first exactly "Sokkia - sdr", then one 45-character line per
// point with the number, x, y and z starting at the columns below (counted from 0).
inline constexpr std::string_view kListingFirstLine = "Sokkia - sdr";
inline constexpr std::size_t kListingHeaderLines = 5;
inline constexpr std::size_t kListingNumberColumn = 0;
inline constexpr std::size_t kListingXColumn = 6;
inline constexpr std::size_t kListingYColumn = 17;
inline constexpr std::size_t kListingZColumn = 28;
inline constexpr std::size_t kListingLineLength = 45;

}  // namespace korvela
