// "Сохранить план…" of a whole survey on A4: the page as PDF and as a 300 dpi PNG, with no
// point selected and with every point selected (labelled as far as there is room).
// grow_MiB is how much the resident memory grew while one more page was made in a child
// process, over what the survey already takes.
#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

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

    WholeSurvey(std::size_t count, bool everyPointSelected)
        : selected(count, everyPointSelected ? 1 : 0) {
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

double peakMiB() {
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss) / 1024;  // kilobytes on Linux
}

// A forked child starts with the parent's resident memory as its peak.
template <typename Work>
double childGrowthMiB(Work&& work) {
    int pipeEnds[2];
    if (::pipe(pipeEnds) != 0) return -1;
    const pid_t child = ::fork();
    if (child == 0) {
        const double before = peakMiB();
        work();
        const double growth = peakMiB() - before;
        const bool sent = ::write(pipeEnds[1], &growth, sizeof growth) == sizeof growth;
        ::_exit(sent ? 0 : 1);
    }
    ::close(pipeEnds[1]);
    double growth = -1;
    if (child < 0 || ::read(pipeEnds[0], &growth, sizeof growth) != sizeof growth) growth = -1;
    ::close(pipeEnds[0]);
    if (child > 0) ::waitpid(child, nullptr, 0);
    return growth;
}

template <QByteArray (*Page)(const PlanPaper&, const PlanPicture&, WorkProgress*)>
void BM_PlanPage(benchmark::State& state) {
    const WholeSurvey survey(static_cast<std::size_t>(state.range(0)), state.range(1) != 0);
    const PlanPicture picture{survey.view,
                              survey.selected,
                              survey.store,
                              QFont(),
                              QStringLiteral("survey.sdr"),
                              QStringLiteral("09.12.2026")};
    qsizetype bytes = 0;
    for (auto _ : state) bytes = Page(PlanPaper{}, picture, nullptr).size();
    state.counters["MB"] = static_cast<double>(bytes) / 1e6;
    state.counters["grow_MiB"] = childGrowthMiB([&] { Page(PlanPaper{}, picture, nullptr); });
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
