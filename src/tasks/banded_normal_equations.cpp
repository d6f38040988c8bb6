#include "tasks/banded_normal_equations.h"

#include <algorithm>
#include <cmath>

namespace korvela {
namespace {

Eigen::Index index(std::size_t i) { return static_cast<Eigen::Index>(i); }

}  // namespace

BandedNormalEquations::BandedNormalEquations(std::size_t size, std::size_t bandwidth)
    : size_(size), bandwidth_(bandwidth), rightSide_(Eigen::VectorXd::Zero(index(size))) {}

void BandedNormalEquations::add(const std::vector<std::size_t>& unknowns,
                                const std::vector<double>& coefficients, double weight,
                                double misclosure) {
    for (std::size_t r = 0; r < unknowns.size(); ++r) {
        rightSide_[index(unknowns[r])] += weight * coefficients[r] * misclosure;
        for (std::size_t c = 0; c < unknowns.size(); ++c) {
            if (unknowns[c] <= unknowns[r]) {
                entries_.emplace_back(index(unknowns[r]), index(unknowns[c]),
                                      weight * coefficients[r] * coefficients[c]);
            }
        }
    }
}

bool BandedNormalEquations::solve(std::vector<double>& solution) {
    SparseMatrix normal(index(size_), index(size_));
    normal.setFromTriplets(entries_.begin(), entries_.end());
    entries_ = {};
    factor_->compute(normal);
    if (factor_->info() != Eigen::Success) return false;
    const Eigen::VectorXd pivots = factor_->vectorD();
    if (!pivots.allFinite() || (pivots.array().abs() <= 1e-300).any()) return false;
    const Eigen::VectorXd x = factor_->solve(rightSide_);
    solution.assign(x.data(), x.data() + x.size());
    return true;
}

// Takahashi's recurrence, from the last unknown up: N⁻¹(i, j) = δᵢⱼ/dᵢ − Σₖ L(k, i)·N⁻¹(k, j)
// over the k > i where L(k, i) is not 0, which all lie within the band, as does j.
void BandedNormalEquations::computeInverse() {
    const SparseMatrix& lower = factor_->matrixL().nestedExpression();
    const Eigen::VectorXd pivots = factor_->vectorD();
    inverse_ = Eigen::MatrixXd::Zero(index(size_), index(bandwidth_ + 1));
    inverted_ = true;
    for (std::size_t i = size_; i-- > 0;) {
        for (std::size_t j = i; j <= std::min(size_ - 1, i + bandwidth_); ++j) {
            double entry = i == j ? 1 / pivots[index(i)] : 0;
            for (SparseMatrix::InnerIterator k(lower, index(i)); k; ++k) {
                const auto row = static_cast<std::size_t>(k.row());
                if (row > i) entry -= k.value() * inverse(row, j);
            }
            inverse_(index(j), index(j - i)) = entry;
        }
    }
}

double BandedNormalEquations::inverse(std::size_t i, std::size_t j) {
    if (!inverted_) computeInverse();
    return inverse_(index(std::max(i, j)), index(std::max(i, j) - std::min(i, j)));
}

}  // namespace korvela
