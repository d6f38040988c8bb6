#pragma once

namespace korvela::bench {

// The window benchmarks keep their generated survey, with its windows, from one benchmark to
// the next; it must go while the application object still exists.
void releaseKeptSurvey();

}  // namespace korvela::bench
