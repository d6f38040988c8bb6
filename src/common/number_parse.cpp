#include "common/number_parse.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <system_error>

#include "common/conversion_error.h"

namespace korvela {
namespace {

bool isWhiteSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

bool isDigit(char c) { return c >= '0' && c <= '9'; }

std::size_t skipDigits(std::string_view text, std::size_t at) {
    while (at < text.size() && isDigit(text[at])) ++at;
    return at;
}

// End of the unsigned decimal number starting at `at`, or `at` when there is none.
std::size_t endOfUnsignedNumber(std::string_view text, std::size_t at) {
    const std::size_t integerEnd = skipDigits(text, at);
    std::size_t end = integerEnd;
    bool anyDigit = integerEnd > at;
    if (end < text.size() && text[end] == '.') {
        const std::size_t fractionEnd = skipDigits(text, end + 1);
        anyDigit = anyDigit || fractionEnd > end + 1;
        end = fractionEnd;
    }
    if (!anyDigit) return at;
    if (end < text.size() && (text[end] == 'e' || text[end] == 'E')) {
        std::size_t exponentStart = end + 1;
        if (exponentStart < text.size() &&
            (text[exponentStart] == '+' || text[exponentStart] == '-')) {
            ++exponentStart;
        }
        const std::size_t exponentEnd = skipDigits(text, exponentStart);
        if (exponentEnd > exponentStart) end = exponentEnd;
    }
    return end;
}

// What from_chars reports as out of range is either too large or too small for a double.
// The decimal order of the leading significant digit tells which.
bool isOverflow(std::string_view number) {
    const std::size_t exponentAt = number.find_first_of("eE");
    const std::string_view mantissa = number.substr(0, exponentAt);
    long exponent = 0;
    if (exponentAt != std::string_view::npos) {
        std::string_view exponentText = number.substr(exponentAt + 1);
        if (!exponentText.empty() && exponentText[0] == '+') exponentText.remove_prefix(1);
        const auto result = std::from_chars(exponentText.data(),
                                            exponentText.data() + exponentText.size(), exponent);
        if (result.ec == std::errc::result_out_of_range) return exponentText[0] != '-';
    }
    const std::size_t pointAt = std::min(mantissa.find('.'), mantissa.size());
    const std::size_t firstSignificant = mantissa.find_first_of("123456789");
    const long order = firstSignificant < pointAt
                           ? static_cast<long>(pointAt - firstSignificant)
                           : -static_cast<long>(firstSignificant - pointAt - 1);
    return exponent > -order;  // order + exponent > 0, without overflow for huge exponents
}

// Exact powers of ten: every one up to 10^22 is a double without rounding.
constexpr double kExactPowersOfTen[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                        1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                        1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
constexpr int kLargestExactPower = 22;
constexpr std::uint64_t kLargestExactInteger = std::uint64_t{1} << 53;
constexpr int kMostMantissaDigits = 19;  // below 2^64

// The fast path for plain decimals (digits with an optional '.', no exponent) whose digits,
// read as an integer, are at most 2^53 and which have at most 22 digits after the point: the
// integer and the power of ten are exact doubles, so their quotient is the correctly rounded
// value, the same that from_chars gives. Returns false, having read nothing, for any other text.
bool scanPlainDecimal(std::string_view text, std::size_t at, double& magnitude, std::size_t& end) {
    std::uint64_t mantissa = 0;
    int significantDigits = 0;
    int fractionDigits = 0;
    bool anyDigit = false;
    bool inFraction = false;
    std::size_t i = at;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        if (isDigit(c)) {
            if (mantissa != 0 || c != '0') {
                if (++significantDigits > kMostMantissaDigits) return false;
            }
            mantissa = mantissa * 10 + static_cast<std::uint64_t>(c - '0');
            fractionDigits += inFraction ? 1 : 0;
            anyDigit = true;
        } else if (c == '.' && !inFraction) {
            inFraction = true;
        } else {
            break;
        }
    }
    if (!anyDigit || mantissa > kLargestExactInteger || fractionDigits > kLargestExactPower)
        return false;
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) return false;
    magnitude = static_cast<double>(mantissa) / kExactPowersOfTen[fractionDigits];
    end = i;
    return true;
}

struct ScannedNumber {
    double value = 0;
    std::size_t length = 0;
    bool overflow = false;
};

ScannedNumber scanNumber(std::string_view text) {
    std::size_t at = 0;
    while (at < text.size() && isWhiteSpace(text[at])) ++at;
    bool negative = false;
    if (at < text.size() && (text[at] == '+' || text[at] == '-')) {
        negative = text[at] == '-';
        ++at;
    }
    double magnitude = 0;
    std::size_t end = at;
    if (scanPlainDecimal(text, at, magnitude, end)) return {negative ? -magnitude : magnitude, end};
    end = endOfUnsignedNumber(text, at);
    if (end == at) return {};

    const auto result =
        std::from_chars(text.data() + at, text.data() + end, magnitude, std::chars_format::general);
    bool overflow = false;
    if (result.ec == std::errc::result_out_of_range) {
        overflow = isOverflow(text.substr(at, end - at));
        magnitude = 0;
    }
    return {negative ? -magnitude : magnitude, end, overflow};
}

}  // namespace

std::string_view trimWhiteSpace(std::string_view text) {
    std::size_t begin = 0;
    std::size_t end = text.size();
    while (begin < end && isWhiteSpace(text[begin])) ++begin;
    while (end > begin && isWhiteSpace(text[end - 1])) --end;
    return text.substr(begin, end - begin);
}

NumberPrefix scanNumberPrefix(std::string_view text) {
    const ScannedNumber scanned = scanNumber(text);
    return {scanned.value, scanned.length};
}

double parseNumberPrefix(std::string_view text) { return scanNumber(text).value; }

bool parseWholeNumber(std::string_view text, double& value) {
    const std::string_view trimmed = trimWhiteSpace(text);
    const ScannedNumber scanned = scanNumber(trimmed);
    if (scanned.length == 0 || scanned.length != trimmed.size() || scanned.overflow) return false;
    value = scanned.value;
    return true;
}

double toDoubleStrict(std::string_view text) {
    double value = 0;
    if (!parseWholeNumber(text, value)) throw ConversionError::notFloatingPoint(text);
    return value;
}

std::int32_t toIntStrict(std::string_view text) {
    std::string_view digits = trimWhiteSpace(text);
    if (!digits.empty() && digits[0] == '+') {
        digits.remove_prefix(1);
        if (!digits.empty() && digits[0] == '-') throw ConversionError::notInteger(text);
    }
    std::int32_t value = 0;
    const char* const end = digits.data() + digits.size();
    const auto result = std::from_chars(digits.data(), end, value);
    if (digits.empty() || result.ec != std::errc() || result.ptr != end) {
        throw ConversionError::notInteger(text);
    }
    return value;
}

}  // namespace korvela
