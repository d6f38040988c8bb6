#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "tasks/traverse_path.h"

namespace korvela {

// The traverse adjusted by least squares: directions with one orientation unknown per set-up
// (a start oriented by its backsight's azimuth keeps that orientation fixed), the sides'
// horizontal distances with σ = a + b·D, the known stations and orientation points fixed.
// Heights are adjusted apart from the plane: along one path the least-squares heights with
// weights 1/d distribute fh in proportion to the sides.

struct ObservationResidual {
    bool direction = true;  // otherwise a distance
    std::string from, to;
    double observed = 0;  // degrees or the file's unit
    double residual = 0;  // seconds or the file's unit
    double sigma = 0;     // a-priori, same unit as the residual
    double redundancy = 0;
    double standardized = 0;  // v / (σ √r), 0 where r is 0
    bool marked = false;      // |w| > 3 with r ≥ 0.1
};

struct StationAccuracy {
    std::string number;
    double x = 0, y = 0, mx = 0, my = 0, m = 0;
};

struct LeastSquaresTraverse {
    TraverseAdjustment adjustment;
    std::vector<ObservationResidual> residuals;
    std::vector<StationAccuracy> stations;  // the new stations
    std::size_t redundancy = 0;             // observations − unknowns
    double m0 = 0;  // √(vᵀPv / r); 1 (the a-priori unit weight) without redundancy
};

// Starts from the hand sheet's adjustment (its coordinates are close enough to linearize).
LeastSquaresTraverse adjustByLeastSquares(const TraversePath& path,
                                          const TraverseAdjustment& approximate,
                                          const TraverseSettings& settings);

}  // namespace korvela
