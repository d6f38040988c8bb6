#pragma once

#include <cstddef>
#include <string>

#include "cli/cli_command.h"

namespace korvela {
class PointStore;
struct ObservationList;
}

namespace korvela::cli {

// Reads a survey as "Import Project" does, from standard input when the argument is "-"; on
// failure reports it and returns false. With observations, an SDR file's observations too.
bool importSurvey(const std::string& argument, PointStore& store, CommandContext& context,
                  ObservationList* observations = nullptr);

// Sets line to NUMBER TAB X TAB Y TAB Z TAB KIND of one point, without a line end.
void pointLine(const PointStore& store, std::size_t index, std::string& line);

// One line per point: NUMBER TAB X TAB Y TAB Z TAB KIND LF.
void printPoints(const PointStore& store, std::ostream& out);

int runPoints(CommandContext& context);

}  // namespace korvela::cli
