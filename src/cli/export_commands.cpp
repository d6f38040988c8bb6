#include "cli/export_commands.h"

#include "cli/survey_commands.h"
#include "common/conversion_error.h"
#include "common/local_time.h"
#include "common/safe_file_writer.h"
#include "exchange/code_table.h"
#include "exchange/dxf_code_layers.h"
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

struct DxfOptions {
    bool layersByCode = false;
    std::optional<std::string> codeTable;
};

DxfOptions dxfOptions(const std::vector<std::string>& arguments) {
    DxfOptions options;
    for (std::size_t i = 2; i < arguments.size(); ++i) {
        if (arguments[i] == "--layers-by-code") {
            options.layersByCode = true;
        } else if (arguments[i] == "--codes" && i + 1 < arguments.size()) {
            options.codeTable = arguments[++i];
        } else {
            throw UsageError("unknown option or missing value: " + arguments[i]);
        }
    }
    if (options.codeTable && !options.layersByCode)
        throw UsageError("--codes goes with --layers-by-code");
    return options;
}

}  // namespace

int runDxf(CommandContext& context) {
    const DxfOptions options = dxfOptions(context.arguments);
    // Without a table every code is a layer of its own and nothing is joined.
    CodeTable codes;
    if (options.codeTable) {
        if (auto error = readCodeTableFile(*options.codeTable, codes)) {
            return reportWriteResult(error, context.err);
        }
    }
    PointStore store;
    if (!importSurvey(context.arguments[0], store, context)) return kFileFailure;
    const PointStoreGrid table(store);
    std::optional<DxfCodeLayers> layers;
    if (options.layersByCode) layers = dxfCodeLayers(store.code(), codes, dxfOwnLayers());
    try {
        return reportWriteResult(
            writeDxfFile(context.arguments[1], table, kPointTableDxfColumns, store.kind(), true,
                         nullptr, PipeWithoutReader::Wait, layers ? &*layers : nullptr),
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
