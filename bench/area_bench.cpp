// "Вычислить" on an area sheet of 100,000 boundary points.
#include <benchmark/benchmark.h>

#include <cmath>

#include "area/area_computation.h"
#include "area/area_sheet.h"
#include "common/number_text.h"

namespace korvela {
namespace {

// A parcel boundary around a national-grid site: points on a wavy circle, in millimetres.
AreaSheet boundarySheet(int count) {
    AreaSheet sheet;
    sheet.buildTable(count);
    for (int point = 0; point < count; ++point) {
        const double angle = 2 * M_PI * point / count;
        const double radius = 500 + 20 * std::sin(37 * angle);
        const double x = std::round((5412000 + radius * std::cos(angle)) * 1000) / 1000;
        const double y = std::round((7312000 - radius * std::sin(angle)) * 1000) / 1000;
        sheet.setCell(point, AreaSheet::XColumn, formatNumber(x));
        sheet.setCell(point, AreaSheet::YColumn, formatNumber(y));
    }
    return sheet;
}

void BM_ComputeAreaSheet(benchmark::State& state) {
    AreaSheet sheet = boundarySheet(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        if (!computeArea(sheet)) state.SkipWithError("the computation failed");
    }
    state.counters["points"] = static_cast<double>(sheet.pointCount());
}
BENCHMARK(BM_ComputeAreaSheet)->Arg(100'000)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
}  // namespace korvela
