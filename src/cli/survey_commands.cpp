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

void printPoints(const PointStore& store, std::ostream& out) {
    std::string line;
    char number[kNumberTextCapacity];
    const auto appendNumber = [&](double value) {
        line += '\t';
        line.append(number, formatNumberInto(value, number));
    };
    for (std::size_t i = 0; i < store.count(); ++i) {
        line = store.number()[i];
        appendNumber(store.x()[i]);
        appendNumber(store.y()[i]);
        appendNumber(store.z()[i]);
        line += '\t';
        line += std::to_string(store.kind()[i]);
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
