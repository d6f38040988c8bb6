#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace korvela {

// The longest text formatNumberInto writes, sign and exponent included.
inline constexpr std::size_t kNumberTextCapacity = 32;

// The program's general number text, used by the table, reports, DXF and the area sheet:
// 15 significant digits, '.' as decimal point, no trailing zeros, no trailing point.
// Fixed form when 0.00001 <= |v| and at most 15 digits stand before the point, otherwise
// exponent form written as 1E-7 or 1.5E20. Minus zero prints 0.
std::string formatNumber(double value);

// The same text written into out (at least kNumberTextCapacity bytes); returns its length.
// With readsBack, tells whether the text is known to read back as value itself (true for
// nearly every value of the fixed form; false means: parse the text to know).
std::size_t formatNumberInto(double value, char* out, bool* readsBack = nullptr);

// Survey values carry at most four decimals: when |value| is the double nearest to
// n / 10^4 for a whole n below 10^15 and 10^-4 <= |value| < 10^11, gives n, the decimal the
// value stands for in ten-thousandths (the double lies within a relative 1.2e-16 of it);
// 0 for any other value. A plain number: the writers of millions of values call it per value.
std::uint64_t tenThousandthsOf(double value);

// The shortest text that reads back as value itself, for data kept at full precision
// (observations as read): the same form as formatNumber's, up to 17 significant digits.
std::string formatShortestNumber(double value);

// The value that formatNumber(value)'s text reads back as: what a cell showing the text
// holds. Value itself in nearly every case, found without parsing.
double numberTextValue(double value);

// The value with exactly `decimals` digits after the point (0 to 15), rounded to nearest,
// as reports show measured quantities (12.300 m). A result that rounds to zero has no sign;
// values that are not finite, or too large to show in fixed form, get the general text.
std::string formatFixed(double value, int decimals);

}  // namespace korvela
