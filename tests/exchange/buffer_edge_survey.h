#pragma once

#include <cstdio>
#include <cstdlib>
#include <string>

#include "points/point_store.h"

namespace korvela::testing {

// Points that writing straight into the output buffer (1 MiB) can get wrong: a number as long
// as given (by default longer than the whole buffer), minus zero, the largest and smallest
// magnitudes, then points of every number length from 1 to 200, so that lines and numbers end
// at every offset around the buffer's ends.
inline PointStore bufferEdgeSurvey(std::size_t longestNumber = 1'500'000) {
    const struct {
        std::string number;
        double x, y, z;
    } cases[] = {
        {std::string(longestNumber, 'N'), 1, 2, 3},
        {"minus zero", -0.0, -0.0, -0.0},
        {"huge", 1e300, -1.5e308, 1.7e308},
        {"tiny", 2.2250738585072014e-308, -4.9e-324, 1e-5},
        {"sixteen digits", 123456789012345.6, -9999999999999.99, 0.30000000000000004},
    };
    PointStore store;
    for (const auto& c : cases) store.append(c.number, c.x, c.y, c.z, kColourAqua, kKindPoint);
    for (int i = 0; i < 8000; ++i) {
        store.append(std::string(1 + i % 200, static_cast<char>('a' + i % 26)), 5412000.731 + i,
                     -7312000.5 - i * 0.25, i * 1e-3, kColourAqua, kKindPoint);
    }
    return store;
}

// The value the number text of 15 significant digits reads back as, by the C library.
inline double fifteenDigits(double value) {
    char text[40];
    std::snprintf(text, sizeof text, "%.15g", value);
    return std::strtod(text, nullptr);
}

}  // namespace korvela::testing
