#include "cli/area_command.h"

#include <algorithm>
#include <cctype>
#include <optional>
#include <string>
#include <string_view>

#include "area/area_computation.h"
#include "area/area_files.h"
#include "area/area_sheet.h"
#include "cli/standard_input.h"

namespace korvela::cli {
namespace {

bool isAreaFile(const std::string& path) {
    constexpr std::string_view kExtension = ".tdp";
    if (path.size() < kExtension.size()) return false;
    return std::equal(kExtension.begin(), kExtension.end(), path.end() - kExtension.size(),
                      [](char wanted, char got) {
                          return wanted == std::tolower(static_cast<unsigned char>(got));
                      });
}

void printAreaSheet(const AreaSheet& sheet, std::ostream& out) {
    std::string line;
    for (int row = 0; row < sheet.rowCount(); ++row) {
        line.clear();
        for (int column = 0; column < AreaSheet::ColumnCount; ++column) {
            if (column > 0) line += '\t';
            line += sheet.cell(row, column);
        }
        line += '\n';
        out.write(line.data(), static_cast<std::streamsize>(line.size()));
    }
    out << sheet.result() << '\n';
}

// The standard input is read as an area file when it begins as one, otherwise as a statement:
// it has no name whose extension could tell.
std::optional<FileError> readStandardInputSheet(const std::string& argument, AreaSheet& sheet) {
    std::string bytes;
    if (auto error = readStandardInput(bytes)) return error;
    auto refusal = std::string_view(bytes).starts_with(kAreaFileHeader)
                       ? readAreaFile(bytes, sheet)
                       : readStatement(bytes, sheet);
    if (!refusal) return std::nullopt;
    return FileError(FileError::Operation::Read, argument, 0, std::move(*refusal));
}

}  // namespace

int computeAndPrintAreaSheet(AreaSheet& sheet, CommandContext& context) {
    if (!computeArea(sheet)) {
        context.err << kAreaComputationFailedMessage << '\n';
        return kNotice;
    }
    printAreaSheet(sheet, context.out);
    return kSuccess;
}

int runArea(CommandContext& context) {
    const std::string& path = context.arguments[0];
    AreaSheet sheet;
    const auto error = isStandardInput(path) ? readStandardInputSheet(path, sheet)
                       : isAreaFile(path)    ? openAreaFile(path, sheet)
                                             : loadStatementFile(path, sheet);
    if (error) {
        context.err << "korvela-cli: " << error->message() << '\n';
        return kFileFailure;
    }
    return computeAndPrintAreaSheet(sheet, context);
}

}  // namespace korvela::cli
