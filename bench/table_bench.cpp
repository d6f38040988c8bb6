// The point table with a million points: filling it, selecting all, deleting all, scrolling,
// undoing and redoing a delete.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QImage>
#include <QPushButton>
#include <QScrollBar>
#include <QTableView>
#include <cstdlib>

#include "app/forms.h"
#include "app/tform1.h"
#include "gui_bench.h"
#include "no_dialogs.h"
#include "plan/plan_image.h"
#include "points/point_table_model.h"
#include "app/program_data.h"

namespace korvela {
namespace {

constexpr std::size_t kPoints = 1'000'000;

using bench::NoDialogs;

void fillStore(ProgramData& data) {
    PointStore store;
    store.reserve(kPoints);
    for (std::size_t i = 0; i < kPoints; ++i) {
        store.append(std::to_string(i % 100000), 5412000.0 + 0.731 * static_cast<double>(i),
                     7312000.5, 150.25, 0x00FFFF00, 1);
    }
    data.points.replace(std::move(store), {}, "bench");
}

PointTableModel& tableOf(TForm1& main) {
    return *static_cast<PointTableModel*>(main.findChild<QTableView*>("StringGrid1")->model());
}

struct Fixture {
    ProgramData data;
    NoDialogs dialogs;
    Forms forms{data, dialogs};
    Fixture() { fillStore(data); }
};

// What the table shows: the grid painted into an image as the screen would get it.
void paintGrid(TForm1& main) {
    auto* grid = main.findChild<QTableView*>("StringGrid1");
    QImage image(grid->viewport()->size(), QImage::Format_RGB32);
    grid->viewport()->render(&image);
}

void BM_FillTable(benchmark::State& state) {
    Fixture fixture;
    fixture.forms.form1->show();
    for (auto _ : state) {
        tableOf(*fixture.forms.form1).fillTable();
        paintGrid(*fixture.forms.form1);
    }
    state.counters["rows"] = tableOf(*fixture.forms.form1).rowCount();
}
BENCHMARK(BM_FillTable)->Unit(benchmark::kMillisecond)->UseRealTime();

// "Убрать все" then "Выбрать все", each with the plan drawn again (every point labelled).
void BM_SelectAll(benchmark::State& state) {
    Fixture fixture;
    tableOf(*fixture.forms.form1).fillTable();
    for (auto _ : state) {
        fixture.forms.form1->Button4Click();
        fixture.forms.form1->plan().bitmap();
        fixture.forms.form1->Button3Click();
        fixture.forms.form1->plan().bitmap();
    }
}
BENCHMARK(BM_SelectAll)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_SelectAllThenDelete(benchmark::State& state) {
    Fixture fixture;
    for (auto _ : state) {
        state.PauseTiming();
        fillStore(fixture.data);
        tableOf(*fixture.forms.form1).fillTable();
        state.ResumeTiming();
        fixture.forms.form1->Button3Click();
        fixture.forms.form1->N1Click();
    }
}
BENCHMARK(BM_SelectAllThenDelete)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

// "Удалить" of every second point (half a million of the million), then its undo or its
// redo, as Ctrl+Z and Ctrl+Y run them in the window (table, plan and menu follow).
void eraseEverySecondPoint(Fixture& fixture) {
    tableOf(*fixture.forms.form1).fillTable();
    fixture.data.points.changeSelection([](std::vector<std::int32_t>& flags) {
        for (std::size_t i = 0; i < flags.size(); i += 2) flags[i] = 1;
    });
    fixture.forms.form1->N1Click();
}

void BM_UndoDeleteHalf(benchmark::State& state) {
    Fixture fixture;
    eraseEverySecondPoint(fixture);
    for (auto _ : state) {
        fixture.data.points.undo();
        state.PauseTiming();
        fixture.data.points.redo();
        state.ResumeTiming();
    }
    state.counters["points"] = static_cast<double>(fixture.data.points.store().count());
}
BENCHMARK(BM_UndoDeleteHalf)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_RedoDeleteHalf(benchmark::State& state) {
    Fixture fixture;
    eraseEverySecondPoint(fixture);
    for (auto _ : state) {
        state.PauseTiming();
        fixture.data.points.undo();
        state.ResumeTiming();
        fixture.data.points.redo();
    }
    state.counters["points"] = static_cast<double>(fixture.data.points.store().count());
}
BENCHMARK(BM_RedoDeleteHalf)->Unit(benchmark::kMillisecond)->UseRealTime();

// A second survey of a million points replacing the first, as an import, an open or "Закрыть"
// replace every point, then the undo of that step, as Ctrl+Z runs it in the shown window,
// until the table and the plan are painted again (the plan's grid built anew).
void BM_UndoReplaceAll(benchmark::State& state) {
    Fixture fixture;
    TForm1& main = *fixture.forms.form1;
    main.show();
    fillStore(fixture.data);
    const auto repaint = [&main] {
        QCoreApplication::processEvents();
        paintGrid(main);
        benchmark::DoNotOptimize(main.plan().bitmap().constBits());
    };
    repaint();
    for (auto _ : state) {
        fixture.data.points.undo();
        repaint();
        state.PauseTiming();
        fixture.data.points.redo();
        repaint();
        state.ResumeTiming();
    }
    state.counters["points"] = static_cast<double>(fixture.data.points.store().count());
}
BENCHMARK(BM_UndoReplaceAll)->Unit(benchmark::kMillisecond)->UseRealTime();

// The plan of a million points (spread over the whole bitmap) into a 1000 × 800 bitmap.
void BM_Redraw(benchmark::State& state) {
    Fixture fixture;
    PlanImage& plan = fixture.forms.form1->plan();
    plan.resize(1000, 800);
    plan.setBitmapSize({1000, 800});
    fixture.data.view.change([&](ViewState& view) {
        view.offsetX = -5412000.0 - 0.731 * kPoints / 2;
        view.offsetY = -7312000.5;
        view.scale = 2.0 / (0.731 * kPoints);
    });
    const bool allSelected = state.range(0) == 1;
    fixture.data.points.setAllSelected(allSelected);
    for (auto _ : state) {
        plan.redraw();
        benchmark::DoNotOptimize(plan.bitmap().constBits());
    }
    state.SetLabel(allSelected ? "every point selected and labelled" : "no point selected");
}
BENCHMARK(BM_Redraw)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_ScrollTable(benchmark::State& state) {
    Fixture fixture;
    tableOf(*fixture.forms.form1).fillTable();
    fixture.forms.form1->show();
    auto* grid = fixture.forms.form1->findChild<QTableView*>("StringGrid1");
    QScrollBar* bar = grid->verticalScrollBar();
    int step = 0;
    for (auto _ : state) {
        bar->setValue((step++ * 7919) % bar->maximum());
        paintGrid(*fixture.forms.form1);
    }
}
BENCHMARK(BM_ScrollTable)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
}  // namespace korvela

int main(int argc, char** argv) {
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    korvela::bench::releaseKeptSurvey();
    return 0;
}
