#pragma once

#include "cli/cli_command.h"

namespace korvela::cli {

// dxf SURVEY OUT: "Export AutoCad" of the freshly filled point table.
int runDxf(CommandContext& context);

// txt SURVEY OUT: "Export txt", with the time KORVELA_NOW stands for when it is set.
int runTxt(CommandContext& context);

}  // namespace korvela::cli
