#pragma once

#include <optional>
#include <string_view>

namespace korvela {

// A local date and time as the files the program writes show it.
struct LocalTime {
    int year = 0;
    int month = 0;  // 1-12
    int day = 0;    // 1-31
    int hour = 0;   // 0-23
    int minute = 0;
    int second = 0;

    bool operator==(const LocalTime&) const = default;
};

// Reads "YYYY-MM-DD HH:MM:SS"; nothing when the text is not such a date and time.
std::optional<LocalTime> parseLocalTime(std::string_view text);

// The current local time. When the environment variable KORVELA_NOW holds a date and time
// as parseLocalTime reads it, that stands for the current time (tests compare whole files).
LocalTime currentLocalTime();

}  // namespace korvela
