// The survey tools on large inputs: CSV read, the transformation by common points (the CSV
// export is measured with the other exports).
#include <benchmark/benchmark.h>

#include <sstream>

#include "bench_support.h"
#include "common/text_lines.h"
#include "exchange/csv_points.h"
#include "points/point_store.h"
#include "tasks/common_point_transform.h"

namespace korvela {
namespace {

void BM_ReadCsvFile(benchmark::State& state) {
    const std::size_t count = static_cast<std::size_t>(state.range(0));
    const std::string path = bench::writePlainCommaListing(count);
    PointStore store;
    for (auto _ : state) {
        std::string bytes;
        if (readCsvFile(path, bytes)) state.SkipWithError("read failed");
        const CsvReadSummary summary = readCsvPoints(bytes, CsvLayout{}, store);
        if (summary.pointsRead != count) state.SkipWithError("points missing");
    }
}
BENCHMARK(BM_ReadCsvFile)->Arg(1'000'000)->Unit(benchmark::kMillisecond)->UseRealTime();

// A million-point second survey, numbers unique, brought in through four common points.
void BM_TransformByCommonPoints(benchmark::State& state) {
    const std::size_t count = static_cast<std::size_t>(state.range(0));
    PointStore second;
    for (std::size_t i = 0; i < count; ++i) {
        second.append(std::to_string(i), static_cast<double>(i % 1000) * 0.731,
                      static_cast<double>(i / 1000) * 0.519, 140, kColourAqua, kKindPoint);
    }
    PointStore first;
    std::vector<std::int32_t> selected;
    for (const std::size_t i : {std::size_t{1}, std::size_t{999}, count / 2, count - 2}) {
        first.append(second.number()[i], 5412000 + second.y()[i], 7312000 - second.x()[i],
                     second.z()[i], kColourAqua, kKindPoint);
        selected.push_back(1);
    }
    for (auto _ : state) {
        const TransformOutcome outcome =
            computeCommonPointTransform(first, selected, second, kDefaultBlunderConfidence);
        if (outcome.points.size() != count) state.SkipWithError("no transformation");
    }
}
BENCHMARK(BM_TransformByCommonPoints)->Arg(1'000'000)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
}  // namespace korvela
