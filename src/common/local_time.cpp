#include "common/local_time.h"

#include <charconv>
#include <cstdlib>
#include <ctime>

namespace korvela {
namespace {

constexpr const char* kNowVariable = "KORVELA_NOW";

// Reads exactly `width` digits at `at` into value.
bool readDigits(std::string_view text, std::size_t at, std::size_t width, int& value) {
    if (at + width > text.size()) return false;
    for (std::size_t i = at; i < at + width; ++i) {
        if (text[i] < '0' || text[i] > '9') return false;
    }
    std::from_chars(text.data() + at, text.data() + at + width, value);
    return true;
}

bool isValid(const LocalTime& time) {
    return time.month >= 1 && time.month <= 12 && time.day >= 1 && time.day <= 31 &&
           time.hour <= 23 && time.minute <= 59 && time.second <= 60;
}

}  // namespace

std::optional<LocalTime> parseLocalTime(std::string_view text) {
    constexpr std::string_view kPattern = "YYYY-MM-DD HH:MM:SS";
    if (text.size() != kPattern.size()) return std::nullopt;
    for (std::size_t i : {4, 7}) {
        if (text[i] != '-') return std::nullopt;
    }
    if (text[10] != ' ' || text[13] != ':' || text[16] != ':') return std::nullopt;
    LocalTime time;
    const bool read = readDigits(text, 0, 4, time.year) && readDigits(text, 5, 2, time.month) &&
                      readDigits(text, 8, 2, time.day) && readDigits(text, 11, 2, time.hour) &&
                      readDigits(text, 14, 2, time.minute) && readDigits(text, 17, 2, time.second);
    if (!read || !isValid(time)) return std::nullopt;
    return time;
}

LocalTime currentLocalTime() {
    if (const char* now = std::getenv(kNowVariable)) {
        if (const auto time = parseLocalTime(now)) return *time;
    }
    const std::time_t seconds = std::time(nullptr);
    std::tm parts{};
    ::localtime_r(&seconds, &parts);
    return {parts.tm_year + 1900, parts.tm_mon + 1, parts.tm_mday,
            parts.tm_hour,        parts.tm_min,     parts.tm_sec};
}

}  // namespace korvela
