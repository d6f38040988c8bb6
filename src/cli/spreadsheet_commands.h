#pragma once

#include "cli/cli_command.h"

namespace korvela::cli {

// workbook-write SURVEY OUT: the write pass of "Отредактировать всё в Excel" into OUT.
int runWorkbookWrite(CommandContext& context);

// workbook-points WORKBOOK: the read pass of "Добавить много точек" into an empty store.
int runWorkbookPoints(CommandContext& context);

}  // namespace korvela::cli
