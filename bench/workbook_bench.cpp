// The workbook exchange with many points: the write pass, and the read pass of the rows.
// Each benchmark also reports the peak resident memory of one more run in a child process
// (peak_MiB): the points the write pass starts from included, nothing before the read pass.
#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>

#include "bench_support.h"
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

template <typename Work>
double childPeakMiB(Work&& work) {
    const pid_t child = ::fork();
    if (child == 0) {
        work();
        ::_exit(0);
    }
    int status = 0;
    rusage usage{};
    if (child < 0 || ::wait4(child, &status, 0, &usage) != child) return -1;
    return static_cast<double>(usage.ru_maxrss) / 1024;  // kilobytes on Linux
}

void BM_WorkbookWrite(benchmark::State& state) {
    const std::size_t count = static_cast<std::size_t>(state.range(0));
    const PointStore store = surveyStore(count);
    const std::string path = workbookPath(count);
    for (auto _ : state) {
        if (writeWorkbookPoints(path, store)) state.SkipWithError("write failed");
    }
    state.counters["file_MB"] = static_cast<double>(std::filesystem::file_size(path)) / (1 << 20);
    state.counters["peak_MiB"] = childPeakMiB([&] { writeWorkbookPoints(path, store); });
}
BENCHMARK(BM_WorkbookWrite)->Arg(1'000'000)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_WorkbookReadPoints(benchmark::State& state) {
    const std::size_t count = static_cast<std::size_t>(state.range(0));
    const std::string path = workbookPath(count);
    if (writeWorkbookPoints(path, surveyStore(count))) state.SkipWithError("write failed");
    for (auto _ : state) {
        PointStore store;
        if (readWorkbookPointsFile(path, store)) state.SkipWithError("read failed");
        if (store.count() != count) state.SkipWithError("rows lost");
    }
    state.counters["peak_MiB"] = childPeakMiB([&] {
        PointStore store;
        readWorkbookPointsFile(path, store);
    });
}
BENCHMARK(BM_WorkbookReadPoints)->Arg(1'000'000)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
}  // namespace korvela
