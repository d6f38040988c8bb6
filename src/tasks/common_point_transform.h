#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "tasks/plane_similarity.h"

namespace korvela {

class PointStore;

// "Трансформация по общим точкам": the points selected in the store (frozen ones too) whose
// numbers occur exactly once in a second survey are the common points; a plane similarity
// fitted to them by least squares brings every point of the second survey into the store's
// system, and their residuals show how well they agree.

enum class TransformNotice {
    TooFewCommonPoints,    // fewer than two selected points have a partner
    CommonPointsCoincide,  // the partners lie at one place in the plane
    FirstPointsCoincide,   // the selected points with a partner lie at one place in the plane
    ZeroScale,             // the best similarity shrinks everything to a point (a mirror image)
    NotFinite,             // a parameter, an RMS or a mapped point is not a finite number
};

// The notice's text (UTF-8), shown in the report window instead of a report.
std::string_view transformNoticeText(TransformNotice notice);

// The probability with which a common point is marked as a blunder when the user set none.
inline constexpr double kDefaultBlunderConfidence = 0.99;

// A probability the blunder test can work with: above 0 and below 1.
bool isValidBlunderConfidence(double confidence);

// The caption of the report window (UTF-8).
inline constexpr std::string_view kTransformCaption = "Трансформация по общим точкам";

// How far the mapped second-survey point misses the first-survey point (mapped − first), m.
struct CommonPointResidual {
    std::string number;
    double vx = 0;
    double vy = 0;
    double vz = 0;
    // The point misses the fit of the other common points by more than their residuals allow
    // at the test's probability (see computeCommonPointTransform).
    bool suspect = false;
};

// A point of the second survey in the first system (rounded with Round4), kind as read.
struct TransformedPoint {
    std::string number;
    double x = 0;
    double y = 0;
    double z = 0;
    std::int32_t kind = 0;
};

// Which catalogue has no heights at its common points (every Z there is 0): then heights are
// not transformed, and every point keeps the height it came with.
enum class MissingHeights { None, First, Second };

// The report's line for heights that were not transformed (UTF-8).
std::string_view missingHeightsText(MissingHeights missing);

struct TransformOutcome {
    std::optional<TransformNotice> notice;  // set when nothing is to be appended
    std::vector<std::string> unpaired;      // selected numbers without exactly one partner
    PlaneSimilarity map;
    MissingHeights missingHeights = MissingHeights::None;  // then map.shiftZ is 0, vz and heightRms too
    std::vector<CommonPointResidual> residuals;  // per common point, in store order
    double planeRms = 0;                         // sqrt(mean(vX² + vY²))
    double heightRms = 0;                        // sqrt(mean(vZ²))
    double unitError = 0;   // m0 = sqrt(Σ(vX² + vY²) / (2n − 4)), with three or more points
    double confidence = 0;  // the blunder test's probability
    std::vector<TransformedPoint> points;  // every point of the second survey, in order
};

// Computes the transformation without changing anything. With four or more common points
// each is tested against the fit of the n′ others: it is suspect when its miss d under that
// fit (in the plane) satisfies d² > 2·(1 + q)·m0′²·F(2, 2n′ − 4) at probability
// `confidence`, where m0′² = Σ(vX² + vY²)/(2n′ − 4) of the others' fit and q = 1/n′ + r²/Σr′²
// (r the point's, r′ the others' distances from the others' centroid in the second survey),
// and d is not negligible (it would show as more than 0.0 mm).
TransformOutcome computeCommonPointTransform(const PointStore& store,
                                             const std::vector<std::int32_t>& selected,
                                             const PointStore& second, double confidence);

// The report window's text (Windows-1251, CR LF): the notice, or the number of common
// points, the shifts, rotation and scale, the residuals in millimetres with "!" on the
// suspect ones, the RMS, m0 and the blunder test's rule; then the selected points left out
// for want of a partner.
std::string transformReport(const TransformOutcome& outcome);

// The transformed points as the store appends them: green, their kind as read.
PointStore transformedPoints(std::vector<TransformedPoint> points);

}  // namespace korvela
