// "Сохранить план…" of a whole survey on A4: the page as PDF and as a 300 dpi PNG.
#include <benchmark/benchmark.h>

#include <cmath>
#include <string>
#include <vector>

#include "plan/plan_navigation.h"
#include "plan/plan_paper.h"
#include "plan/view_state.h"
#include "points/point_store.h"

namespace korvela {
namespace {

struct WholeSurvey {
    PointStore store;
    std::vector<std::int32_t> selected;
    ViewState view;

    explicit WholeSurvey(std::size_t count) : selected(count, 0) {
        const auto side = static_cast<std::size_t>(std::ceil(std::sqrt(double(count))));
        store.reserve(count);
        for (std::size_t i = 0; i < count; ++i) {
            store.append(std::to_string(i + 1), 5412000.0 + static_cast<double>(i % side) * 0.5,
                         7312000.0 + static_cast<double>(i / side) * 0.5, 140, 0x00FFFF00, 1);
        }
        CentreViewOnStore(view, store);
        fitViewToActivePoints(view, store);  // "Показать все точки"
    }
};

template <QByteArray (*Page)(const PlanPaper&, const PlanPicture&)>
void BM_PlanPage(benchmark::State& state) {
    const WholeSurvey survey(static_cast<std::size_t>(state.range(0)));
    const PlanPicture picture{survey.view,
                              survey.selected,
                              survey.store,
                              QFont(),
                              QStringLiteral("survey.sdr"),
                              QStringLiteral("09.12.2026")};
    qsizetype bytes = 0;
    for (auto _ : state) bytes = Page(PlanPaper{}, picture).size();
    state.counters["MB"] = static_cast<double>(bytes) / 1e6;
}
void surveySizes(benchmark::internal::Benchmark* benchmark) {
    benchmark->ArgName("points")
        ->Arg(100'000)
        ->Arg(1'000'000)
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime();
}
BENCHMARK(BM_PlanPage<planPdf>)->Name("BM_PlanPdf")->Apply(surveySizes);
BENCHMARK(BM_PlanPage<planPng>)->Name("BM_PlanPng")->Apply(surveySizes);

}  // namespace
}  // namespace korvela
