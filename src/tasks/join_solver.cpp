#include "tasks/join_solver.h"

#include <cmath>
#include <utility>

namespace korvela {

JoinSolver::JoinSolver(const std::array<Vector3, 3>& rows) {
    for (int row = 0; row < 3; ++row) {
        for (int column = 0; column < 3; ++column) at(row, column) = rows[row][column];
    }
    eliminate(0);
    eliminate(1);
    pivotRow_[2] = 2;
    if (at(2, 2) == 0) singularStep_ = 3;
}

// Step k: choose the pivot in column k (the first of equal magnitudes), store the negated
// multipliers below it and update the columns to its right.
void JoinSolver::eliminate(int k) {
    int l = k;
    for (int row = k + 1; row < 3; ++row) {
        if (std::fabs(at(row, k)) > std::fabs(at(l, k))) l = row;
    }
    pivotRow_[k] = l;
    if (at(l, k) == 0) {
        singularStep_ = k + 1;
        return;
    }
    if (l != k) std::swap(at(l, k), at(k, k));
    const double scale = -1 / at(k, k);
    for (int row = k + 1; row < 3; ++row) at(row, k) *= scale;
    for (int column = k + 1; column < 3; ++column) {
        const double t = at(l, column);
        if (l != k) {
            at(l, column) = at(k, column);
            at(k, column) = t;
        }
        for (int row = k + 1; row < 3; ++row) at(row, column) += t * at(row, k);
    }
}

Vector3 JoinSolver::solve(Vector3 b) const {
    for (int k = 0; k < 2; ++k) {
        const int l = pivotRow_[k];
        const double t = b[l];
        if (l != k) {
            b[l] = b[k];
            b[k] = t;
        }
        for (int row = k + 1; row < 3; ++row) b[row] += t * at(row, k);
    }
    for (int k = 2; k >= 0; --k) {
        b[k] /= at(k, k);
        const double t = -b[k];
        for (int row = 0; row < k; ++row) b[row] += t * at(row, k);
    }
    return b;
}

}  // namespace korvela
