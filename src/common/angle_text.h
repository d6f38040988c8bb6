#pragma once

#include <string>

namespace korvela {

// How every computation sheet prints angles (UTF-8; the sheets convert to Windows-1251,
// which has the degree sign but no prime marks, so minutes and seconds are marked ' and ").

// An angle in degrees as "D° MM' SS"", within 0-360°, rounded to whole seconds with the carry
// taken up to minutes and degrees (359° 59' 59.7" prints 0° 00' 00", never 59' 60").
std::string dmsText(double degrees);

// An angle in degrees as the angle fields read it back, "D MM SS.s" (234 07 04.5), within
// 0-360°, rounded to tenths of a second with the carry taken up as dmsText takes it.
std::string dmsFieldText(double degrees);

// A small signed angle (a misclosure, a limit, a correction, a residual) in seconds to 0.1":
// "-27.4"", "+3.0"", "0.0"".
std::string signedSecondsText(double seconds);

// The same without a sign, for limits and errors that are never negative: "60.0"".
std::string secondsText(double seconds);

}  // namespace korvela
