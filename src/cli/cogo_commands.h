#pragma once

#include "cli/cli_command.h"

namespace korvela::cli {

// The daily computations: each imports SURVEY, runs the task with the default limits and
// prints its report, then the new point as `points` prints it; a refusal gives its reason
// and the notice status.
int runInverse(CommandContext& context);
int runPolar(CommandContext& context);
int runIntersection(CommandContext& context);
int runDistanceIntersection(CommandContext& context);
int runResection(CommandContext& context);
int runStakeout(CommandContext& context);

}  // namespace korvela::cli
