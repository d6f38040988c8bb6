#pragma once

#include <optional>
#include <string_view>

namespace korvela {

class AreaSheet;

// What the user is told when a value of the sheet is too large to be computed (UTF-8).
extern const char* const kAreaComputationFailedMessage;

// The number a sheet cell stands for: blanks around it removed, an empty text is 0, and
// otherwise one decimal number with an optional sign and '.' or ',' as the decimal point;
// any other text counts as 0.
double readSheetNumber(std::string_view text);

// Rounds to `decimals` decimal places (0 to 6): divides by 10^-decimals, rounds to the
// nearest whole number with ties to the even neighbour, and multiplies by 10^-decimals.
// Nothing when the value is not finite or too large to be rounded to a whole number of units.
std::optional<double> roundToDecimals(double value, int decimals);

// "Вычислить": fills columns 3 to 6 of the point rows, the three summary rows and the
// result text from the coordinates in columns 1 and 2, by the coordinate method, computing
// the doubled area twice. Returns false when a value cannot be rounded; the cells written
// until then stay and the result text is left as it was.
[[nodiscard]] bool computeArea(AreaSheet& sheet);

}  // namespace korvela
