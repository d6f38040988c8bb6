#include "cli/survey_commands.h"

#include <string>

#include "common/number_text.h"
#include "points/point_store.h"

namespace korvela::cli {

bool importSurvey(const std::string& path, PointStore& store, std::ostream& err) {
    if (const auto error = store.loadSurveyFile(path)) {
        err << "korvela-cli: " << error->message() << '\n';
        return false;
    }
    return true;
}

void pointLine(const PointStore& store, std::size_t index, std::string& line) {
    char number[kNumberTextCapacity];
    const auto appendNumber = [&](double value) {
        line += '\t';
        line.append(number, formatNumberInto(value, number));
    };
    line = store.number()[index];
    appendNumber(store.x()[index]);
    appendNumber(store.y()[index]);
    appendNumber(store.z()[index]);
    line += '\t';
    line += std::to_string(store.kind()[index]);
}

void printPoints(const PointStore& store, std::ostream& out) {
    std::string line;
    for (std::size_t i = 0; i < store.count(); ++i) {
        pointLine(store, i, line);
        line += '\n';
        out.write(line.data(), static_cast<std::streamsize>(line.size()));
    }
}

int runPoints(CommandContext& context) {
    PointStore store;
    if (!importSurvey(context.arguments[0], store, context.err)) return kFileFailure;
    printPoints(store, context.out);
    return kSuccess;
}

}  // namespace korvela::cli
