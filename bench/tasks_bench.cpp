// The survey tasks on large inputs: the length report over many selected points, and the
// join of a large second survey.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "points/point_store.h"
#include "points/workspace.h"
#include "tasks/measurement_reports.h"
#include "tasks/survey_join.h"

namespace korvela {
namespace {

// `count` points around one national-grid site, numbered 1, 2, ...
PointStore siteOf(std::size_t count) {
    PointStore store;
    for (std::size_t i = 0; i < count; ++i) {
        store.append(std::to_string(i + 1), 5412000.0 + static_cast<double>(i % 1000) * 0.731,
                     7312000.0 + static_cast<double>(i / 1000) * 0.519,
                     140.0 + static_cast<double>(i % 97) * 0.125, kColourAqua, kKindPoint);
    }
    return store;
}

void BM_LengthReport(benchmark::State& state) {
    const std::size_t count = static_cast<std::size_t>(state.range(0));
    const PointStore store = siteOf(count);
    const std::vector<std::int32_t> selected(count, 1);
    std::size_t bytes = 0;
    for (auto _ : state) {
        const std::string report = lengthReport(store, selected);
        bytes = report.size();
        benchmark::DoNotOptimize(report.data());
    }
    state.counters["pairs"] = static_cast<double>(count * (count - 1) / 2);
    state.counters["report_MB"] = static_cast<double>(bytes) / 1e6;
}
BENCHMARK(BM_LengthReport)->Arg(2'000)->Unit(benchmark::kMillisecond)->UseRealTime();

// The join of a second survey already read (the reading is the import's benchmark): base
// matching, the solve, the map of every point and the appending to the store.
void BM_JoinSecondSurvey(benchmark::State& state) {
    const std::size_t count = static_cast<std::size_t>(state.range(0));
    PointStore second = siteOf(count);
    // The second system is the first turned by 90 degrees about Z.
    PointStore base;
    std::vector<std::int32_t> baseSelected;
    for (std::size_t i : {std::size_t{0}, count / 2 + 17, count - 1}) {
        base.append("S" + std::to_string(i), second.y()[i], -second.x()[i], second.z()[i],
                    kColourAqua, kKindPoint);
        baseSelected.push_back(1);
    }
    const std::array<std::string, 3> typed = {"1", std::to_string(count / 2 + 18),
                                              std::to_string(count)};
    for (auto _ : state) {
        Workspace points;
        points.replace(base, baseSelected, "survey");
        JoinOutcome outcome =
            computeJoin(points.store(), points.selected(), second, typed, kDefaultJoinLimit);
        if (outcome.notice) state.SkipWithError("the join gave a notice");
        points.append(joinedPoints(std::move(outcome.points)));
        benchmark::DoNotOptimize(points.store().count());
    }
    state.counters["points"] = static_cast<double>(count);
}
BENCHMARK(BM_JoinSecondSurvey)->Arg(1'000'000)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
}  // namespace korvela
