#include "cli/survey_commands.h"

#include <unistd.h>

#include <cerrno>
#include <optional>
#include <string>
#include <string_view>

#include "common/number_text.h"
#include "common/output_buffer.h"
#include "points/point_store.h"
#include "points/survey_reader.h"

namespace korvela::cli {

namespace {

constexpr std::string_view kStandardStream = "-";

// All of standard input; the system's error number when it cannot be read.
int readStandardInput(std::string& bytes) {
    char block[1 << 16];
    while (true) {
        const ssize_t count = ::read(STDIN_FILENO, block, sizeof block);
        if (count < 0 && errno == EINTR) continue;
        if (count < 0) return errno;
        if (count == 0) return 0;
        bytes.append(block, static_cast<std::size_t>(count));
    }
}

}  // namespace

bool importSurvey(const std::string& path, PointStore& store, std::ostream& err) {
    std::optional<FileError> error;
    if (path == kStandardStream) {
        std::string bytes;
        if (const int errorNumber = readStandardInput(bytes)) {
            error = FileError{FileError::Operation::Read, path, errorNumber};
        } else {
            readSurvey(bytes, store);
        }
    } else {
        error = store.loadSurveyFile(path);
    }
    if (error) {
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
    line += static_cast<char>('0' + store.kind()[index]);  // kind is 0, 1 or 2
}

void printPoints(const PointStore& store, std::ostream& out) {
    OutputBuffer buffer(out);
    std::string line;
    for (std::size_t i = 0; i < store.count(); ++i) {
        pointLine(store, i, line);
        line += '\n';
        buffer.append(line);
    }
}

int runPoints(CommandContext& context) {
    PointStore store;
    if (!importSurvey(context.arguments[0], store, context.err)) return kFileFailure;
    printPoints(store, context.out);
    return kSuccess;
}

}  // namespace korvela::cli
