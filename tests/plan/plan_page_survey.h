#pragma once

// What the tests and the benchmarks of the plan on paper share: a survey whose points all
// show on the page, and the memory a page takes beyond it.
#include <malloc.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cmath>
#include <fstream>
#include <string>
#include <vector>

#include "plan/plan_navigation.h"
#include "plan/plan_view.h"
#include "plan/plan_paper.h"
#include "points/view_state.h"
#include "points/point_store.h"

namespace korvela::testing {

// Points half a metre apart in a square, the view showing them all ("Показать все точки").
struct SquareSurvey {
    PointStore store;
    std::vector<std::int32_t> selected;
    ViewState view;

    SquareSurvey(std::size_t count, bool everyPointSelected)
        : selected(count, everyPointSelected ? 1 : 0) {
        const auto side = static_cast<std::size_t>(std::ceil(std::sqrt(double(count))));
        store.reserve(count);
        for (std::size_t i = 0; i < count; ++i) {
            store.append(std::to_string(i + 1), 5412000.0 + static_cast<double>(i % side) * 0.5,
                         7312000.0 + static_cast<double>(i / side) * 0.5, 140, 0x00FFFF00, 1);
        }
        CentreViewOnStore(view, store);
        fitViewToActivePoints(view, store);
    }

    PlanPicture picture() const {
        return {view, selected, store, QFont(), "survey.sdr", "09.12.2026"};
    }
};

// How much the resident memory grows while work runs in a child process, in MiB; -1 when
// that cannot be measured. Memory the parent freed but kept goes back first, so that the
// work cannot take it without growing, and the peak starts from what is left.
template <typename Work>
double childGrowthMiB(Work&& work) {
    const auto peakMiB = [] {
        rusage usage{};
        ::getrusage(RUSAGE_SELF, &usage);
        return static_cast<double>(usage.ru_maxrss) / 1024;  // kilobytes on Linux
    };
    int pipeEnds[2];
    if (::pipe(pipeEnds) != 0) return -1;
    const pid_t child = ::fork();
    if (child == 0) {
        ::malloc_trim(0);
        std::ofstream("/proc/self/clear_refs") << "5";  // the peak is reset to what is resident
        const double before = peakMiB();
        work();
        const double growth = peakMiB() - before;
        ::_exit(::write(pipeEnds[1], &growth, sizeof growth) == sizeof growth ? 0 : 1);
    }
    ::close(pipeEnds[1]);
    double growth = -1;
    if (child < 0 || ::read(pipeEnds[0], &growth, sizeof growth) != sizeof growth) growth = -1;
    ::close(pipeEnds[0]);
    if (child > 0) ::waitpid(child, nullptr, 0);
    return growth;
}

}  // namespace korvela::testing
