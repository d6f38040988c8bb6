#include "tasks/rotation.h"

#include <cmath>
#include <cstddef>
#include <optional>

#include "common/number_text.h"
#include "common/round4.h"
#include "points/point_store.h"

namespace korvela {
namespace {

constexpr double kTwoPi = 6.283185307179586;
constexpr double kHalfPi = 1.5707963267948966;
constexpr double kOneOver360 = 0.002777777777777778;
constexpr double kOneOverTwoPi = 0.15915494309189535;
constexpr double kSameYTolerance = 0.01;

bool takesPart(const PointStore& store, const std::vector<std::int32_t>& selected, std::size_t i) {
    return selected[i] == 1 && store.active()[i] == 1;
}

std::optional<std::size_t> nextTakingPart(const PointStore& store,
                                          const std::vector<std::int32_t>& selected,
                                          std::size_t from) {
    for (std::size_t i = from; i < store.count(); ++i) {
        if (takesPart(store, selected, i)) return i;
    }
    return std::nullopt;
}

double radiansFromDegrees(double degrees) { return degrees * kTwoPi * kOneOver360; }

double degreesFromRadians(double radians) { return radians * 360 * kOneOverTwoPi; }

double proposedAngleDegrees(const PointStore& store, const std::vector<std::int32_t>& selected) {
    const std::optional<std::size_t> first = nextTakingPart(store, selected, 0);
    if (!first) return 0;
    const double x0 = store.x()[*first], y0 = store.y()[*first], z0 = store.z()[*first];
    for (auto p = nextTakingPart(store, selected, *first + 1); p;
         p = nextTakingPart(store, selected, *p + 1)) {
        if (std::fabs(store.y()[*p] - y0) >= kSameYTolerance) continue;
        if (store.z()[*p] == z0) return 0;
        return degreesFromRadians(std::atan((store.x()[*p] - x0) / (store.z()[*p] - z0)));
    }
    return 0;
}

}  // namespace

std::string proposedRotationAngle(const PointStore& store,
                                  const std::vector<std::int32_t>& selected) {
    return formatNumber(proposedAngleDegrees(store, selected));
}

std::vector<RotationRow> rotatePoints(const PointStore& store,
                                      const std::vector<std::int32_t>& selected,
                                      double angleDegrees) {
    const double phi = radiansFromDegrees(angleDegrees) - kHalfPi;
    const double cosine = std::cos(phi);
    const double sine = std::sin(phi);
    std::vector<RotationRow> rows;
    for (std::size_t i = 0; i < store.count(); ++i) {
        if (!takesPart(store, selected, i)) continue;
        const double x = store.x()[i], z = store.z()[i];
        rows.push_back({std::string(store.number()[i]), formatNumber(Round4(x * cosine + z * sine)),
                        formatNumber(Round4(store.y()[i])),
                        formatNumber(Round4(-x * sine + z * cosine))});
    }
    return rows;
}

int rollScrollPositionAfterRotation(double angleDegrees) {
    const double wanted = std::trunc(degreesFromRadians(radiansFromDegrees(angleDegrees))) + 270;
    // Held within the range in double, so that no angle overflows the conversion to int.
    const double held = wanted < kViewScrollMinimum   ? kViewScrollMinimum
                        : wanted > kViewScrollMaximum ? kViewScrollMaximum
                                                      : wanted;
    return wrapViewScrollPosition(static_cast<int>(held));
}

}  // namespace korvela
