#pragma once

#include <ostream>

#include "cli/cli_command.h"

namespace korvela {
struct ObservationList;
}

namespace korvela::cli {

// One line per sight, in file order: STATION TAB TARGET TAB FACE TAB HZ TAB V TAB SD TAB IH
// TAB TH TAB AZ LF; angles in degrees, lengths in metres, each at full precision; a value the
// record lacks is empty.
void printObservations(const ObservationList& observations, std::ostream& out);

int runObservations(CommandContext& context);

}  // namespace korvela::cli
