// The two exports of a 1,000,000- and a 10,000,000-point survey, each into a file through
// the safe file writer (flushed to disk), as "Export AutoCad" and "Export txt" write them.
// peakMiB is the process's peak resident memory after the run, the survey included.
#include <benchmark/benchmark.h>

#include <sys/resource.h>

#include <filesystem>

#include "bench_support.h"
#include "common/local_time.h"
#include "common/safe_file_writer.h"
#include "exchange/dxf_writer.h"
#include "exchange/text_listing.h"
#include "points/point_store.h"
#include "points/point_store_grid.h"

namespace korvela {
namespace {

const PointStore& largeSurvey(std::size_t count) {
    static PointStore store;
    if (store.count() != count) {
        if (store.loadSurveyFile(bench::writeSdrSurvey(count))) store.clear();
    }
    return store;
}

double peakMebibytes() {
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

std::string outputPath(const char* name) {
    return (std::filesystem::temp_directory_path() / name).string();
}

void BM_ExportDxf(benchmark::State& state) {
    const PointStore& store = largeSurvey(static_cast<std::size_t>(state.range(0)));
    const PointStoreGrid table(store);
    const std::string path = outputPath("korvela-bench-export.dxf");
    for (auto _ : state) {
        if (writeDxfFile(path, table, kPointTableDxfColumns, store.kind(), true)) {
            state.SkipWithError("the DXF file could not be written");
        }
    }
    state.counters["points"] = static_cast<double>(store.count());
    state.counters["MB"] = static_cast<double>(std::filesystem::file_size(path)) / 1e6;
    state.counters["peakMiB"] = peakMebibytes();
    std::filesystem::remove(path);
}
BENCHMARK(BM_ExportDxf)
    ->Arg(1'000'000)
    ->Arg(10'000'000)
    ->Unit(benchmark::kMillisecond)
    ->MeasureProcessCPUTime()
    ->UseRealTime();

void BM_ExportTextListing(benchmark::State& state) {
    const PointStore& store = largeSurvey(static_cast<std::size_t>(state.range(0)));
    const std::string path = outputPath("korvela-bench-export.txt");
    const LocalTime now{2011, 1, 1, 9, 5, 7};
    for (auto _ : state) {
        if (writeFileSafely(path, [&](std::ostream& out) { writeTextListing(store, now, out); })) {
            state.SkipWithError("the listing could not be written");
        }
    }
    state.counters["points"] = static_cast<double>(store.count());
    state.counters["MB"] = static_cast<double>(std::filesystem::file_size(path)) / 1e6;
    state.counters["peakMiB"] = peakMebibytes();
    std::filesystem::remove(path);
}
BENCHMARK(BM_ExportTextListing)
    ->Arg(1'000'000)
    ->Arg(10'000'000)
    ->Unit(benchmark::kMillisecond)
    ->MeasureProcessCPUTime()
    ->UseRealTime();

}  // namespace
}  // namespace korvela
