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

// The project's file as the benchmark's project saves it; nothing when saving fails.
const std::string* savedProject(benchmark::State& state) {
    const LargeProject& project = largeProject();
    if (saveProjectFile(project.path, project.view, project.selected, project.store)) {
        state.SkipWithError("save failed");
        return nullptr;
    }
    return &project.path;
}

// `korvela-cli project-points`: open and print, into /dev/null.
void BM_CliProjectPoints(benchmark::State& state) {
    if (const std::string* path = savedProject(state)) {
        bench::runCli(state, {"project-points", *path});
    }
}
BENCHMARK(BM_CliProjectPoints)->Unit(benchmark::kMillisecond)->UseRealTime();

// The floor of `project-points`: a process reading the project file and then the same
// printed bytes from a file, into /dev/null (cat).
void BM_CliProjectPointsFloor(benchmark::State& state) {
    const std::string* path = savedProject(state);
    if (path == nullptr) return;
    const std::string printed =
        (std::filesystem::temp_directory_path() / "korvela-bench-project-points.txt").string();
    if (bench::runOnce(KORVELA_CLI, {"project-points", *path}, printed)) {
        bench::runProgram(state, "/bin/cat", {*path, printed});
    } else {
        state.SkipWithError("project-points failed");
    }
    std::filesystem::remove(printed);
}
BENCHMARK(BM_CliProjectPointsFloor)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
}  // namespace korvela
