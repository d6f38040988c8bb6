#include "cli/spreadsheet_commands.h"

#include "cli/standard_input.h"
#include "cli/survey_commands.h"
#include "common/conversion_error.h"
#include "exchange/workbook_reader.h"
#include "exchange/workbook_writer.h"
#include "points/point_store.h"

namespace korvela::cli {
namespace {

// The read pass of the workbook file, or of the standard input for `-`; the errors name the
// argument.
std::optional<WorkbookError> readWorkbook(const std::string& argument, InputFiles& inputs,
                                          PointStore& store) {
    auto error = readWorkbookPointsFile(inputs.path(argument), store);
    if (error) error->path = argument;
    return error;
}

}  // namespace

int runWorkbookWrite(CommandContext& context) {
    PointStore store;
    if (!importSurvey(context.arguments[0], store, context)) return kFileFailure;
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
        if (const auto error = readWorkbook(context.arguments[0], context.inputs, store)) {
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
