#include "cli/survey_commands.h"

#include <algorithm>
#include <string>
#include <string_view>

#include "cli/standard_input.h"
#include "common/number_text.h"
#include "common/output_buffer.h"
#include "points/point_store.h"
#include "points/survey_reader.h"

namespace korvela::cli {

namespace {

// Room for a point's line besides its number: three values, the kind, tabs and LF.
constexpr std::size_t kPointLineRoom = 3 * (kNumberTextCapacity + 1) + 3;

// Writes NUMBER TAB X TAB Y TAB Z TAB KIND at out (room for the number and kPointLineRoom);
// returns the end.
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

}  // namespace

bool importSurvey(const std::string& argument, PointStore& store, CommandContext& context,
                  ObservationList* observations) {
    auto error = readSurveyFile(context.inputs.path(argument), store, surveyParsingThreads(),
                                nullptr, observations);
    if (!error) return true;
    error->path = argument;
    context.err << "korvela-cli: " << error->message() << '\n';
    return false;
}

void pointLine(const PointStore& store, std::size_t index, std::string& line) {
    line.resize(store.number()[index].size() + kPointLineRoom);
    line.resize(static_cast<std::size_t>(writePointLine(store, index, line.data()) - line.data()));
}

void printPoints(const PointStore& store, std::ostream& out) {
    OutputBuffer buffer(out);
    for (std::size_t i = 0; i < store.count(); ++i) {
        char* const line = buffer.reserve(store.number()[i].size() + kPointLineRoom);
        char* const end = writePointLine(store, i, line);
        *end = '\n';
        buffer.commit(static_cast<std::size_t>(end + 1 - line));
    }
}

int runPoints(CommandContext& context) {
    PointStore store;
    if (!importSurvey(context.arguments[0], store, context)) return kFileFailure;
    printPoints(store, context.out);
    return kSuccess;
}

}  // namespace korvela::cli
