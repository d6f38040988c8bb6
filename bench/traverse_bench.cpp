// The traverse: a 1,000-station link traverse by least squares, its sheets included.
#include <benchmark/benchmark.h>

#include <cmath>
#include <string>
#include <variant>
#include <vector>

#include "tasks/field_survey_builder.h"
#include "tasks/traverse.h"

namespace korvela {
namespace {

// A winding path of `stations` stations some 150 m apart between two known ends, each sight
// with a few seconds and millimetres of repeatable noise.
testing::FieldSurveyBuilder windingTraverse(std::size_t stations,
                                            std::vector<std::string>& path) {
    testing::FieldSurveyBuilder b;
    const auto at = [](std::size_t i) {
        const double t = static_cast<double>(i);
        return std::pair{t * 140.0, 60.0 * std::sin(t * 0.7)};
    };
    b.point("A", -150, 20, 100, true);
    for (std::size_t i = 0; i < stations; ++i) {
        path.push_back("T" + std::to_string(i));
        const auto [x, y] = at(i);
        const bool end = i == 0 || i + 1 == stations;
        b.point(path.back(), x, y, 100 + 5 * std::cos(static_cast<double>(i)), end);
    }
    const auto [ex, ey] = at(stations);
    b.point("B", ex, ey + 30, 100, true);
    unsigned noise = 12345;
    const auto next = [&noise] {
        noise = noise * 1103515245u + 12345u;
        return static_cast<double>((noise >> 16) % 2001) / 1000 - 1;  // −1 to 1
    };
    for (std::size_t i = 0; i < stations; ++i) {
        b.setUp(path[i], static_cast<double>(i % 360));
        b.faces(i == 0 ? "A" : path[i - 1], 1.2, 3 * next(), 0.005 * next());
        b.faces(i + 1 == stations ? "B" : path[i + 1], 1.2, 3 * next(), 0.005 * next());
    }
    return b;
}

void BM_TraverseLeastSquares(benchmark::State& state) {
    std::vector<std::string> path;
    const testing::FieldSurveyBuilder b =
        windingTraverse(static_cast<std::size_t>(state.range(0)), path);
    const TraverseRequest request{path, TraverseShape::Link, {"A"}, {"B"},
                                  TraverseMethod::LeastSquares, {}};
    for (auto _ : state) {
        auto outcome = computeTraverse(b.store, b.list, request);
        if (!std::holds_alternative<TraverseResult>(outcome)) {
            state.SkipWithError(std::get<TraverseRefusal>(outcome).message.c_str());
            break;
        }
        benchmark::DoNotOptimize(std::get<TraverseResult>(outcome).sheet.data());
    }
    state.counters["stations"] = static_cast<double>(state.range(0));
}
BENCHMARK(BM_TraverseLeastSquares)->Arg(1'000)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
}  // namespace korvela
