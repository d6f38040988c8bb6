#include "common/angle_text.h"

#include <cmath>
#include <cstdio>

namespace korvela {
namespace {

constexpr long long kSecondsInCircle = 360LL * 3600;

// The angle in whole units of 1/`perSecond` of a second, rounded first so that the carry
// reaches minutes and degrees, within the circle.
long long circleUnits(double degrees, long long perSecond) {
    const long long circle = kSecondsInCircle * perSecond;
    const long long units = std::llround(degrees * 3600 * static_cast<double>(perSecond)) % circle;
    return units < 0 ? units + circle : units;
}

std::string tenthsOfSecond(double seconds, const char* format) {
    const double tenths = std::round(seconds * 10);
    char text[48];
    std::snprintf(text, sizeof text, format, (tenths == 0 ? 0.0 : tenths) / 10);
    return text;
}

}  // namespace

std::string dmsText(double degrees) {
    const long long seconds = circleUnits(degrees, 1);
    char text[48];
    std::snprintf(text, sizeof text, "%lld\u00B0 %02lld' %02lld\"", seconds / 3600,
                  seconds / 60 % 60, seconds % 60);
    return text;
}

std::string dmsFieldText(double degrees) {
    const long long tenths = circleUnits(degrees, 10);
    const long long seconds = tenths / 10;
    char text[48];
    std::snprintf(text, sizeof text, "%lld %02lld %02lld.%lld", seconds / 3600, seconds / 60 % 60,
                  seconds % 60, tenths % 10);
    return text;
}

std::string signedSecondsText(double seconds) {
    return tenthsOfSecond(seconds, std::round(seconds * 10) > 0 ? "+%.1f\"" : "%.1f\"");
}

std::string secondsText(double seconds) { return tenthsOfSecond(seconds, "%.1f\""); }

}  // namespace korvela
