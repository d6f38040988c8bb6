#pragma once

#include <array>

namespace korvela {

using Vector3 = std::array<double, 3>;

// A 3 × 3 matrix factored by Gaussian elimination with partial pivoting, the way the join
// solves for its map. All arithmetic is double: single precision would keep only about seven
// significant digits of national-grid coordinates and put joined points metres off.
class JoinSolver {
public:
    // rows[i] is row i of the matrix.
    explicit JoinSolver(const std::array<Vector3, 3>& rows);

    // A pivot was exactly 0. Nothing may be solved then.
    bool singular() const { return singularStep_ != 0; }
    // The step (1 to 3) whose pivot was last found exactly 0, or 0.
    int singularStep() const { return singularStep_; }

    // The solution c of A·c = b; the factors stay as they are, so one factoring serves many
    // right-hand sides.
    Vector3 solve(Vector3 b) const;

private:
    double& at(int row, int column) { return columns_[column][row]; }
    double at(int row, int column) const { return columns_[column][row]; }
    void eliminate(int k);

    std::array<Vector3, 3> columns_;  // the factors, stored by columns
    std::array<int, 3> pivotRow_{0, 1, 2};
    int singularStep_ = 0;
};

}  // namespace korvela
