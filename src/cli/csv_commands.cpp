#include "cli/csv_commands.h"

#include <optional>

#include "cli/option_number.h"
#include "cli/standard_input.h"
#include "cli/survey_commands.h"
#include "common/regular_file.h"
#include "common/safe_file_writer.h"
#include "exchange/csv_points.h"
#include "points/point_store.h"

namespace korvela::cli {
namespace {

constexpr NumberOption kSkipOption{"--skip", "a whole number of lines up to 2^53", isCount};

struct CsvOptions {
    CsvLayout layout;
    std::optional<TextEncoding> encoding;  // guessed from the file when not given
    bool layoutGiven = false;              // --columns or --skip, which only reading takes
};

std::optional<char> separatorArgument(std::string_view text) {
    if (text == "tab") return '\t';
    if (text == "blank") return kBlankSeparator;
    if (text.size() == 1) return text[0];
    return std::nullopt;
}

std::optional<TextEncoding> encodingArgument(std::string_view text) {
    if (text == "utf-8" || text == "utf8") return TextEncoding::Utf8;
    if (text == "cp1251" || text == "windows-1251") return TextEncoding::Cp1251;
    return std::nullopt;
}

// Reads the options from arguments[first] on; on a wrong one says so and returns nothing (a
// wrong number throws UsageError).
std::optional<CsvOptions> parseOptions(const std::vector<std::string>& arguments, std::size_t first,
                                       std::ostream& err) {
    CsvOptions options;
    for (std::size_t i = first; i < arguments.size(); ++i) {
        const std::string& name = arguments[i];
        if (name == "--decimal-comma") {
            options.layout.decimalComma = true;
            continue;
        }
        const bool takesValue = name == "--columns" || name == "--separator" || name == "--skip" ||
                                name == "--encoding";
        if (!takesValue || i + 1 == arguments.size()) {
            err << "korvela-cli: wrong option " << name << '\n';
            return std::nullopt;
        }
        const std::string& value = arguments[++i];
        bool valid = true;
        if (name == "--columns") {
            valid = !columnOrderProblem(value);
            options.layout.columns = value;
            options.layoutGiven = true;
        } else if (name == "--separator") {
            const auto separator = separatorArgument(value);
            valid = separator.has_value();
            if (valid) options.layout.separator = *separator;
        } else if (name == "--skip") {
            options.layout.skipLines = static_cast<std::size_t>(optionNumber(kSkipOption, value));
            options.layoutGiven = true;
        } else {
            options.encoding = encodingArgument(value);
            valid = options.encoding.has_value();
        }
        if (!valid) {
            err << "korvela-cli: wrong value for " << name << ": " << value << '\n';
            if (const auto problem = columnOrderProblem(value); name == "--columns" && problem)
                err << *problem << '\n';
            return std::nullopt;
        }
    }
    return options;
}

// Reads the file in the encoding given, else in the one its bytes suggest.
std::optional<FileError> readCsvInput(const std::string& path,
                                      std::optional<TextEncoding> encoding, CsvLayout& layout,
                                      PointStore& store, CsvReadSummary& summary) {
    RegularFile file;
    if (auto error = file.open(path)) return error;
    if (encoding) {
        layout.encoding = *encoding;
    } else if (auto error = guessFileEncoding(file, layout.encoding)) {
        return error;
    }
    return readCsvPointsFile(file, layout, store, summary);
}

}  // namespace

int runCsvPoints(CommandContext& context) {
    const auto options = parseOptions(context.arguments, 1, context.err);
    if (!options) return kWrongArguments;
    const std::string& argument = context.arguments[0];
    CsvLayout layout = options->layout;
    PointStore store;
    CsvReadSummary summary;
    if (auto error = readCsvInput(context.inputs.path(argument), options->encoding, layout,
                                  store, summary)) {
        error->path = argument;
        context.err << "korvela-cli: " << error->message() << '\n';
        return kFileFailure;
    }
    printPoints(store, context.out);
    if (summary.rowsUnread > 0) context.err << unreadRowsMessage(summary.rowsUnread) << '\n';
    return kSuccess;
}

int runCsv(CommandContext& context) {
    const auto options = parseOptions(context.arguments, 2, context.err);
    if (!options) return kWrongArguments;
    if (options->layoutGiven) {
        context.err << "korvela-cli: --columns and --skip are options of reading (csv-points)\n";
        return kWrongArguments;
    }
    PointStore store;
    if (!importSurvey(context.arguments[0], store, context)) return kFileFailure;
    const CsvWriteOptions writing{options->layout.separator, options->layout.decimalComma,
                                  options->encoding.value_or(TextEncoding::Cp1251)};
    if (const auto error = writeFileSafely(
            context.arguments[1], [&](std::ostream& out) { writeCsvPoints(store, writing, out); },
            PipeWithoutReader::Wait)) {
        context.err << "korvela-cli: " << error->message() << '\n';
        return kFileFailure;
    }
    return kSuccess;
}

}  // namespace korvela::cli
