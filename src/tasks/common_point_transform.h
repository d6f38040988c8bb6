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
};

// The notice's text (UTF-8), shown in the report window instead of a report.
std::string_view transformNoticeText(TransformNotice notice);

// The caption of the report window (UTF-8).
inline constexpr std::string_view kTransformCaption = "Трансформация по общим точкам";

// How far the mapped second-survey point misses the first-survey point (mapped − first), m.
struct CommonPointResidual {
    std::string number;
    double vx = 0;
    double vy = 0;
    double vz = 0;
    bool suspect = false;  // plane residual over three times the plane RMS
};

// A point of the second survey in the first system (rounded with Round4), kind as read.
struct TransformedPoint {
    std::string number;
    double x = 0;
    double y = 0;
    double z = 0;
    std::int32_t kind = 0;
};

struct TransformOutcome {
    std::optional<TransformNotice> notice;  // set when nothing is to be appended
    std::vector<std::string> unpaired;      // selected numbers without exactly one partner
    PlaneSimilarity map;
    std::vector<CommonPointResidual> residuals;  // per common point, in store order
    double planeRms = 0;                         // sqrt(mean(vX² + vY²))
    double heightRms = 0;                        // sqrt(mean(vZ²))
    std::vector<TransformedPoint> points;        // every point of the second survey, in order
};

// Computes the transformation without changing anything.
TransformOutcome computeCommonPointTransform(const PointStore& store,
                                             const std::vector<std::int32_t>& selected,
                                             const PointStore& second);

// The report window's text (Windows-1251, CR LF): the notice, or the number of common
// points, the shifts, rotation and scale, the residuals in millimetres with "!" on the
// suspect ones, the RMS; then the selected points left out for want of a partner.
std::string transformReport(const TransformOutcome& outcome);

// The transformed points as the store appends them: green, their kind as read.
PointStore transformedPoints(std::vector<TransformedPoint> points);

}  // namespace korvela
