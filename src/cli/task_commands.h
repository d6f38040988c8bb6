#pragma once

#include "cli/cli_command.h"

namespace korvela::cli {

// The survey tasks: each imports SURVEY, selects by number and runs the task as its menu
// item does; reports are printed as the report window saves them.
int runLength(CommandContext& context);
int runAngles(CommandContext& context);
int runDirection(CommandContext& context);
int runRotate(CommandContext& context);
int runJoin(CommandContext& context);
int runTransform(CommandContext& context);
int runParcel(CommandContext& context);

}  // namespace korvela::cli
