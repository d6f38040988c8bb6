#include "cli/spreadsheet_commands.h"

#include "cli/standard_input.h"
#include "cli/survey_commands.h"
#include "common/conversion_error.h"
#include "exchange/workbook_reader.h"
#include "exchange/workbook_writer.h"
#include "points/point_store.h"

namespace korvela::cli {
namespace {

// The read pass of the workbook file, or of the standard input for `-`.
std::optional<WorkbookError> readWorkbook(const std::string& path, PointStore& store) {
    if (!isStandardInput(path)) return readWorkbookPointsFile(path, store);
    std::string bytes;
    if (auto error = readStandardInput(bytes)) {
        return WorkbookError{error->operation, path, error->errorNumber, error->reason};
    }
    auto error = readWorkbookPoints(bytes, store);
    if (error) error->path = path;
    return error;
}

}  // namespace

int runWorkbookWrite(CommandContext& context) {
    PointStore store;
    if (!importSurvey(context.arguments[0], store, context.err)) return kFileFailure;
    if (const auto error =
            writeWorkbookPoints(context.arguments[1], store, nullptr, PipeWithoutReader::Wait)) {
        context.err << "korvela-cli: " << error->message() << '\n';
        return kFileFailure;
    }
    return kSuccess;
}

int runWorkbookPoints(CommandContext& context) {
    PointStore store;
    try {
        if (const auto error = readWorkbook(context.arguments[0], store)) {
            context.err << "korvela-cli: " << error->message() << '\n';
            return kFileFailure;
        }
    } catch (const ConversionError& error) {
        context.err << error.what() << '\n';
        return kNotice;
    }
    printPoints(store, context.out);
    return kSuccess;
}

}  // namespace korvela::cli
