// The workbook exchange with many points: the write pass, and the read pass of the rows.
#include <benchmark/benchmark.h>

#include <filesystem>

#include "bench_support.h"
#include "exchange/workbook_points.h"
#include "exchange/workbook_reader.h"
#include "exchange/workbook_writer.h"
#include "points/point_store.h"

namespace korvela {
namespace {

std::string workbookPath(std::size_t count) {
    return (std::filesystem::temp_directory_path() /
            ("korvela-bench-" + std::to_string(count) + ".xlsx"))
        .string();
}

PointStore surveyStore(std::size_t count) {
    PointStore store;
    store.loadSurveyFile(bench::writeSdrSurvey(count));
    return store;
}

void BM_WorkbookWrite(benchmark::State& state) {
    const std::size_t count = static_cast<std::size_t>(state.range(0));
    const PointStore store = surveyStore(count);
    const std::string path = workbookPath(count);
    for (auto _ : state) {
        if (writeWorkbookPoints(path, store)) state.SkipWithError("write failed");
    }
    state.counters["file_MB"] = static_cast<double>(std::filesystem::file_size(path)) / (1 << 20);
}
BENCHMARK(BM_WorkbookWrite)->Arg(100'000)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_WorkbookReadPoints(benchmark::State& state) {
    const std::size_t count = static_cast<std::size_t>(state.range(0));
    const std::string path = workbookPath(count);
    if (writeWorkbookPoints(path, surveyStore(count))) state.SkipWithError("write failed");
    for (auto _ : state) {
        PointStore store;
        if (readWorkbookPointsFile(path, store)) state.SkipWithError("read failed");
        if (store.count() != count) state.SkipWithError("rows lost");
    }
}
BENCHMARK(BM_WorkbookReadPoints)->Arg(100'000)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
}  // namespace korvela
