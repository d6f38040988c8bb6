// Picking on the plan of a million points.
#include <benchmark/benchmark.h>

#include <cmath>
#include <string>
#include <vector>

#include "plan/pick_list.h"
#include "plan/point_grid.h"
#include "points/point_store.h"

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

// The plan's grid of points, built again after points came or moved (once per import).
void BM_PlanGridBuild(benchmark::State& state) {
    const auto count = static_cast<std::size_t>(state.range(0));
    const auto side = static_cast<std::size_t>(std::sqrt(static_cast<double>(count)));
    PointStore store;
    store.reserve(count);
    for (std::size_t i = 0; i < count; ++i) {
        store.append(std::to_string(i + 1), 5412000.0 + static_cast<double>(i % side) * 0.5,
                     7312000.0 + static_cast<double>(i / side) * 0.5, 140, 0x00FFFF00, 1);
    }
    for (auto _ : state) {
        PointGrid grid;
        grid.update(store);
        benchmark::DoNotOptimize(grid.longestNumber());
    }
}
BENCHMARK(BM_PlanGridBuild)
    ->ArgName("points")
    ->Arg(1'000'000)
    ->Arg(10'000'000)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

}  // namespace
}  // namespace korvela
