// The exports of a 1,000,000- and a 10,000,000-point survey, each into a file through the
// safe file writer (flushed to disk), as "Export AutoCad", "Export CSV" and "Export txt" write
// them, each beside its floor.
// peakMiB is the process's peak resident memory after the run, the survey included.
#include <benchmark/benchmark.h>

#include <sys/resource.h>

#include <array>
#include <filesystem>
#include <sstream>
#include <string_view>

#include "bench_support.h"
#include "common/local_time.h"
#include "common/safe_file_writer.h"
#include "exchange/csv_points.h"
#include "exchange/dxf_code_layers.h"
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

// Writes the export of the survey of state.range(0) points into a file named `name`, with
// `write(store, path)` giving the error; reports the file's size and the peak memory.
template <typename Write>
void exportSurvey(benchmark::State& state, const char* name, Write write) {
    const PointStore& store = largeSurvey(static_cast<std::size_t>(state.range(0)));
    const std::string path = (std::filesystem::temp_directory_path() / name).string();
    for (auto _ : state) {
        if (write(store, path)) state.SkipWithError("the export could not be written");
    }
    state.counters["points"] = static_cast<double>(store.count());
    state.counters["MB"] = static_cast<double>(std::filesystem::file_size(path)) / 1e6;
    state.counters["peakMiB"] = peakMebibytes();
    std::filesystem::remove(path);
}

void BM_ExportDxf(benchmark::State& state) {
    exportSurvey(state, "korvela-bench-export.dxf", [](const PointStore& store, const auto& path) {
        return writeDxfFile(path, PointStoreGrid(store), kPointTableDxfColumns, store.kind(), true);
    });
}

// The survey of BM_ExportDxf with a code on every point (five codes, two of them joined into
// polylines), on the code layers: within 1.2 times the plain export's time.
void BM_ExportDxfCodeLayers(benchmark::State& state) {
    static const std::array<std::string_view, 5> kCodes{"KERB", "BLDG", "TREE", "FENCE", "POST"};
    const CodeTable table{{{"KERB", "", 1, true}, {"FENCE", "FENCES", 3, true}}};
    PointCodes codes;
    const std::size_t count = largeSurvey(static_cast<std::size_t>(state.range(0))).count();
    for (std::size_t i = 0; i < count; ++i) codes.append(kCodes[i / 7 % kCodes.size()]);
    exportSurvey(
        state, "korvela-bench-export-codes.dxf", [&](const PointStore& store, const auto& path) {
            const DxfCodeLayers layers = dxfCodeLayers(codes, table, dxfOwnLayers());
            return writeDxfFile(path, PointStoreGrid(store), kPointTableDxfColumns, store.kind(),
                                true, nullptr, PipeWithoutReader::Refuse, &layers);
        });
}

void BM_ExportTextListing(benchmark::State& state) {
    const LocalTime now{2011, 1, 1, 9, 5, 7};
    exportSurvey(state, "korvela-bench-export.txt", [&](const PointStore& store, const auto& path) {
        return writeFileSafely(path, [&](std::ostream& out) { writeTextListing(store, now, out); });
    });
}

// A floor: the export's bytes of the survey of state.range(0) points, made beforehand by
// `make(store, stream)`, written into a file named `name` through the safe file writer.
template <typename Make>
void writtenFloor(benchmark::State& state, const char* name, Make make) {
    std::ostringstream made;
    make(largeSurvey(static_cast<std::size_t>(state.range(0))), made);
    const bench::FloorBytes bytes(std::move(made).str());
    exportSurvey(state, name, [&](const PointStore&, const auto& path) {
        return writeFileSafely(path, [&](std::ostream& out) { bytes.writeTo(out); });
    });
}

// The floor of the DXF export: the same bytes written the same way.
void BM_ExportDxfFloor(benchmark::State& state) {
    writtenFloor(state, "korvela-bench-floor.dxf", [](const PointStore& store, std::ostream& out) {
        WriteDxf(PointStoreGrid(store), kPointTableDxfColumns, store.kind(), true, out);
    });
}

// "Export CSV" with ';' and decimal commas, as `korvela-cli csv` writes it.
const CsvWriteOptions kCsvOptions{';', true, TextEncoding::Cp1251};

void BM_ExportCsv(benchmark::State& state) {
    exportSurvey(state, "korvela-bench-export.csv", [](const PointStore& store, const auto& path) {
        return writeFileSafely(path,
                               [&](std::ostream& out) { writeCsvPoints(store, kCsvOptions, out); });
    });
}

// The floor of the CSV export: the same bytes written the same way.
void BM_ExportCsvFloor(benchmark::State& state) {
    writtenFloor(state, "korvela-bench-floor.csv", [](const PointStore& store, std::ostream& out) {
        writeCsvPoints(store, kCsvOptions, out);
    });
}

// The floor of the text listing: the same bytes written the same way.
void BM_ExportTextListingFloor(benchmark::State& state) {
    writtenFloor(state, "korvela-bench-floor.txt", [](const PointStore& store, std::ostream& out) {
        writeTextListing(store, LocalTime{2011, 1, 1, 9, 5, 7}, out);
    });
}

void measured(benchmark::internal::Benchmark* benchmark) {
    benchmark->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime()->UseRealTime();
}
void surveySizes(benchmark::internal::Benchmark* benchmark) {
    measured(benchmark->Arg(1'000'000)->Arg(10'000'000));
}
void millionPoints(benchmark::internal::Benchmark* benchmark) {
    measured(benchmark->Arg(1'000'000));
}
BENCHMARK(BM_ExportDxf)->Apply(surveySizes);
// At 1M only: the floor holds the whole drawing in memory (5.2 GB at 10M).
BENCHMARK(BM_ExportDxfFloor)->Apply(millionPoints);
BENCHMARK(BM_ExportDxfCodeLayers)->Apply(millionPoints);
BENCHMARK(BM_ExportCsv)->Apply(millionPoints);
BENCHMARK(BM_ExportCsvFloor)->Apply(millionPoints);
BENCHMARK(BM_ExportTextListing)->Apply(surveySizes);
BENCHMARK(BM_ExportTextListingFloor)->Apply(surveySizes);

}  // namespace
}  // namespace korvela
