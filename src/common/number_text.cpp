#include "common/number_text.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <cstring>

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

// Rounds |value| to 15 significant digits, correctly rounded.
DecimalDigits decompose(double magnitude) {
    char text[kNumberTextCapacity];
    const auto result = std::to_chars(text, text + sizeof text, magnitude,
                                      std::chars_format::scientific, kSignificantDigits - 1);
    // text is d.dddddddddddddde±XX
    DecimalDigits decimal;
    decimal.digits[0] = text[0];
    std::memcpy(decimal.digits + 1, text + 2, kSignificantDigits - 1);
    decimal.count = kSignificantDigits;
    while (decimal.count > 1 && decimal.digits[decimal.count - 1] == '0') {
        --decimal.count;
    }
    const char* exponentText = text + 2 + (kSignificantDigits - 1) + 1;
    std::from_chars(exponentText[0] == '+' ? exponentText + 1 : exponentText, result.ptr,
                    decimal.exponent);
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

}  // namespace

std::size_t formatNumberInto(double value, char* out) {
    char* const start = out;
    if (std::isnan(value)) return writeCopy("NAN", out) - start;
    if (value == 0) {
        *out = '0';
        return 1;
    }
    if (value < 0) *out++ = '-';
    if (std::isinf(value)) return writeCopy("INF", out) - start;
    const DecimalDigits decimal = decompose(std::fabs(value));
    const bool fixed =
        decimal.exponent >= kSmallestFixedExponent && decimal.exponent <= kLargestFixedExponent;
    out = fixed ? writeFixed(decimal, out) : writeExponent(decimal, out);
    return out - start;
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

std::string formatNumber(double value) {
    char text[kNumberTextCapacity];
    return std::string(text, formatNumberInto(value, text));
}

}  // namespace korvela
