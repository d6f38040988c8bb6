#pragma once

#include "cli/cli_command.h"

namespace korvela {
class PointStore;
}

namespace korvela::cli {

// Reads a survey as "Import Project" does; on failure reports it and returns false.
bool importSurvey(const std::string& path, PointStore& store, std::ostream& err);

// One line per point: NUMBER TAB X TAB Y TAB Z TAB KIND LF.
void printPoints(const PointStore& store, std::ostream& out);

int runPoints(CommandContext& context);

}  // namespace korvela::cli
