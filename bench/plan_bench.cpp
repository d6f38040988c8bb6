// Picking on the plan of a million points.
#include <benchmark/benchmark.h>

#include <vector>

#include "plan/pick_list.h"

namespace korvela {
namespace {

void BM_PickAt(benchmark::State& state) {
    constexpr int kPoints = 1'000'000;
    PickList pickList;
    for (int i = 0; i < kPoints; ++i) pickList.append(i % 1000 + 0.5, i / 1000 * 0.8, i);
    std::vector<std::int32_t> selected(kPoints, 0);
    int caught = 0;
    for (auto _ : state) caught = PickAt(pickList, 5, 500, 400, selected);
    state.counters["caught"] = caught;
}
BENCHMARK(BM_PickAt)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
}  // namespace korvela
