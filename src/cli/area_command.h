#pragma once

#include "cli/cli_command.h"

namespace korvela {
class AreaSheet;
}

namespace korvela::cli {

// "Вычислить", then every row of the area sheet as its 7 cell texts joined by TAB and the
// result text; a sheet that cannot be computed gives the message and the notice status.
int computeAndPrintAreaSheet(AreaSheet& sheet, CommandContext& context);

// area FILE: opens a .tdp file (any case) or reads any other file as a coordinate
// statement, computes, and prints the sheet.
int runArea(CommandContext& context);

}  // namespace korvela::cli
