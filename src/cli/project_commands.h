#pragma once

#include "cli/cli_command.h"

namespace korvela::cli {

// project SURVEY OUT: imports SURVEY and saves the project OUT as "Save Project" does right
// after the import (settings window in its start state, nothing selected).
int runProject(CommandContext& context);

// project-points PROJECT: opens PROJECT as "Open Project" does and prints every point with
// its kind, active flag, selection and colour.
int runProjectPoints(CommandContext& context);

}  // namespace korvela::cli
