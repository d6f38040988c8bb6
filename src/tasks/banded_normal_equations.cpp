#include "tasks/banded_normal_equations.h"

#include <algorithm>
#include <cmath>

namespace korvela {

BandedNormalEquations::BandedNormalEquations(std::size_t size, std::size_t bandwidth)
    : size_(size), bandwidth_(bandwidth),
      factor_(Eigen::MatrixXd::Zero(static_cast<Eigen::Index>(size),
                                    static_cast<Eigen::Index>(bandwidth + 1))),
      rightSide_(size, 0.0) {}

void BandedNormalEquations::add(const std::vector<std::size_t>& unknowns,
                                const std::vector<double>& coefficients, double weight,
                                double misclosure) {
    for (std::size_t r = 0; r < unknowns.size(); ++r) {
        rightSide_[unknowns[r]] += weight * coefficients[r] * misclosure;
        for (std::size_t c = 0; c < unknowns.size(); ++c) {
            if (unknowns[c] >= unknowns[r])
                upper(factor_, unknowns[r], unknowns[c]) += weight * coefficients[r] * coefficients[c];
        }
    }
}

bool BandedNormalEquations::solve(std::vector<double>& solution) {
    const std::size_t n = size_, b = bandwidth_;
    for (std::size_t j = 0; j < n; ++j) {
        const std::size_t from = j > b ? j - b : 0;
        double d = upper(factor_, j, j);
        for (std::size_t k = from; k < j; ++k) d -= lower(j, k) * lower(j, k) * upper(factor_, k, k);
        if (!(std::abs(d) > 1e-300)) return false;
        upper(factor_, j, j) = d;
        for (std::size_t i = j + 1; i < std::min(n, j + b + 1); ++i) {
            double s = upper(factor_, j, i);
            for (std::size_t k = i > b ? i - b : 0; k < j; ++k)
                s -= lower(i, k) * lower(j, k) * upper(factor_, k, k);
            upper(factor_, j, i) = s / d;
        }
    }
    solution = rightSide_;
    for (std::size_t i = 0; i < n; ++i) {
        for (std::size_t k = i > b ? i - b : 0; k < i; ++k) solution[i] -= lower(i, k) * solution[k];
    }
    for (std::size_t i = 0; i < n; ++i) solution[i] /= upper(factor_, i, i);
    for (std::size_t i = n; i-- > 0;) {
        for (std::size_t k = i + 1; k < std::min(n, i + b + 1); ++k)
            solution[i] -= lower(k, i) * solution[k];
    }
    return true;
}

void BandedNormalEquations::computeInverse() {
    const std::size_t n = size_, b = bandwidth_;
    inverse_ = Eigen::MatrixXd::Zero(factor_.rows(), factor_.cols());
    for (std::size_t i = n; i-- > 0;) {
        const std::size_t last = std::min(n - 1, i + b);
        for (std::size_t j = last + 1; j-- > i;) {
            double s = i == j ? 1 / upper(factor_, i, i) : 0;
            for (std::size_t k = i + 1; k <= last; ++k)
                s -= lower(k, i) * upper(inverse_, std::min(k, j), std::max(k, j));
            upper(inverse_, i, j) = s;
        }
    }
    inverted_ = true;
}

double BandedNormalEquations::inverse(std::size_t i, std::size_t j) {
    if (!inverted_) computeInverse();
    return upper(inverse_, std::min(i, j), std::max(i, j));
}

}  // namespace korvela
