// Import of large surveys (SDR, and a comma listing without the marker): time, the store's
// memory per point, and the process's peak memory; and `korvela-cli points` of the SDR file,
// by its name and as the standard input.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>

#include <charconv>
#include <cstring>
#include <filesystem>
#include <string_view>
#include <vector>

#include "bench_support.h"
#include "points/observations.h"
#include "points/point_store.h"
#include "points/survey_reader.h"
#include "../tests/test_support.h"

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

// The least an import of that file needs: its bytes read once in large blocks, and the
// number and three coordinates of each 02 and 08 record parsed with std::from_chars into
// vectors reserved for the points beforehand. BM_ImportSdr is measured against it.
class SdrFloorParser {
public:
    explicit SdrFloorParser(std::size_t count) {
        for (std::vector<double>* column : {&x_, &y_, &z_}) column->reserve(count);
        numberEnds_.reserve(count);
        numbers_.reserve(count * 8);
    }

    void parseLine(std::string_view line) {
        constexpr std::size_t kValuesAt = 20;
        if (line.size() <= kValuesAt || !(line.starts_with("08") || line.starts_with("02")))
            return;
        const std::string_view id = line.substr(4, kValuesAt - 4);
        const std::size_t idStart = id.find_first_not_of(' ');
        numbers_.append(idStart == std::string_view::npos ? std::string_view() : id.substr(idStart));
        numberEnds_.push_back(static_cast<std::uint32_t>(numbers_.size()));
        const char* at = line.data() + kValuesAt;
        const char* end = line.data() + line.size();
        for (std::vector<double>* column : {&x_, &y_, &z_}) {
            while (at < end && *at == ' ') ++at;
            double value = 0;
            at = std::from_chars(at, end, value).ptr;
            column->push_back(value);
        }
    }

    std::size_t count() const { return x_.size(); }

private:
    std::vector<double> x_, y_, z_;
    std::string numbers_;
    std::vector<std::uint32_t> numberEnds_;
};

std::size_t parseSdrFloor(const std::string& path, std::size_t count) {
    SdrFloorParser parser(count);
    bench::forEachLineInBlocks(path, [&](std::string_view line) { parser.parseLine(line); });
    return parser.count();
}

void BM_ImportSdrFloor(benchmark::State& state) {
    const std::size_t count = static_cast<std::size_t>(state.range(0));
    const std::string path = bench::writeSdrSurvey(count);
    for (auto _ : state) {
        if (parseSdrFloor(path, count) != count) state.SkipWithError("points missing");
    }
}
BENCHMARK(BM_ImportSdrFloor)->Arg(1'000'000)->Unit(benchmark::kMillisecond)->UseRealTime();

// The same coordinate-only file read as the window's import reads it, keeping observations:
// no slower than without.
void importWithObservationList(benchmark::State& state,
                               std::string (*writeSurvey)(std::size_t count)) {
    const std::size_t count = static_cast<std::size_t>(state.range(0));
    const std::string path = writeSurvey(count);
    PointStore store;
    ObservationList observations;
    for (auto _ : state) {
        if (readSurveyFile(path, store, surveyParsingThreads(), nullptr, &observations)) {
            state.SkipWithError("import failed");
        }
    }
    reportStore(state, store, count);
}
void BM_ImportSdrWithObservationList(benchmark::State& state) {
    importWithObservationList(state, bench::writeSdrSurvey);
}
BENCHMARK(BM_ImportSdrWithObservationList)
    ->Arg(1'000'000)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

// The points of BM_ImportSdr in a GSI-16 file, read as the window's import reads it (run
// beside BM_ImportSdr: within 1.5 times its time).
void BM_ImportGsi(benchmark::State& state) {
    importWithObservationList(state, bench::writeGsiSurvey);
}
BENCHMARK(BM_ImportGsi)->Arg(1'000'000)->Unit(benchmark::kMillisecond)->UseRealTime();

// The peak memory of importing a file in a child process, in MiB.
double importPeakMiB(const std::string& path) {
    return testing::childPeakMiB([&] {
        PointStore store;
        ObservationList observations;
        return !readSurveyFile(path, store, surveyParsingThreads(), nullptr, &observations);
    });
}

// A field file of `count` observations: the time to import it, and the peak memory it takes
// beyond the same file without its 09 records, per observation (each import in a child
// process of its own, before this process holds anything).
void BM_ImportObservations(benchmark::State& state) {
    const std::size_t count = static_cast<std::size_t>(state.range(0));
    const std::string path = bench::writeSdrObservations(count, true);
    const double withSights = importPeakMiB(path);
    const double without = importPeakMiB(bench::writeSdrObservations(count, false));
    PointStore store;
    ObservationList observations;
    for (auto _ : state) {
        if (readSurveyFile(path, store, surveyParsingThreads(), nullptr, &observations)) {
            state.SkipWithError("import failed");
        }
    }
    if (observations.sights.size() != count + count / 50) state.SkipWithError("sights lost");
    state.counters["peak_MiB"] = withSights;
    state.counters["peak_MiB_without_09"] = without;
    state.counters["bytes_per_observation"] =
        (withSights - without) * (1 << 20) / static_cast<double>(count);
}
BENCHMARK(BM_ImportObservations)->Arg(1'000'000)->Unit(benchmark::kMillisecond)->UseRealTime();

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

// The whole `korvela-cli points SURVEY` with its printing into /dev/null; the program's own
// CPU time is the counter cli_cpu_ms.
void BM_CliPoints(benchmark::State& state) {
    bench::runCli(state,
                  {"points", bench::writeSdrSurvey(static_cast<std::size_t>(state.range(0)))});
}
BENCHMARK(BM_CliPoints)->Arg(1'000'000)->Unit(benchmark::kMillisecond)->UseRealTime();

// `korvela-cli points -` of the same file: the standard input is first copied into a temporary
// file.
void BM_CliPointsStandardInput(benchmark::State& state) {
    bench::runCli(state, {"points", "-"},
                  bench::writeSdrSurvey(static_cast<std::size_t>(state.range(0))));
}
BENCHMARK(BM_CliPointsStandardInput)->Arg(1'000'000)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
}  // namespace korvela
