#include "cli/export_commands.h"

#include "cli/survey_commands.h"
#include "common/conversion_error.h"
#include "common/local_time.h"
#include "common/safe_file_writer.h"
#include "exchange/dxf_writer.h"
#include "exchange/text_listing.h"
#include "points/point_store.h"
#include "points/point_store_grid.h"

namespace korvela::cli {
namespace {

int reportWriteResult(const std::optional<FileError>& error, std::ostream& err) {
    if (!error) return kSuccess;
    err << "korvela-cli: " << error->message() << '\n';
    return kFileFailure;
}

}  // namespace

int runDxf(CommandContext& context) {
    PointStore store;
    if (!importSurvey(context.arguments[0], store, context)) return kFileFailure;
    const PointStoreGrid table(store);
    try {
        return reportWriteResult(writeDxfFile(context.arguments[1], table, kPointTableDxfColumns,
                                              store.kind(), true, nullptr, PipeWithoutReader::Wait),
                                 context.err);
    } catch (const ConversionError& error) {
        context.err << error.what() << '\n';
        return kNotice;
    }
}

int runTxt(CommandContext& context) {
    PointStore store;
    if (!importSurvey(context.arguments[0], store, context)) return kFileFailure;
    const LocalTime now = currentLocalTime();
    return reportWriteResult(
        writeFileSafely(
            context.arguments[1], [&](std::ostream& out) { writeTextListing(store, now, out); },
            PipeWithoutReader::Wait),
        context.err);
}

}  // namespace korvela::cli
