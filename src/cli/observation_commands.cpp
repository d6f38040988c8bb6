#include "cli/observation_commands.h"

#include <string>
#include <string_view>

#include "cli/survey_commands.h"
#include "common/number_text.h"
#include "common/output_buffer.h"
#include "points/observations.h"
#include "points/point_store.h"

namespace korvela::cli {
namespace {

constexpr double kMetresPerFoot = 0.3048;

std::string_view faceText(SightKind kind) {
    switch (kind) {
        case SightKind::FaceLeft: return "F1";
        case SightKind::FaceRight: return "F2";
        case SightKind::Mean: return "MD";
        case SightKind::Corrected: return "MC";
        case SightKind::Backsight: return "BS";
        case SightKind::Reduced: return "RED";
    }
    return {};
}

// For RED the horizontal distance stands in the SD column.
double distanceOf(const Sight& sight) {
    return sight.kind == SightKind::Reduced ? reducedHorizontalDistance(sight)
                                            : slopeDistance(sight);
}

void appendValue(std::string& line, double value) {
    line += '\t';
    if (recorded(value)) line += formatShortestNumber(value);
}

}  // namespace

void printObservations(const ObservationList& observations, std::ostream& out) {
    const double metres = observations.distanceUnit == DistanceUnit::Feet ? kMetresPerFoot : 1;
    OutputBuffer buffer(out);
    std::string line;
    for (const Sight& sight : observations.sights) {
        line.assign(observations.stationOf(sight));
        line += '\t';
        line += observations.targetOf(sight);
        line += '\t';
        line += faceText(sight.kind);
        appendValue(line, horizontalReading(sight));
        appendValue(line, verticalReading(sight));
        appendValue(line, distanceOf(sight) * metres);
        appendValue(line, observations.setUps[sight.setUp].instrumentHeight * metres);
        appendValue(line, sight.targetHeight * metres);
        appendValue(line, azimuth(sight));
        line += '\n';
        buffer.append(line);
    }
}

int runObservations(CommandContext& context) {
    PointStore store;
    ObservationList observations;
    if (!importSurvey(context.arguments[0], store, context, &observations)) return kFileFailure;
    printObservations(observations, context.out);
    return kSuccess;
}

}  // namespace korvela::cli
