#pragma once

namespace korvela {

// Rounds to 4 decimal places, halves away from zero, the way the rotation and the join
// round their coordinates: b = |v·10000|, c = ⌈b⌉, magnitude (c − 1)·0.0001 when
// c − b > 0.5, else c·0.0001, with the sign of v (minus zero counts as positive).
double Round4(double value);

}  // namespace korvela
