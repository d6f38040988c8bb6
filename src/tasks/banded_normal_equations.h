#pragma once

#include <cstddef>
#include <vector>

#include <Eigen/Core>

namespace korvela {

// Normal equations N·x = b whose matrix is banded (every unknown coupled only with unknowns at
// most `bandwidth` places away), as a traverse's are when its unknowns follow the path: solved
// by LDLᵀ in O(n·b²), and the entries of N⁻¹ within the band (what the standard errors and the
// redundancy numbers need) found by Takahashi's recurrence without inverting N.
class BandedNormalEquations {
public:
    BandedNormalEquations(std::size_t size, std::size_t bandwidth);

    // Adds one observation equation a·x = l with weight p: N += p·aᵀa, b += p·aᵀl.
    void add(const std::vector<std::size_t>& unknowns, const std::vector<double>& coefficients,
             double weight, double misclosure);

    // Factorizes and solves; false when N is singular (an unknown the observations do not fix).
    bool solve(std::vector<double>& solution);

    // After solve: the entry (i, j) of N⁻¹, |i − j| within the band.
    double inverse(std::size_t i, std::size_t j);

private:
    double& upper(Eigen::MatrixXd& band, std::size_t i, std::size_t j) {
        return band(static_cast<Eigen::Index>(i), static_cast<Eigen::Index>(j - i));
    }
    double lower(std::size_t i, std::size_t j) { return upper(factor_, j, i); }  // L(i, j), j < i
    void computeInverse();

    std::size_t size_, bandwidth_;
    Eigen::MatrixXd factor_;   // N, then L (below the diagonal, stored transposed) and D
    Eigen::MatrixXd inverse_;  // N⁻¹ within the band
    std::vector<double> rightSide_;
    bool inverted_ = false;
};

}  // namespace korvela
