// Save and open of a 1,000,000-point project file (the whole command's file work).
#include <benchmark/benchmark.h>

#include <filesystem>
#include <variant>

#include "bench_support.h"
#include "plan/plan_view.h"
#include "points/point_store.h"
#include "points/project_file.h"

namespace korvela {
namespace {

constexpr std::size_t kPoints = 1'000'000;

struct LargeProject {
    PointStore store;
    std::vector<std::int32_t> selected;
    ViewState view;
    std::string path;

    LargeProject() {
        store.loadSurveyFile(bench::writeSdrSurvey(kPoints));
        selected.assign(store.count(), 0);
        for (std::size_t i = 0; i < selected.size(); i += 7) selected[i] = 1;
        CentreViewOnStore(view, store);
        path = (std::filesystem::temp_directory_path() / "korvela-bench-project.kpr").string();
    }
};

const LargeProject& largeProject() {
    static const LargeProject project;
    return project;
}

void BM_SaveProject(benchmark::State& state) {
    const LargeProject& project = largeProject();
    for (auto _ : state) {
        if (saveProjectFile(project.path, project.view, project.selected, project.store)) {
            state.SkipWithError("save failed");
        }
    }
    state.counters["bytes"] = static_cast<double>(std::filesystem::file_size(project.path));
}
BENCHMARK(BM_SaveProject)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_OpenProject(benchmark::State& state) {
    const LargeProject& project = largeProject();
    if (saveProjectFile(project.path, project.view, project.selected, project.store)) {
        state.SkipWithError("save failed");
        return;
    }
    for (auto _ : state) {
        auto opened = openProjectFile(project.path);
        const auto* content = std::get_if<ProjectContent>(&opened);
        if (content == nullptr || content->store.count() != kPoints)
            state.SkipWithError("open failed");
        benchmark::DoNotOptimize(opened);
    }
}
BENCHMARK(BM_OpenProject)->Unit(benchmark::kMillisecond)->UseRealTime();

// `korvela-cli project-points`: open and print, into /dev/null.
void BM_CliProjectPoints(benchmark::State& state) {
    const LargeProject& project = largeProject();
    if (saveProjectFile(project.path, project.view, project.selected, project.store)) {
        state.SkipWithError("save failed");
        return;
    }
    bench::runCli(state, {"project-points", project.path});
}
BENCHMARK(BM_CliProjectPoints)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
}  // namespace korvela
