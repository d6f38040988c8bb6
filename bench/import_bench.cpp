// Import of large surveys (SDR, and a comma listing without the marker): time, the store's
// memory per point, and the process's peak memory; and `korvela-cli points` of the SDR file.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>

#include "bench_support.h"
#include "points/point_store.h"

namespace korvela {
namespace {

double peakMebibytes() {
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss) / 1024;  // ru_maxrss is in KiB
}

void reportStore(benchmark::State& state, const PointStore& store, std::size_t count) {
    if (store.count() != count) state.SkipWithError("import failed");
    state.counters["points"] = static_cast<double>(store.count());
    state.counters["bytes_per_point"] =
        static_cast<double>(store.allocatedBytes()) / static_cast<double>(store.count());
    state.counters["peak_MiB"] = peakMebibytes();
}

// Run the 10M case alone (--benchmark_filter=ImportSdr/10000000) for its own peak.
void BM_ImportSdr(benchmark::State& state) {
    const std::size_t count = static_cast<std::size_t>(state.range(0));
    const std::string path = bench::writeSdrSurvey(count);
    PointStore store;
    for (auto _ : state) {
        if (store.loadSurveyFile(path)) state.SkipWithError("import failed");
    }
    reportStore(state, store, count);
}
BENCHMARK(BM_ImportSdr)
    ->Arg(1'000'000)
    ->Arg(10'000'000)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

// A comma listing without the marker is only known to be one at its end; its points go
// straight into the store meanwhile.
void BM_ImportPlainCommaListing(benchmark::State& state) {
    const std::size_t count = static_cast<std::size_t>(state.range(0));
    const std::string path = bench::writePlainCommaListing(count);
    PointStore store;
    for (auto _ : state) {
        if (store.loadSurveyFile(path)) state.SkipWithError("import failed");
    }
    state.counters["file_megabytes"] =
        static_cast<double>(std::filesystem::file_size(path)) / (1 << 20);
    reportStore(state, store, count);
}
BENCHMARK(BM_ImportPlainCommaListing)->Arg(1'000'000)->Unit(benchmark::kMillisecond)->UseRealTime();

double childrenCpuSeconds() {
    rusage usage{};
    ::getrusage(RUSAGE_CHILDREN, &usage);
    const auto seconds = [](const timeval& t) { return t.tv_sec + t.tv_usec / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

// The whole `korvela-cli points SURVEY` with its printing into /dev/null; the program's own
// CPU time is the counter cli_cpu_ms.
void BM_CliPoints(benchmark::State& state) {
    const std::string path = bench::writeSdrSurvey(static_cast<std::size_t>(state.range(0)));
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    char* const arguments[] = {const_cast<char*>(KORVELA_CLI), const_cast<char*>("points"),
                               const_cast<char*>(path.c_str()), nullptr};
    const double cpuBefore = childrenCpuSeconds();
    for (auto _ : state) {
        pid_t child = 0;
        int status = 0;
        if (posix_spawn(&child, KORVELA_CLI, &actions, nullptr, arguments, environ) != 0 ||
            ::waitpid(child, &status, 0) != child || !WIFEXITED(status) ||
            WEXITSTATUS(status) != 0) {
            state.SkipWithError("korvela-cli points failed");
        }
    }
    posix_spawn_file_actions_destroy(&actions);
    state.counters["cli_cpu_ms"] =
        (childrenCpuSeconds() - cpuBefore) * 1000 / static_cast<double>(state.iterations());
}
BENCHMARK(BM_CliPoints)->Arg(1'000'000)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
}  // namespace korvela
