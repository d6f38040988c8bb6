#include "cli/task_commands.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "area/area_hand_over.h"
#include "area/area_sheet.h"
#include "cli/area_command.h"
#include "cli/option_number.h"
#include "cli/point_selection.h"
#include "cli/survey_commands.h"
#include "common/conversion_error.h"
#include "common/number_parse.h"
#include "points/point_store.h"
#include "points/workspace.h"
#include "tasks/common_point_transform.h"
#include "tasks/measurement_reports.h"
#include "tasks/rotation.h"
#include "tasks/survey_join.h"

namespace korvela::cli {
namespace {

constexpr std::string_view kProposedAngleWord = "proposed";
constexpr std::size_t kJoinArguments = 8;             // SURVEY S1 S2 S3 SECOND T1 T2 T3
constexpr std::size_t kFewestTransformArguments = 3;  // FIRST NUMBER SECOND

void writeBytes(std::ostream& out, std::string_view bytes) {
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::vector<std::string> argumentsFrom(const CommandContext& context, std::size_t first) {
    return {context.arguments.begin() + static_cast<std::ptrdiff_t>(first),
            context.arguments.end()};
}

// Imports the survey and selects the points named by the arguments from `first` on; runs the
// report on them and prints it.
// A report that cannot be made for the selection gives its message and the notice status.
std::optional<std::string> anySelection(const std::vector<std::int32_t>&) { return std::nullopt; }

template <typename Report, typename Refusal = decltype(&anySelection)>
int printSelectionReport(CommandContext& context, Report report, Refusal refusal = &anySelection) {
    PointStore store;
    if (!importSurvey(context.arguments[0], store, context)) return kFileFailure;
    const std::vector<std::int32_t> selected = selectByNumbers(store, argumentsFrom(context, 1));
    if (const auto message = refusal(selected)) {
        context.err << *message << '\n';
        return kNotice;
    }
    writeBytes(context.out, report(store, selected));
    return kSuccess;
}

constexpr NumberOption kJoinLimitOption{"--limit", "a number of metres above 0", isValidJoinLimit};
constexpr NumberOption kConfidenceOption{"--confidence", "a probability above 0 and below 1",
                                         isValidBlunderConfidence};

// The arguments before a number option given last as NAME VALUE, and into `value` the option's
// value, or the fallback without it. Throws UsageError when the arguments are not as many as
// the command takes.
std::vector<std::string> argumentsBefore(const NumberOption& option, double fallback, double& value,
                                         const CommandContext& context, std::size_t fewest,
                                         std::size_t most) {
    std::vector<std::string> arguments = context.arguments;
    value = fallback;
    if (arguments.size() >= 2 && arguments[arguments.size() - 2] == option.name) {
        value = optionNumber(option, arguments.back());
        arguments.resize(arguments.size() - 2);
    }
    if (arguments.size() < fewest || arguments.size() > most) {
        throw UsageError("wrong arguments (" + std::string(option.name) + " comes last)");
    }
    return arguments;
}

void printRotationRows(const std::vector<RotationRow>& rows, std::ostream& out) {
    std::string line;
    for (const RotationRow& row : rows) {
        line = row.number;
        for (const std::string* cell : {&row.x, &row.y, &row.z}) {
            line += '\t';
            line += *cell;
        }
        line += '\n';
        writeBytes(out, line);
    }
}

}  // namespace

int runLength(CommandContext& context) {
    return printSelectionReport(context, lengthReport, lengthReportRefusal);
}

int runAngles(CommandContext& context) {
    return printSelectionReport(context, interiorAnglesReport);
}

int runDirection(CommandContext& context) {
    PointStore store;
    if (!importSurvey(context.arguments[0], store, context)) return kFileFailure;
    writeBytes(context.out, directionalAngleReport(store, pointNumberArgument(context.arguments[1]),
                                                   pointNumberArgument(context.arguments[2])));
    return kSuccess;
}

int runRotate(CommandContext& context) {
    PointStore store;
    if (!importSurvey(context.arguments[0], store, context)) return kFileFailure;
    const std::vector<std::int32_t> selected = selectByNumbers(store, argumentsFrom(context, 2));
    const std::string proposal = proposedRotationAngle(store, selected);
    // The angle is read from the dialog's field, which holds the proposal unless retyped.
    const std::string& angleText =
        context.arguments[1] == kProposedAngleWord ? proposal : context.arguments[1];
    double angle = 0;
    try {
        angle = toDoubleStrict(angleText);
    } catch (const ConversionError& error) {
        context.err << error.what() << '\n';
        return kNotice;
    }
    context.out << kProposedAngleWord << '\t' << proposal << '\n';
    printRotationRows(rotatePoints(store, selected, angle), context.out);
    return kSuccess;
}

int runJoin(CommandContext& context) {
    double limit = 0;
    const std::vector<std::string> arguments = argumentsBefore(
        kJoinLimitOption, kDefaultJoinLimit, limit, context, kJoinArguments, kJoinArguments);
    PointStore store;
    if (!importSurvey(arguments[0], store, context)) return kFileFailure;
    std::vector<std::int32_t> selected =
        selectByNumbers(store, {arguments[1], arguments[2], arguments[3]});
    // Without three base points the command ends before the second survey is asked for.
    if (!joinBasePoints(selected)) {
        context.err << joinNoticeText(JoinNotice::WrongBasePoints) << '\n';
        return kNotice;
    }
    PointStore second;
    if (!importSurvey(arguments[4], second, context)) return kFileFailure;
    const std::array<std::string, 3> baseNumbers = {pointNumberArgument(arguments[5]),
                                                    pointNumberArgument(arguments[6]),
                                                    pointNumberArgument(arguments[7])};
    JoinOutcome outcome = computeJoin(store, selected, second, baseNumbers, limit);
    if (outcome.notice || outcome.departure) {
        context.err << (outcome.notice ? std::string(joinNoticeText(*outcome.notice))
                                       : joinDepartureText(*outcome.departure))
                    << '\n';
        return kNotice;
    }
    Workspace points;
    points.replace(std::move(store), std::move(selected), arguments[0]);
    points.append(joinedPoints(std::move(outcome.points)));
    printPoints(points.store(), context.out);
    return kSuccess;
}

// FIRST NUMBER... SECOND: the selected points are the candidates for common points.
int runTransform(CommandContext& context) {
    double confidence = 0;
    const std::vector<std::string> arguments =
        argumentsBefore(kConfidenceOption, kDefaultBlunderConfidence, confidence, context,
                        kFewestTransformArguments, SIZE_MAX);
    PointStore store;
    if (!importSurvey(arguments.front(), store, context)) return kFileFailure;
    const std::vector<std::int32_t> selected =
        selectByNumbers(store, {arguments.begin() + 1, arguments.end() - 1});
    PointStore second;
    if (!importSurvey(arguments.back(), second, context)) return kFileFailure;
    TransformOutcome outcome = computeCommonPointTransform(store, selected, second, confidence);
    if (outcome.notice) {
        context.err << transformNoticeText(*outcome.notice) << '\n';
        return kNotice;
    }
    writeBytes(context.out, transformReport(outcome));
    printPoints(transformedPoints(std::move(outcome.points)), context.out);
    return kSuccess;
}

// "Площадь" hands the selected points to the area window, whose "Вычислить" computes them.
int runParcel(CommandContext& context) {
    PointStore store;
    if (!importSurvey(context.arguments[0], store, context)) return kFileFailure;
    const std::vector<std::int32_t> selected = selectByNumbers(store, argumentsFrom(context, 1));
    AreaSheet sheet = areaHandOverSheet(store, selected);
    return computeAndPrintAreaSheet(sheet, context);
}

}  // namespace korvela::cli
