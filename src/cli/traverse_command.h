#pragma once

#include "cli/cli_command.h"

namespace korvela::cli {

// traverse SURVEY STATION... [options]: "Расчитать элементы хода" over the path, with the
// default limits unless the options give others (the settings file is never read).
int runTraverse(CommandContext& context);

}  // namespace korvela::cli
