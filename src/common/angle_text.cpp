#include "common/angle_text.h"

#include <cmath>
#include <cstdio>

namespace korvela {
namespace {

constexpr long long kSecondsInCircle = 360LL * 3600;

std::string tenthsOfSecond(double seconds, const char* format) {
    const double tenths = std::round(seconds * 10);
    char text[48];
    std::snprintf(text, sizeof text, format, (tenths == 0 ? 0.0 : tenths) / 10);
    return text;
}

}  // namespace

std::string dmsText(double degrees) {
    // Rounding the whole angle in seconds first is what carries 59.7" into the next minute.
    long long seconds = std::llround(degrees * 3600) % kSecondsInCircle;
    if (seconds < 0) seconds += kSecondsInCircle;
    char text[48];
    std::snprintf(text, sizeof text, "%lld\u00B0 %02lld' %02lld\"", seconds / 3600,
                  seconds / 60 % 60, seconds % 60);
    return text;
}

std::string signedSecondsText(double seconds) {
    return tenthsOfSecond(seconds, std::round(seconds * 10) > 0 ? "+%.1f\"" : "%.1f\"");
}

std::string secondsText(double seconds) { return tenthsOfSecond(seconds, "%.1f\""); }

}  // namespace korvela
