#pragma once

#include "cli/cli_command.h"

namespace korvela {
class AreaSheet;
}

namespace korvela::cli {

// Every row of the area sheet as its 7 cell texts joined by TAB, then the result text.
void printAreaSheet(const AreaSheet& sheet, std::ostream& out);

// area FILE: opens a .tdp file (any case) or reads any other file as a coordinate
// statement, computes, and prints the sheet.
int runArea(CommandContext& context);

}  // namespace korvela::cli
