#include "common/number_text.h"

#include <algorithm>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <optional>

#include "common/number_parse.h"
#include "common/powers_of_ten.h"

namespace korvela {
namespace {

constexpr int kSignificantDigits = 15;
constexpr int kSmallestFixedExponent = -5;  // 0.00001
constexpr int kLargestFixedExponent = kSignificantDigits - 1;

struct DecimalDigits {
    char digits[kSignificantDigits];
    int count = 0;     // significant digits after dropping trailing zeros
    int exponent = 0;  // value = d.ddd × 10^exponent
};

// Rounds |value| to 15 significant digits, correctly rounded, through the library's
// formatting: for the magnitudes the direct path below does not take.
DecimalDigits decomposeByLibrary(double magnitude) {
    char text[kNumberTextCapacity];
    const auto result = std::to_chars(text, text + sizeof text, magnitude,
                                      std::chars_format::scientific, kSignificantDigits - 1);
    // text is d.dddddddddddddde±XX
    DecimalDigits decimal;
    decimal.digits[0] = text[0];
    std::memcpy(decimal.digits + 1, text + 2, kSignificantDigits - 1);
    decimal.count = kSignificantDigits;
    const char* exponentText = text + 2 + (kSignificantDigits - 1) + 1;
    std::from_chars(exponentText[0] == '+' ? exponentText + 1 : exponentText, result.ptr,
                    decimal.exponent);
    return decimal;
}

using Wide = unsigned __int128;

// 10^exponent for 0 <= exponent <= 19, from a table: the formatter asks for it per number.
constexpr std::uint64_t powerOfTen(int exponent) { return kPowersOfTen[exponent]; }

// 10^-5 ... 10^15 as doubles (those below 1 inexact, good enough for a first guess).
constexpr double kFixedPowers[] = {1e-5, 1e-4, 1e-3, 1e-2, 1e-1, 1e0,  1e1,  1e2,  1e3,  1e4, 1e5,
                                   1e6,  1e7,  1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15};

constexpr int kLargestScale = 19;  // 10^19 is the largest power of ten in 64 bits
constexpr std::uint64_t kSmallestSignificand = powerOfTen(kSignificantDigits - 1);
constexpr std::uint64_t kSignificandLimit = powerOfTen(kSignificantDigits);

// |value| = significand × 10^(exponent − 14) with a significand of fifteen digits.
struct RoundedDecimal {
    std::uint64_t significand = 0;
    int exponent = 0;
    bool readsBack = false;  // the text reads back as the value itself
};

// The direct path, for the fixed-form range 0.00001 <= |value| < 10^15: |value| is
// mantissa / 2^shift with a 53-bit mantissa, so mantissa × 10^scale (scale at most 19)
// fits 128 bits and is rounded to an integer exactly, half to even, as the library does.
std::optional<RoundedDecimal> roundDirectly(double magnitude) {
    if (!(magnitude >= 1e-5 && magnitude < 1e15)) return std::nullopt;
    const auto bits = std::bit_cast<std::uint64_t>(magnitude);
    constexpr std::uint64_t kHiddenBit = std::uint64_t{1} << 52;
    const std::uint64_t mantissa = (bits & (kHiddenBit - 1)) | kHiddenBit;
    const int shift = 1075 - static_cast<int>(bits >> 52);  // magnitude = mantissa / 2^shift
    // The decimal exponent; the exact check below corrects a rare miss.
    // floor(log10(2^e)) for magnitude in [2^e, 2^(e+1)), then at most one step up.
    const int binaryExponent = static_cast<int>(bits >> 52) - 1023;
    int exponent = (binaryExponent * 78913) >> 18;
    if (exponent < kLargestFixedExponent &&
        magnitude >= kFixedPowers[exponent + 1 - kSmallestFixedExponent]) {
        ++exponent;
    }
    for (int attempt = 0; attempt < 3; ++attempt) {
        const int scale = kSignificantDigits - 1 - exponent;
        if (scale < 0 || scale > kLargestScale) return std::nullopt;
        const Wide product = Wide{mantissa} * powerOfTen(scale);
        const Wide truncated = product >> shift;
        const Wide remainder = product - (truncated << shift);
        const Wide half = Wide{1} << (shift - 1);
        const bool up = remainder > half || (remainder == half && (truncated & 1) != 0);
        const std::uint64_t significand = static_cast<std::uint64_t>(truncated) + (up ? 1 : 0);
        if (significand < kSmallestSignificand) {
            --exponent;
            continue;
        }
        if (truncated >= kSignificandLimit) {
            ++exponent;
            continue;
        }
        // The text is the nearest double's when it lies within half a binary unit of the
        // value (a quarter below a power of two, where the units below are half as large).
        const Wide distance = up ? (Wide{1} << shift) - remainder : remainder;
        const bool belowPowerOfTwo = !up && mantissa == (std::uint64_t{1} << 52);
        RoundedDecimal decimal;
        decimal.readsBack = (distance << (belowPowerOfTwo ? 2 : 1)) < powerOfTen(scale);
        decimal.significand = significand;
        decimal.exponent = exponent;
        if (significand == kSignificandLimit) {  // 999…9.5 rounded up to the next power
            decimal.significand = kSmallestSignificand;
            ++decimal.exponent;
        }
        return decimal;
    }
    return std::nullopt;
}

constexpr char kDigitPairs[] =
    "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
    "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
    "8081828384858687888990919293949596979899";

// Writes `pairs` pairs of digits of value, ending at end.
void writeDigitPairs(std::uint32_t value, int pairs, char* end) {
    for (; pairs > 0; --pairs) {
        end -= 2;
        std::memcpy(end, kDigitPairs + 2 * (value % 100), 2);
        value /= 100;
    }
}

// Fifteen digits as 7 + 8, two short independent chains of 32-bit divisions.
DecimalDigits digitsOf(const RoundedDecimal& rounded) {
    constexpr std::uint64_t kLowPart = 100000000;  // 10^8
    DecimalDigits decimal;
    decimal.exponent = rounded.exponent;
    decimal.count = kSignificantDigits;
    const auto high = static_cast<std::uint32_t>(rounded.significand / kLowPart);  // 7 digits
    const auto low = static_cast<std::uint32_t>(rounded.significand % kLowPart);
    writeDigitPairs(low, 4, decimal.digits + kSignificantDigits);
    writeDigitPairs(high % 1000000, 3, decimal.digits + 7);
    decimal.digits[0] = static_cast<char>('0' + high / 1000000);
    return decimal;
}

void dropTrailingZeros(DecimalDigits& decimal) {
    while (decimal.count > 1 && decimal.digits[decimal.count - 1] == '0') --decimal.count;
}

DecimalDigits decompose(double magnitude, bool& readsBack) {
    const std::optional<RoundedDecimal> rounded = roundDirectly(magnitude);
    readsBack = rounded && rounded->readsBack;
    DecimalDigits decimal = rounded ? digitsOf(*rounded) : decomposeByLibrary(magnitude);
    dropTrailingZeros(decimal);
    return decimal;
}

char* writeFixed(const DecimalDigits& decimal, char* out) {
    if (decimal.exponent < 0) {
        *out++ = '0';
        *out++ = '.';
        for (int zeros = -decimal.exponent - 1; zeros > 0; --zeros) *out++ = '0';
        std::memcpy(out, decimal.digits, decimal.count);
        return out + decimal.count;
    }
    const int integerDigits = decimal.exponent + 1;
    for (int i = 0; i < integerDigits; ++i) {
        *out++ = i < decimal.count ? decimal.digits[i] : '0';
    }
    if (decimal.count > integerDigits) {
        *out++ = '.';
        const int fractionDigits = decimal.count - integerDigits;
        std::memcpy(out, decimal.digits + integerDigits, fractionDigits);
        out += fractionDigits;
    }
    return out;
}

char* writeExponent(const DecimalDigits& decimal, char* out) {
    *out++ = decimal.digits[0];
    if (decimal.count > 1) {
        *out++ = '.';
        std::memcpy(out, decimal.digits + 1, decimal.count - 1);
        out += decimal.count - 1;
    }
    *out++ = 'E';
    if (decimal.exponent < 0) *out++ = '-';
    return std::to_chars(out, out + 8, std::abs(decimal.exponent)).ptr;
}

char* writeCopy(const char* text, char* out) {
    const std::size_t length = std::strlen(text);
    std::memcpy(out, text, length);
    return out + length;
}

constexpr int kShortDecimals = 4;
constexpr std::uint64_t kShortScale = 10000;

char* writeShortDecimal(std::uint64_t scaled, char* out) {
    constexpr int kLongestWhole = 11;  // below 10^11
    out = std::to_chars(out, out + kLongestWhole, scaled / kShortScale).ptr;
    auto fraction = static_cast<std::uint32_t>(scaled % kShortScale);
    if (fraction == 0) return out;
    int digits = kShortDecimals;
    for (; fraction % 10 == 0; fraction /= 10) --digits;
    *out++ = '.';
    for (int i = digits - 1; i >= 0; --i, fraction /= 10) {
        out[i] = static_cast<char>('0' + fraction % 10);
    }
    return out + digits;
}

}  // namespace

// Its fifteen-digit rounding is that decimal itself (far inside half a fifteenth digit), so
// the text reads back as the value.
std::uint64_t tenThousandthsOf(double value) {
    const double magnitude = std::fabs(value);
    if (!(magnitude >= 1e-4 && magnitude < 1e11)) return 0;
    // Signed conversions: one instruction each way, and n is far below 2^63.
    const auto scaled = static_cast<std::int64_t>(magnitude * kShortScale + 0.5);
    // Dividing two exact doubles is correctly rounded: this is the double nearest n / 10^4.
    if (static_cast<double>(scaled) / kShortScale != magnitude) return 0;
    return static_cast<std::uint64_t>(scaled);
}

std::size_t formatNumberInto(double value, char* out, bool* readsBack) {
    char* const start = out;
    bool exact = false;  // a word reads back as nothing
    if (std::isnan(value)) {
        out = writeCopy("NAN", out);
    } else if (value == 0) {
        *out++ = '0';
        exact = true;
    } else {
        if (value < 0) *out++ = '-';
        if (std::isinf(value)) {
            out = writeCopy("INF", out);
        } else if (const std::uint64_t scaled = tenThousandthsOf(value)) {
            out = writeShortDecimal(scaled, out);
            exact = true;
        } else {
            const DecimalDigits decimal = decompose(std::fabs(value), exact);
            const bool fixed = decimal.exponent >= kSmallestFixedExponent &&
                               decimal.exponent <= kLargestFixedExponent;
            out = fixed ? writeFixed(decimal, out) : writeExponent(decimal, out);
        }
    }
    if (readsBack) *readsBack = exact;
    return out - start;
}

double numberTextValue(double value) {
    if (value == 0) return 0.0;  // minus zero shows as 0
    if (tenThousandthsOf(value) != 0) return value;
    // Known without writing the digits in nearly every case.
    if (const auto rounded = roundDirectly(std::fabs(value)); rounded && rounded->readsBack) {
        return value;
    }
    char text[kNumberTextCapacity];
    const std::size_t length = formatNumberInto(value, text);
    double parsed = 0;
    return parseWholeNumber(std::string_view(text, length), parsed) ? parsed : value;
}

std::string formatFixed(double value, int decimals) {
    constexpr double kLargestFixedMagnitude = 1e15;
    if (!std::isfinite(value) || std::fabs(value) >= kLargestFixedMagnitude) {
        return formatNumber(value);
    }
    char text[kNumberTextCapacity * 2];
    const auto end = std::to_chars(text, text + sizeof text, value, std::chars_format::fixed,
                                   std::clamp(decimals, 0, kSignificantDigits))
                         .ptr;
    std::string result(text, end);
    if (result.front() == '-' && result.find_first_not_of("-0.") == std::string::npos) {
        result.erase(0, 1);
    }
    return result;
}

std::string formatShortestNumber(double value) {
    if (!std::isfinite(value) || value == 0) return formatNumber(value);
    char text[kNumberTextCapacity];
    // Shortest scientific text first: its exponent tells the form, as in formatNumberInto.
    const auto scientific =
        std::to_chars(text, text + sizeof text, value, std::chars_format::scientific);
    const char* const e = std::find(text, scientific.ptr, 'e');
    int exponent = 0;
    std::from_chars(e[1] == '+' ? e + 2 : e + 1, scientific.ptr, exponent);
    if (exponent >= kSmallestFixedExponent && exponent <= kLargestFixedExponent) {
        const auto fixed = std::to_chars(text, text + sizeof text, value, std::chars_format::fixed);
        return std::string(text, fixed.ptr);
    }
    return std::string(text, static_cast<std::size_t>(e - text)) + "E" + std::to_string(exponent);
}

std::string formatNumber(double value) {
    char text[kNumberTextCapacity];
    return std::string(text, formatNumberInto(value, text));
}

}  // namespace korvela
