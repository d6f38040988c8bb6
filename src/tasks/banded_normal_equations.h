#pragma once

#include <cstddef>
#include <memory>
#include <vector>

#include <Eigen/Core>
#include <Eigen/SparseCholesky>
#include <Eigen/SparseCore>

namespace korvela {

// Normal equations N·x = b whose matrix is banded (every unknown coupled only with unknowns at
// most `bandwidth` places away), as a traverse's are when its unknowns follow the path. Eigen's
// sparse LDLᵀ factorizes N in the path's order, so the factor stays within the band; the
// entries of N⁻¹ within the band (what the standard errors and the redundancy numbers need)
// follow from its factor without inverting N.
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
    using SparseMatrix = Eigen::SparseMatrix<double>;
    void computeInverse();

    std::size_t size_, bandwidth_;
    std::vector<Eigen::Triplet<double>> entries_;  // of N, summed when the matrix is built
    Eigen::VectorXd rightSide_;
    using Factor = Eigen::SimplicialLDLT<SparseMatrix, Eigen::Lower, Eigen::NaturalOrdering<int>>;
    std::unique_ptr<Factor> factor_ = std::make_unique<Factor>();  // Eigen's cannot move
    Eigen::MatrixXd inverse_;  // N⁻¹(j − k, j) at (j, k), k up to the bandwidth
    bool inverted_ = false;
};

}  // namespace korvela
