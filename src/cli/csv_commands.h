#pragma once

#include "cli/cli_command.h"

namespace korvela::cli {

// "Импорт CSV" of FILE with the options given; prints the points as `points` does.
int runCsvPoints(CommandContext& context);
// Imports SURVEY, then "Export CSV" into OUT.
int runCsv(CommandContext& context);

}  // namespace korvela::cli
