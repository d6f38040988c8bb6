#include "cli/cogo_commands.h"

#include <map>
#include <set>
#include <string>
#include <vector>

#include "cli/point_selection.h"
#include "cli/survey_commands.h"
#include "common/angle_parse.h"
#include "common/number_parse.h"
#include "points/point_store.h"
#include "tasks/daily_computations.h"

namespace korvela::cli {
namespace {

// The words before the options, and each option's value.
struct Arguments {
    std::vector<std::string> words;
    std::map<std::string, std::string> options;

    bool has(const std::string& name) const { return options.contains(name); }
    std::string name() const { return has("--name") ? pointNumberArgument(options.at("--name")) : ""; }
};

// Options are NAME VALUE pairs anywhere after the survey; each command takes its own.
Arguments splitArguments(const CommandContext& context, const std::set<std::string>& known) {
    Arguments split;
    const std::vector<std::string>& all = context.arguments;
    for (std::size_t i = 0; i < all.size(); ++i) {
        if (!all[i].starts_with("--")) {
            split.words.push_back(all[i]);
            continue;
        }
        if (!known.contains(all[i])) throw UsageError("wrong option " + all[i]);
        if (i + 1 == all.size()) throw UsageError("no value for " + all[i]);
        split.options[all[i]] = all[i + 1];
        ++i;
    }
    return split;
}

void requireWords(const Arguments& arguments, std::size_t fewest, bool pairs) {
    const std::size_t n = arguments.words.size();
    if (n < fewest || (pairs && (n - 1) % 2 != 0))
        throw UsageError("wrong arguments");
}

double angleArgument(const std::string& text) {
    const auto value = parseAngle(text);
    if (!value) throw UsageError("wrong angle: " + text);
    return *value;
}

double numberArgument(const std::string& text) {
    double value = 0;
    if (!parseWholeNumber(text, value)) throw UsageError("wrong number: " + text);
    return value;
}

double numberOption(const Arguments& arguments, const std::string& name) {
    return arguments.has(name) ? numberArgument(arguments.options.at(name)) : 0;
}

// NUMBER VALUE pairs from the word `first` on.
template <typename Read>
std::vector<SightValue> pairs(const Arguments& arguments, std::size_t first, Read read) {
    std::vector<SightValue> values;
    for (std::size_t i = first; i + 1 < arguments.words.size(); i += 2)
        values.push_back({pointNumberArgument(arguments.words[i]), read(arguments.words[i + 1])});
    return values;
}

template <typename Task>
int printOutcome(CommandContext& context, const std::string& survey, Task task) {
    PointStore store;
    if (!importSurvey(survey, store, context)) return kFileFailure;
    const CogoOutcome outcome = task(store);
    if (outcome.refusal) {
        context.err << outcome.refusal->text << '\n';
        return kNotice;
    }
    context.out.write(outcome.report.data(), static_cast<std::streamsize>(outcome.report.size()));
    printPoints(outcome.points, context.out);
    return kSuccess;
}

}  // namespace

int runInverse(CommandContext& context) {
    const InverseRequest request{pointNumberArgument(context.arguments[1]),
                                 pointNumberArgument(context.arguments[2])};
    return printOutcome(context, context.arguments[0], [&](const PointStore& store) {
        return computeInverse(store, request, {});
    });
}

int runPolar(CommandContext& context) {
    const Arguments arguments = splitArguments(context, {"--zenith", "--ih", "--th", "--name"});
    if (arguments.words.size() != 6) throw UsageError("wrong arguments");
    const auto& w = arguments.words;
    PolarRequest request{pointNumberArgument(w[1]),
                         {{pointNumberArgument(w[2]), angleArgument(w[3])}},
                         angleArgument(w[4]),
                         numberArgument(w[5]),
                         std::nullopt,
                         numberOption(arguments, "--ih"),
                         numberOption(arguments, "--th"),
                         arguments.name()};
    if (arguments.has("--zenith")) request.zenith = angleArgument(arguments.options.at("--zenith"));
    return printOutcome(context, w[0], [&](const PointStore& store) {
        return computePolar(store, request, {});
    });
}

int runIntersection(CommandContext& context) {
    const Arguments arguments = splitArguments(context, {"--name"});
    requireWords(arguments, 5, true);
    const IntersectionRequest request{pairs(arguments, 1, angleArgument), std::nullopt,
                                      arguments.name()};
    return printOutcome(context, arguments.words[0], [&](const PointStore& store) {
        return computeIntersection(store, request, {});
    });
}

int runDistanceIntersection(CommandContext& context) {
    const Arguments arguments = splitArguments(context, {"--side", "--name"});
    if (arguments.words.size() != 5) throw UsageError("wrong arguments");
    const auto side = arguments.has("--side") ? arguments.options.at("--side") : "";
    if (side != "left" && side != "right") throw UsageError("--side left or --side right");
    const DistanceIntersectionRequest request{pairs(arguments, 1, numberArgument),
                                              side == "right" ? LineSide::Right : LineSide::Left,
                                              arguments.name()};
    return printOutcome(context, arguments.words[0], [&](const PointStore& store) {
        return computeDistanceIntersection(store, request, {});
    });
}

int runResection(CommandContext& context) {
    const Arguments arguments = splitArguments(context, {"--name"});
    requireWords(arguments, 7, true);
    const ResectionRequest request{pairs(arguments, 1, angleArgument), arguments.name()};
    return printOutcome(context, arguments.words[0], [&](const PointStore& store) {
        return computeResection(store, request, {});
    });
}

int runStakeout(CommandContext& context) {
    const Arguments arguments = splitArguments(context, {"--ih", "--th"});
    requireWords(arguments, 4, false);
    const auto& w = arguments.words;
    StakeoutRequest request{pointNumberArgument(w[1]), pointNumberArgument(w[2]), {},
                            numberOption(arguments, "--ih"), numberOption(arguments, "--th")};
    for (std::size_t i = 3; i < w.size(); ++i) request.points.push_back(pointNumberArgument(w[i]));
    return printOutcome(context, w[0], [&](const PointStore& store) {
        return computeStakeout(store, request, {});
    });
}

}  // namespace korvela::cli
