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
#include "common/regular_file.h"

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

// Whether the file begins with the line area files begin with.
bool beginsAsAreaFile(const std::string& path) {
    RegularFile file;
    std::string start(std::string_view(kAreaFileHeader).size(), '\0');
    return !file.open(path) && file.size() >= start.size() && !file.readAt(0, start) &&
           start == kAreaFileHeader;
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
    const std::string& argument = context.arguments[0];
    const std::string path = context.inputs.path(argument);
    // The standard input has no name whose extension could tell what it holds.
    const bool areaFile = isStandardInput(argument) ? beginsAsAreaFile(path) : isAreaFile(argument);
    AreaSheet sheet;
    auto error = areaFile ? openAreaFile(path, sheet) : loadStatementFile(path, sheet);
    if (error) {
        error->path = argument;
        context.err << "korvela-cli: " << error->message() << '\n';
        return kFileFailure;
    }
    return computeAndPrintAreaSheet(sheet, context);
}

}  // namespace korvela::cli
