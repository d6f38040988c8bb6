// "Сохранить план…" of a whole survey on A4: the page as PDF and as a 300 dpi PNG, with no
// point selected and with every point selected (labelled as far as there is room).
// grow_MiB is how much the resident memory grew while a page was made in a child process,
// over what the survey already takes.
#include <benchmark/benchmark.h>

#include "plan/plan_page_survey.h"

namespace korvela {
namespace {

template <QByteArray (*Page)(const PlanPaper&, const PlanPicture&, WorkProgress*)>
void BM_PlanPage(benchmark::State& state) {
    const testing::SquareSurvey survey(static_cast<std::size_t>(state.range(0)),
                                       state.range(1) != 0);
    const PlanPicture picture = survey.picture();
    // Before the runs: memory they freed could take the child's page without growing.
    state.counters["grow_MiB"] =
        testing::childGrowthMiB([&] { Page(PlanPaper{}, picture, nullptr); });
    qsizetype bytes = 0;
    for (auto _ : state) bytes = Page(PlanPaper{}, picture, nullptr).size();
    state.counters["MB"] = static_cast<double>(bytes) / 1e6;
}
void surveySizes(benchmark::internal::Benchmark* benchmark) {
    benchmark->ArgNames({"points", "selected"})
        ->ArgsProduct({{100'000, 1'000'000, 10'000'000}, {0, 1}})
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime();
}
BENCHMARK(BM_PlanPage<planPdf>)->Name("BM_PlanPdf")->Apply(surveySizes);
BENCHMARK(BM_PlanPage<planPng>)->Name("BM_PlanPng")->Apply(surveySizes);

}  // namespace
}  // namespace korvela
