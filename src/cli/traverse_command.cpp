#include "cli/traverse_command.h"

#include <cstdint>
#include <map>
#include <string>
#include <variant>
#include <vector>

#include "cli/option_number.h"
#include "cli/point_selection.h"
#include "cli/survey_commands.h"
#include "points/observations.h"
#include "points/point_store.h"
#include "tasks/traverse.h"

namespace korvela::cli {
namespace {

bool isPositive(double value) { return value > 0; }
bool isNotNegative(double value) { return value >= 0; }
bool isRefraction(double value) { return value >= 0 && value < 1; }

// The number options and the setting each sets.
struct SettingOption {
    NumberOption option;
    double TraverseSettings::*setting;
};
const SettingOption kSettingOptions[] = {
    {{"--angular-limit", "seconds above 0", isPositive}, &TraverseSettings::angularLimitSeconds},
    {{"--relative-limit", "a number above 0", isPositive}, &TraverseSettings::relativeLimit},
    {{"--height-limit", "centimetres above 0", isPositive},
     &TraverseSettings::heightLimitCentimetres},
    {{"--refraction", "a number from 0 to below 1", isRefraction}, &TraverseSettings::refraction},
    {{"--sigma-direction", "seconds above 0", isPositive},
     &TraverseSettings::sigmaDirectionSeconds},
};
constexpr NumberOption kSigmaMillimetres{"--sigma-distance", "MM,PPM: millimetres above 0",
                                         isPositive};
constexpr NumberOption kSigmaPpm{"--sigma-distance", "MM,PPM: ppm from 0", isNotNegative};

struct TraverseArguments {
    std::string survey;
    TraverseRequest request;
    bool points = false;
    bool accept = false;
};

void setSigmaDistance(const std::string& value, TraverseSettings& settings) {
    const std::size_t comma = value.find(',');
    if (comma == std::string::npos) throw UsageError("wrong value for --sigma-distance: " + value);
    settings.sigmaDistanceMillimetres = optionNumber(kSigmaMillimetres, value.substr(0, comma));
    settings.sigmaDistancePpm = optionNumber(kSigmaPpm, value.substr(comma + 1));
}

// Reads the option at `i` (and its value), advancing `i` past what it took; false when the
// word is no option.
bool takeOption(const std::vector<std::string>& words, std::size_t& i, TraverseArguments& a) {
    const std::string& word = words[i];
    if (!word.starts_with("--")) return false;
    if (word == "--closed" || word == "--hanging") {
        if (a.request.shape != TraverseShape::Link)
            throw UsageError("--closed and --hanging exclude each other");
        a.request.shape = word == "--closed" ? TraverseShape::Closed : TraverseShape::Hanging;
        return true;
    }
    if (word == "--points" || word == "--accept") {
        (word == "--points" ? a.points : a.accept) = true;
        return true;
    }
    if (i + 1 >= words.size()) throw UsageError(word + " needs a value");
    const std::string& value = words[++i];
    if (word == "--start-sight" || word == "--end-sight") {
        (word == "--start-sight" ? a.request.startSights : a.request.endSights)
            .push_back(pointNumberArgument(value));
    } else if (word == "--method") {
        if (value != "proportional" && value != "lsq")
            throw UsageError("wrong value for --method: " + value + " (proportional or lsq)");
        a.request.method =
            value == "lsq" ? TraverseMethod::LeastSquares : TraverseMethod::Proportional;
    } else if (word == "--sigma-distance") {
        setSigmaDistance(value, a.request.settings);
    } else {
        for (const SettingOption& o : kSettingOptions) {
            if (word != o.option.name) continue;
            a.request.settings.*o.setting = optionNumber(o.option, value);
            return true;
        }
        throw UsageError("wrong option " + word);
    }
    return true;
}

TraverseArguments readArguments(const std::vector<std::string>& words) {
    TraverseArguments a;
    a.survey = words[0];
    for (std::size_t i = 1; i < words.size(); ++i) {
        if (!takeOption(words, i, a)) a.request.stations.push_back(pointNumberArgument(words[i]));
    }
    if (a.request.stations.empty()) throw UsageError("wrong arguments: no STATION");
    return a;
}

void writeBytes(std::ostream& out, const std::string& bytes) {
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// The path's stations (adjusted where the computation writes them) and the recomputed points.
PointStore pathPoints(const PointStore& store, const TraverseRequest& request,
                      const TraverseResult& result) {
    std::map<std::string, const AdjustedPoint*> written;
    for (const AdjustedPoint& p : result.stations) written[p.number] = &p;
    PointStore points;
    for (const std::string& number : request.stations) {
        if (const auto found = written.find(number); found != written.end()) {
            const AdjustedPoint& p = *found->second;
            points.append(number, p.x, p.y, p.z, kColourAqua, kKindStation);
            continue;
        }
        for (std::size_t i = 0; i < store.count(); ++i) {
            if (store.number()[i] != number) continue;
            points.append(number, store.x()[i], store.y()[i], store.z()[i], kColourAqua,
                          store.kind()[i]);
            break;
        }
    }
    for (const AdjustedPoint& p : result.recomputed)
        points.append(p.number, p.x, p.y, p.z, kColourAqua, store.kind()[p.point]);
    return points;
}

}  // namespace

int runTraverse(CommandContext& context) {
    const TraverseArguments arguments = readArguments(context.arguments);
    PointStore store;
    ObservationList observations;
    if (!importSurvey(arguments.survey, store, context, &observations)) return kFileFailure;
    const auto outcome = computeTraverse(store, observations, arguments.request);
    if (const auto* refusal = std::get_if<TraverseRefusal>(&outcome)) {
        context.err << refusal->message << '\n';
        return kNotice;
    }
    const TraverseResult& result = std::get<TraverseResult>(outcome);
    if (!arguments.points) {
        writeBytes(context.out, result.sheet);
        writeBytes(context.out, result.accuracySheet);
        return kSuccess;
    }
    if (!result.withinLimits && !arguments.accept) {
        context.err << "Невязки хода превышают допуск: координаты не записаны (--accept "
                       "записывает их всё равно).\n";
        return kNotice;
    }
    printPoints(pathPoints(store, arguments.request, result), context.out);
    return kSuccess;
}

}  // namespace korvela::cli
