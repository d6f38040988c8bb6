#include "exchange/text_listing.h"

#include <algorithm>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string>

#include "common/local_time.h"
#include "common/number_text.h"
#include "common/output_buffer.h"
#include "common/powers_of_ten.h"
#include "common/single_line_text.h"
#include "points/listing_layout.h"
#include "points/point_store.h"

namespace korvela {
namespace {

constexpr std::string_view kProgramLine = "PROGRAM \"vex\"";
constexpr std::string_view kColumnHeading = "N     X          Y          Z";
constexpr std::string_view kLineEnd = "\r\n";

constexpr std::size_t kFieldWidth = kListingYColumn - kListingXColumn - 1;  // a blank between
constexpr int kHighestPrecision = 15;
constexpr int kLowestPrecision = 1;  // the longest such text, -1e-308, fits
// A line starting with either ends the transmission for the import.
constexpr char kEndOfText = '\x03';
constexpr std::string_view kEndOfTextMark = "<ETX>";

std::size_t formatGeneral(double value, int precision, char* out) {
    return static_cast<std::size_t>(std::to_chars(out, out + kListingNumberCapacity, value,
                                                  std::chars_format::general, precision)
                                        .ptr -
                                    out);
}

// The shortest decimal digits that read back as the value: d.ddd × 10^exponent.
struct ShortestDecimal {
    bool negative = false;
    int digits = 0;
    int exponent = 0;
};

ShortestDecimal shortestDecimal(double value) {
    char text[kListingNumberCapacity];
    const char* const end =
        std::to_chars(text, text + sizeof text, value, std::chars_format::scientific).ptr;
    ShortestDecimal decimal;
    const char* digits = text;
    decimal.negative = *digits == '-';
    if (decimal.negative) ++digits;
    const char* const exponentMark = std::find(digits, end, 'e');
    const int mantissaLength = static_cast<int>(exponentMark - digits);
    decimal.digits = mantissaLength > 1 ? mantissaLength - 1 : 1;  // less the point
    const char* exponent = exponentMark + 1;
    if (*exponent == '+') ++exponent;
    std::from_chars(exponent, end, decimal.exponent);
    return decimal;
}

// Lengths of the %g texts that show exactly the shortest digits.
std::size_t fixedLength(const ShortestDecimal& decimal) {
    const int sign = decimal.negative ? 1 : 0;
    if (decimal.exponent < 0) return sign + 2 + (-decimal.exponent - 1) + decimal.digits;
    const int integerDigits = decimal.exponent + 1;
    const int fraction = std::max(0, decimal.digits - integerDigits);
    return sign + integerDigits + (fraction > 0 ? 1 + fraction : 0);
}

std::size_t exponentLength(const ShortestDecimal& decimal) {
    const int sign = decimal.negative ? 1 : 0;
    const int mantissa = decimal.digits + (decimal.digits > 1 ? 1 : 0);
    const int exponentDigits = std::abs(decimal.exponent) >= 100 ? 3 : 2;
    return sign + mantissa + 2 + exponentDigits;
}

// A decimal of up to 15 significant digits: significand × 10^(exponent − digits + 1).
struct Decimal {
    std::uint64_t significand = 0;
    int digits = 0;
    int exponent = 0;  // of the leading digit
};

int digitCount(std::uint64_t value) {
    const int guess = (std::bit_width(value | 1) * 1233) >> 12;  // 1233 / 4096: log10(2)
    return guess + (value >= kPowersOfTen[guess] ? 1 : 0);
}

Decimal withoutTrailingZeros(std::uint64_t significand, int exponent) {
    while (significand % 10 == 0 && significand != 0) significand /= 10;
    return {significand, digitCount(significand), exponent};
}

// Rounds the decimal to `precision` digits; false, leaving it, at an exact half, where the
// double the decimal stands for lies on one side of it or the other. Digit by digit: a
// division by a constant ten is a multiplication.
bool roundTo(Decimal& decimal, int precision) {
    std::uint64_t kept = decimal.significand;
    unsigned highestDropped = 0;
    bool restDropped = false;  // any nonzero digit below the highest dropped one
    for (int drop = decimal.digits - precision; drop > 0; --drop) {
        restDropped = restDropped || highestDropped != 0;
        highestDropped = static_cast<unsigned>(kept % 10);
        kept /= 10;
    }
    if (highestDropped == 5 && !restDropped) return false;
    if (highestDropped >= 5) ++kept;
    int exponent = decimal.exponent;
    if (kept == kPowersOfTen[precision]) ++exponent;  // 99.96 rounded up to 100.0
    decimal = withoutTrailingZeros(kept, exponent);
    return true;
}

bool fixedAt(const Decimal& decimal, int precision) {
    return decimal.exponent >= -4 && decimal.exponent < precision;
}

std::size_t textLength(const Decimal& decimal, bool negative, bool fixed) {
    const std::size_t sign = negative ? 1 : 0;
    if (!fixed) {
        const int exponentDigits = std::abs(decimal.exponent) >= 100 ? 3 : 2;
        return sign + decimal.digits + (decimal.digits > 1 ? 1 : 0) + 2 + exponentDigits;
    }
    if (decimal.exponent < 0)
        return sign + 1 + static_cast<std::size_t>(-decimal.exponent) + decimal.digits;
    const int whole = decimal.exponent + 1;
    const int fraction = std::max(0, decimal.digits - whole);
    return sign + whole + (fraction > 0 ? 1 + fraction : 0);
}

// The %g text of the decimal (fixed, or d.ddde±XX), `length` bytes as textLength gives,
// written from its end back: each byte stored once, the digits by divisions by a constant.
void writeDecimal(const Decimal& decimal, bool negative, bool fixed, char* out,
                  std::size_t length) {
    char* at = out + length;
    std::uint64_t rest = decimal.significand;
    const auto digits = [&](int count) {
        for (; count > 0; --count, rest /= 10) *--at = static_cast<char>('0' + rest % 10);
    };
    const auto zeros = [&](int count) {
        for (; count > 0; --count) *--at = '0';
    };
    const int count = decimal.digits;
    if (!fixed) {
        int exponent = std::abs(decimal.exponent);
        for (int place = exponent >= 100 ? 3 : 2; place > 0; --place, exponent /= 10) {
            *--at = static_cast<char>('0' + exponent % 10);
        }
        *--at = decimal.exponent < 0 ? '-' : '+';
        *--at = 'e';
        digits(count - 1);
        if (count > 1) *--at = '.';
        digits(1);
    } else if (decimal.exponent < 0) {
        digits(count);
        zeros(-decimal.exponent - 1);
        *--at = '.';
        *--at = '0';
    } else {
        const int whole = decimal.exponent + 1;
        if (count > whole) {
            digits(count - whole);
            *--at = '.';
        }
        zeros(whole - count);
        digits(std::min(whole, count));
    }
    if (negative) *--at = '-';
}

// A survey value of at most four decimals is known as an exact decimal, which every
// precision's text is written from without the library: the double lies far closer to the
// decimal than to any rounding boundary but an exact half, which is left to the library
// (0: not written).
std::size_t formatSurveyValue(double value, char* out) {
    const std::uint64_t tenThousandths = tenThousandthsOf(value);
    if (tenThousandths == 0) return 0;
    const Decimal exact = withoutTrailingZeros(tenThousandths, digitCount(tenThousandths) - 1 - 4);
    const bool negative = value < 0;
    // The text when it fits the field, else 0.
    const auto written = [&](const Decimal& decimal, bool fixed) -> std::size_t {
        const std::size_t length = textLength(decimal, negative, fixed);
        if (length > kFieldWidth) return 0;
        writeDecimal(decimal, negative, fixed, out, length);
        return length;
    };
    // From 15 down to its digit count every precision shows the decimal itself, fixed while
    // the precision exceeds its exponent (always at 15: the value is below 10^11).
    if (const std::size_t length = written(exact, true)) return length;
    if (exact.exponent >= exact.digits) {
        if (const std::size_t length = written(exact, false)) return length;
    }
    for (int precision = exact.digits - 1; precision >= kLowestPrecision; --precision) {
        Decimal rounded = exact;
        if (!roundTo(rounded, precision)) return 0;
        if (const std::size_t length = written(rounded, fixedAt(rounded, precision))) {
            return length;
        }
    }
    return 0;
}

}  // namespace

// At every precision p from the shortest digit count n up to 15, %.pg shows exactly the
// shortest digits (a normal double is within half a unit of its 15th digit of them; a
// subnormal one, of fewer bits, is not and takes the loop), fixed when
// -4 <= exponent < p: two candidate texts cover all those precisions without formatting.
// Below n the value has to be rounded, which to_chars does exactly as printf.
std::size_t formatListingNumber(double value, char* out) {
    if (const std::size_t length = formatSurveyValue(value, out)) return length;
    if (value == 0 || !std::isfinite(value)) return formatGeneral(value, kHighestPrecision, out);
    const ShortestDecimal decimal = shortestDecimal(value);
    int highestLeft = kHighestPrecision;
    if (decimal.digits <= kHighestPrecision && std::isnormal(value)) {
        const int exponent = decimal.exponent;
        const bool fixedAtHighest = exponent >= -4 && exponent < kHighestPrecision;
        if (fixedAtHighest && fixedLength(decimal) <= kFieldWidth) {
            return formatGeneral(value, kHighestPrecision, out);
        }
        const bool exponentSomewhere = exponent < -4 || exponent >= decimal.digits;
        if (exponentSomewhere && exponentLength(decimal) <= kFieldWidth) {
            return formatGeneral(
                value, exponent < -4 ? kHighestPrecision : std::min(exponent, kHighestPrecision),
                out);
        }
        highestLeft = decimal.digits - 1;
    }
    for (int precision = highestLeft; precision > kLowestPrecision; --precision) {
        const std::size_t length = formatGeneral(value, precision, out);
        if (length <= kFieldWidth) return length;
    }
    return formatGeneral(value, kLowestPrecision, out);
}

namespace {

// The fields are written straight into the line from left to right, each from its column
// with blanks after it reaching at least to the next column (a fixed size, stored without a
// call); the line has room behind it for those and for the longer texts tried on the way.
constexpr std::size_t kBlanks = 16;
static_assert(kListingXColumn <= kBlanks && kListingLineLength - kListingZColumn <= kBlanks + 1 &&
              kListingYColumn - kListingXColumn <= kBlanks && kBlanks <= kListingNumberCapacity);

void writeNumberField(char* line, std::size_t column, double value) {
    const std::size_t length = formatListingNumber(value, line + column);
    std::memset(line + column + length, ' ', kBlanks);
}

void writePointLine(OutputBuffer& out, const PointStore& store, std::size_t point) {
    char* const line = out.reserve(kListingLineLength + kListingNumberCapacity);
    std::memset(line, ' ', kBlanks);
    const std::string_view number = store.number()[point];
    // Cut at the X column: what the import does not read as the number must not run into x.
    std::memcpy(line + kListingNumberColumn, number.data(),
                std::min(number.size(), kListingXColumn - kListingNumberColumn));
    blankLineBreaks(line, kListingXColumn);
    if (line[0] == kEndOfText ||
        std::string_view(line, kListingXColumn).starts_with(kEndOfTextMark))
        line[0] = ' ';
    writeNumberField(line, kListingXColumn, store.x()[point]);
    writeNumberField(line, kListingYColumn, store.y()[point]);
    writeNumberField(line, kListingZColumn, store.z()[point]);
    std::memcpy(line + kListingLineLength, kLineEnd.data(), kLineEnd.size());
    out.commit(kListingLineLength + kLineEnd.size());
}

void writeLine(OutputBuffer& out, std::string_view text) {
    out.append(text);
    out.append(kLineEnd);
}

// Three numbers joined by ':', without leading zeros (9:5:7, 1:1:2011).
std::string colonJoined(int first, int second, int third) {
    return std::to_string(first) + ':' + std::to_string(second) + ':' + std::to_string(third);
}

}  // namespace

void writeTextListing(const PointStore& store, const LocalTime& now, std::ostream& stream,
                      WorkProgress* progress) {
    ProgressCounter counter(progress, store.count());
    OutputBuffer out(stream);
    writeLine(out, kListingFirstLine);
    writeLine(out, kProgramLine);
    writeLine(out, colonJoined(now.hour, now.minute, now.second));
    writeLine(out, colonJoined(now.day, now.month, now.year));
    writeLine(out, kColumnHeading);
    for (std::size_t point = 0; point < store.count(); ++point, counter.add()) {
        if (store.kind()[point] == kKindPoint) writePointLine(out, store, point);
    }
}

}  // namespace korvela
