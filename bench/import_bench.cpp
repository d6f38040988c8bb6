// Import of large surveys (SDR, and a comma listing without the marker): time, and the
// store's memory per point.
#include <benchmark/benchmark.h>

#include <filesystem>

#include "bench_support.h"
#include "points/point_store.h"

namespace korvela {
namespace {

template <typename Sequence>
std::size_t bytesOf(const Sequence& sequence) {
    return sequence.capacity() * sizeof(typename Sequence::value_type);
}

std::size_t storeBytes(const PointStore& store) {
    std::size_t bytes = bytesOf(store.active()) + bytesOf(store.number()) + bytesOf(store.x()) +
                        bytesOf(store.y()) + bytesOf(store.z()) + bytesOf(store.kind()) +
                        bytesOf(store.colour());
    for (const std::string& number : store.number()) {
        if (number.capacity() > 15)
            bytes += number.capacity() + 1;  // beyond the small-string buffer
    }
    return bytes;
}

void BM_ImportSdr(benchmark::State& state) {
    const std::size_t count = static_cast<std::size_t>(state.range(0));
    const std::string path = bench::writeSdrSurvey(count);
    PointStore store;
    for (auto _ : state) {
        const auto error = store.loadSurveyFile(path);
        if (error || store.count() != count) state.SkipWithError("import failed");
    }
    state.counters["points"] = static_cast<double>(store.count());
    state.counters["bytes_per_point"] =
        static_cast<double>(storeBytes(store)) / static_cast<double>(store.count());
}
BENCHMARK(BM_ImportSdr)->Arg(1'000'000)->Unit(benchmark::kMillisecond)->UseRealTime();

// A comma listing without the marker is only known to be one at its end; its points go
// straight into the store meanwhile.
void BM_ImportPlainCommaListing(benchmark::State& state) {
    const std::size_t count = static_cast<std::size_t>(state.range(0));
    const std::string path = bench::writePlainCommaListing(count);
    PointStore store;
    for (auto _ : state) {
        const auto error = store.loadSurveyFile(path);
        if (error || store.count() != count) state.SkipWithError("import failed");
    }
    state.counters["file_megabytes"] =
        static_cast<double>(std::filesystem::file_size(path)) / (1 << 20);
    state.counters["bytes_per_point"] =
        static_cast<double>(storeBytes(store)) / static_cast<double>(store.count());
}
BENCHMARK(BM_ImportPlainCommaListing)->Arg(1'000'000)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
}  // namespace korvela
