#include "common/round4.h"

#include <cmath>

namespace korvela {

double Round4(double value) {
    const double scaled = std::fabs(value * 10000);
    const double ceiling = std::ceil(scaled);
    const double magnitude = ceiling - scaled > 0.5 ? (ceiling - 1) * 0.0001 : ceiling * 0.0001;
    return std::signbit(value) && value != 0 ? -magnitude : magnitude;
}

}  // namespace korvela
