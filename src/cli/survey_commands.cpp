#include "cli/survey_commands.h"

#include <algorithm>
#include <array>
#include <string>
#include <string_view>

#include "cli/standard_input.h"
#include "common/number_text.h"
#include "points/point_store.h"
#include "points/survey_reader.h"

namespace korvela::cli {

namespace {

// Room for a point's line besides its number: three values, the kind and tabs.
constexpr std::size_t kPointLineRoom = 3 * (kNumberTextCapacity + 1) + 2;

}  // namespace

std::size_t pointLineRoom(const PointStore& store, std::size_t index) {
    return store.number()[index].size() + kPointLineRoom;
}

char* writePointLine(const PointStore& store, std::size_t index, char* out) {
    const std::string_view number = store.number()[index];
    out = std::copy(number.begin(), number.end(), out);
    for (const double value : {store.x()[index], store.y()[index], store.z()[index]}) {
        *out++ = '\t';
        out += formatNumberInto(value, out);
    }
    *out++ = '\t';
    *out++ = static_cast<char>('0' + store.kind()[index]);  // kind is 0, 1 or 2
    return out;
}

bool importSurvey(const std::string& argument, PointStore& store, CommandContext& context,
                  ObservationList* observations) {
    auto error = readSurveyFile(context.inputs.path(argument), store, surveyParsingThreads(),
                                nullptr, observations);
    if (!error) return true;
    error->path = argument;
    context.err << "korvela-cli: " << error->message() << '\n';
    return false;
}

void printPoints(const PointStore& store, std::ostream& out) {
    printPointLines(store, out, [](std::size_t) { return std::array<std::int32_t, 0>{}; });
}

int runPoints(CommandContext& context) {
    PointStore store;
    if (!importSurvey(context.arguments[0], store, context)) return kFileFailure;
    printPoints(store, context.out);
    return kSuccess;
}

}  // namespace korvela::cli
