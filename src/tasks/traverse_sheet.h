#pragma once

#include <string>
#include <vector>

#include "tasks/traverse_least_squares.h"
#include "tasks/traverse_path.h"

namespace korvela {

// The traverse's sheets as the report window shows them: Windows-1251, CR LF, columns
// separated by TAB. doc/cli.md gives each line.

// "Ведомость вычисления координат".
std::string computationSheet(const TraversePath& path, const TraverseAdjustment& adjustment,
                             const Misclosures& misclosures, const TraverseRequest& request,
                             const ObservationList& observations, bool leastSquares);

// "Ведомость оценки точности".
std::string accuracySheet(const TraversePath& path, const LeastSquaresTraverse& adjustment,
                          const TraverseSettings& settings);

// The elements of a path without observations, from the stations' coordinates.
struct StationPosition {
    std::string number;
    double x = 0, y = 0, z = 0;
};
std::string elementsSheet(const std::vector<StationPosition>& stations, bool closed);

}  // namespace korvela
