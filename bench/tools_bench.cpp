// The survey tools on large inputs: CSV read, the transformation by common points (the CSV
// export is measured with the other exports).
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <charconv>
#include <filesystem>

#include "bench_support.h"
#include "common/regular_file.h"
#include "exchange/csv_points.h"
#include "points/point_store.h"
#include "tasks/common_point_transform.h"
#include "../tests/test_support.h"

namespace korvela {
namespace {

// A comma listing of `count` points (number, N, E, Z, description) read as korvela-cli
// csv-points reads it, in the encoding given. Run the 10M case alone for its memory: the
// peaks of this import and of the survey import of the same file, each in a child process.
std::size_t readCsvPointsOf(const std::string& path) {
    RegularFile file;
    PointStore store;
    CsvReadSummary summary;
    if (file.open(path) || readCsvPointsFile(file, CsvLayout{}, store, summary)) return 0;
    return summary.pointsRead;
}

void BM_ReadCsvFile(benchmark::State& state) {
    const std::size_t count = static_cast<std::size_t>(state.range(0));
    const std::string path = bench::writePlainCommaListing(count);
    if (count >= 10'000'000) {
        const auto perPoint = [count](double mebibytes) {
            return mebibytes * (1 << 20) / static_cast<double>(count);
        };
        state.counters["peak_bytes_per_point"] = perPoint(
            testing::childPeakMiB([&] { return readCsvPointsOf(path) == count; }));
        state.counters["survey_import_peak_bytes_per_point"] = perPoint(testing::childPeakMiB([&] {
            PointStore store;
            return !store.loadSurveyFile(path) && store.count() == count;
        }));
    }
    for (auto _ : state) {
        if (readCsvPointsOf(path) != count) state.SkipWithError("points missing");
    }
}
BENCHMARK(BM_ReadCsvFile)
    ->Arg(1'000'000)
    ->Arg(10'000'000)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

// The least BM_ReadCsvFile needs: the file's bytes read once, a block at a time.
void BM_ReadCsvFileFloor(benchmark::State& state) {
    const std::string path =
        bench::writePlainCommaListing(static_cast<std::size_t>(state.range(0)));
    std::vector<char> block(1 << 20);
    for (auto _ : state) {
        const int file = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
        std::size_t bytes = 0;
        for (ssize_t read; (read = ::read(file, block.data(), block.size())) > 0;) {
            bytes += static_cast<std::size_t>(read);
        }
        ::close(file);
        if (bytes != std::filesystem::file_size(path)) state.SkipWithError("read failed");
        benchmark::DoNotOptimize(block.data());
    }
}
BENCHMARK(BM_ReadCsvFileFloor)->Arg(1'000'000)->Unit(benchmark::kMillisecond)->UseRealTime();

// The least the parsing of that file needs: each line split at its commas, N, E and Z parsed
// by std::from_chars into columns reserved beforehand, the number and description bytes into
// arenas reserved beforehand, with their ends.
class CsvFloorParser {
public:
    explicit CsvFloorParser(std::size_t count) {
        for (std::vector<double>* column : {&x_, &y_, &z_}) column->reserve(count);
        for (std::vector<std::uint32_t>* ends : {&numberEnds_, &codeEnds_}) ends->reserve(count);
        numbers_.reserve(count * 8);
        codes_.reserve(count * 8);
    }

    void parseLine(std::string_view line) {
        if (line.ends_with('\r')) line.remove_suffix(1);
        std::size_t comma = line.find(',');
        appendText(line.substr(0, comma), numbers_, numberEnds_);
        for (std::vector<double>* column : {&x_, &y_, &z_}) {
            const std::size_t start = comma + 1;
            comma = line.find(',', start);
            double value = 0;
            std::from_chars(line.data() + start, line.data() + std::min(comma, line.size()), value);
            column->push_back(value);
        }
        appendText(line.substr(comma + 1), codes_, codeEnds_);
    }

    std::size_t count() const { return x_.size(); }

private:
    static void appendText(std::string_view text, std::string& arena,
                           std::vector<std::uint32_t>& ends) {
        arena.append(text);
        ends.push_back(static_cast<std::uint32_t>(arena.size()));
    }

    std::vector<double> x_, y_, z_;
    std::string numbers_, codes_;
    std::vector<std::uint32_t> numberEnds_, codeEnds_;
};

void BM_ReadCsvFileParseFloor(benchmark::State& state) {
    const std::size_t count = static_cast<std::size_t>(state.range(0));
    const std::string path = bench::writePlainCommaListing(count);
    for (auto _ : state) {
        CsvFloorParser parser(count);
        bench::forEachLineInBlocks(path, [&](std::string_view line) { parser.parseLine(line); });
        if (parser.count() != count) state.SkipWithError("points missing");
    }
}
BENCHMARK(BM_ReadCsvFileParseFloor)->Arg(1'000'000)->Unit(benchmark::kMillisecond)->UseRealTime();

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
