#pragma once

#include <optional>
#include <string_view>

namespace korvela {

// An angle typed by the user (UTF-8), in degrees:
//   decimal degrees              "234.11767"
//   degrees, minutes, seconds    "234 07 04", "234-07-04", "234-07-04.5", "234°07′04″",
//                                "234°07'04\"" (minutes alone: "234 07.5")
// Degrees and minutes before a further part are whole numbers; minutes and seconds are
// below 60. A leading minus sign negates the whole angle ("-0 00 30" is half a minute below
// zero). Nothing for any other text.
std::optional<double> parseAngle(std::string_view text);

}  // namespace korvela
