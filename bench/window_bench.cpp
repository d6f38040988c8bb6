// The main window's commands on a generated survey of a million and of ten million points,
// each timed with the repaint of the table and the plan that the user waits for.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QTableView>
#include <cmath>
#include <memory>
#include <string>

#include "app/forms.h"
#include "app/tform1.h"
#include "gui_bench.h"
#include "no_dialogs.h"
#include "plan/plan_image.h"
#include "plan/view_transform.h"
#include "points/point_table_text.h"
#include "app/program_data.h"

namespace korvela {
namespace {

using bench::NoDialogs;

constexpr double kSpacing = 0.5;  // metres between neighbouring points

// Points on a square field, row by row with a small scatter, a station every 100 points,
// placed as an import places them: unselected, the view on the eleventh point.
class GeneratedSurvey {
public:
    explicit GeneratedSurvey(std::size_t count) : count_(count), side_(sideOf(count)) {
        forms_.form1->show();
        refill();
    }

    TForm1& main() { return *forms_.form1; }
    std::size_t count() const { return count_; }
    ProgramData& data() { return data_; }

    void refill() {
        PointStore points;
        points.reserve(count_);
        for (std::size_t i = 0; i < count_; ++i) {
            const double scatter = static_cast<double>((i * 7919) % 101) * 0.001;
            points.append(std::to_string(i + 1),
                          5412000.0 + static_cast<double>(i % side_) * kSpacing + scatter,
                          7312000.0 + static_cast<double>(i / side_) * kSpacing - scatter,
                          140.0 + static_cast<double>(i % 97) * 0.125, 0x00FFFF00,
                          i % 100 == 0 ? 0 : 1);
        }
        data_.view.change([&](ViewState& view) { CentreViewOnStore(view, points); });
        main().plan().setBitmapSize(main().plan().controlSize());
        data_.points.replace(std::move(points), {}, "generated");
        settle();
    }

    // The view on the middle of the field showing `share` of its points.
    void showShare(double share) {
        const double halfSide = 0.5 * static_cast<double>(side_) * kSpacing;
        data_.view.change([&](ViewState& view) {
            view.offsetX = -(5412000.0 + halfSide);
            view.offsetY = -(7312000.0 + halfSide);
            view.scale = 1.0 / (halfSide * std::sqrt(share));
            view.panDown = 0;
            view.panRight = 0;
        });
        main().redraw();
        settle();
    }

    // "Выбрать все" or "Убрать все", whatever an earlier benchmark left selected.
    void selectAll(bool selected) {
        if (selected) {
            main().Button3Click();
        } else {
            main().Button4Click();
        }
        settle();
    }

    // Everything the commands asked for is painted: the plan's bitmap and the table.
    void settle() {
        QCoreApplication::processEvents();
        benchmark::DoNotOptimize(main().plan().bitmap().constBits());
    }

private:
    static std::size_t sideOf(std::size_t count) {
        return static_cast<std::size_t>(std::ceil(std::sqrt(static_cast<double>(count))));
    }

    std::size_t count_;
    std::size_t side_;
    ProgramData data_;
    NoDialogs dialogs_;
    Forms forms_{data_, dialogs_};
};

// One survey per size, kept between the benchmarks: building ten million points takes seconds.
std::unique_ptr<GeneratedSurvey> keptSurvey;

GeneratedSurvey& survey(const benchmark::State& state) {
    const auto size = static_cast<std::size_t>(state.range(0));
    if (!keptSurvey || keptSurvey->count() != size) {
        keptSurvey.reset();  // one survey in memory at a time
        keptSurvey = std::make_unique<GeneratedSurvey>(size);
    }
    return *keptSurvey;
}

// Times `command` with its repaint, each time after `undo` (untimed) has put the field back;
// with everyPointSelected, "Выбрать все" comes first; with wholePlan, the plan shows every point.
template <typename Undo, typename Command>
void timeCommand(benchmark::State& state, bool everyPointSelected, Undo undo, Command command,
                 bool wholePlan = false) {
    GeneratedSurvey& field = survey(state);
    field.refill();
    if (wholePlan) field.showShare(1);
    if (everyPointSelected) field.main().Button3Click();
    for (auto _ : state) {
        state.PauseTiming();
        undo(field.main());
        field.settle();
        state.ResumeTiming();
        command(field.main());
        field.settle();
    }
}

// "Выбрать все" after an import (the view on the eleventh point).
void BM_Window_SelectAll(benchmark::State& state) {
    timeCommand(
        state, false, [](TForm1& main) { main.Button4Click(); },
        [](TForm1& main) { main.Button3Click(); });
}

// "Выбрать все" with every point on the plan: every label is a candidate.
void BM_Window_SelectAllWholePlan(benchmark::State& state) {
    timeCommand(
        state, false, [](TForm1& main) { main.Button4Click(); },
        [](TForm1& main) { main.Button3Click(); }, true);
}

// "Заморозить" of every point, then "Разморозить" of every point.
void BM_Window_FreezeAll(benchmark::State& state) {
    timeCommand(
        state, true, [](TForm1& main) { main.N3Click(); }, [](TForm1& main) { main.N2Click(); });
}

void BM_Window_UnfreezeAll(benchmark::State& state) {
    timeCommand(
        state, true, [](TForm1& main) { main.N2Click(); }, [](TForm1& main) { main.N3Click(); });
}

// "Удалить" of every point.
void BM_Window_DeleteAll(benchmark::State& state) {
    GeneratedSurvey& field = survey(state);
    for (auto _ : state) {
        state.PauseTiming();
        field.refill();
        field.main().Button3Click();
        field.settle();
        state.ResumeTiming();
        field.main().N1Click();
        field.settle();
    }
    field.refill();  // outside the timed loop
}

// One wheel notch, in and out by turns, with every point on the plan (share 1) or one in a
// hundred (share 0.01); nothing selected, or every point selected and labelled.
void zoom(benchmark::State& state, double share, bool everyPointSelected = false) {
    GeneratedSurvey& field = survey(state);
    field.showShare(share);
    field.selectAll(everyPointSelected);
    bool in = true;
    for (auto _ : state) {
        if (in) {
            field.main().OnMouseWhellUp();
        } else {
            field.main().OnMouseWhellDown();
        }
        in = !in;
        field.settle();
    }
}

// A drag of 20 control pixels, right and back by turns: the press picks, the release pans.
void pan(benchmark::State& state, double share) {
    GeneratedSurvey& field = survey(state);
    field.showShare(share);
    field.selectAll(false);
    const QPoint from(5, 5);  // a corner of the plan with no point under the cursor
    int step = 20;
    for (auto _ : state) {
        field.main().Panel1MouseDown(from);
        field.main().Panel1MouseUp(from + QPoint(step, 0));
        step = -step;
        field.settle();
    }
}

// One keystroke in a cell of the middle point, as the table's editor hands it over, by turns
// one of two texts: an X that moves the point 50 m and back, or a number that grows and
// shrinks.
void typeInto(benchmark::State& state, int column, const QString (&texts)[2]) {
    GeneratedSurvey& field = survey(state);
    field.refill();
    auto* table = field.main().findChild<QTableView*>("StringGrid1")->model();
    const QModelIndex cell = table->index(static_cast<int>(field.count() / 2), column);
    std::size_t turn = 0;
    for (auto _ : state) {
        table->setData(cell, texts[turn++ % 2]);
        field.settle();
    }
}

void BM_Window_TypeCoordinate(benchmark::State& state) {
    typeInto(state, kXColumn, {QStringLiteral("5412050.5"), QStringLiteral("5412000.5")});
}
void BM_Window_TypeNumber(benchmark::State& state) {
    typeInto(state, kNumberColumn, {QStringLiteral("17"), QStringLiteral("175")});
}

// The floor of zoom and pan with every point on the plan: the bitmap cleared, then each point
// projected and its 4 × 4 disc stored, without the corners, in its colour, as plain loops,
// in the two views a wheel notch in and out gives by turns.
void BM_Window_WholePlanFloor(benchmark::State& state) {
    GeneratedSurvey& field = survey(state);
    field.showShare(1);
    field.main().OnMouseWhellUp();
    const ViewState zoomedIn = field.data().view.state();
    field.main().OnMouseWhellDown();
    const ViewState zoomedOut = field.data().view.state();
    field.settle();
    const PointStore& store = field.data().points.store();
    QImage bitmap(field.main().plan().bitmap().size(), QImage::Format_RGB32);
    const auto stride = static_cast<std::ptrdiff_t>(bitmap.bytesPerLine() / sizeof(QRgb));
    const int lastLeft = bitmap.width() - 4;
    const int lastTop = bitmap.height() - 4;
    const std::size_t count = store.count();
    const auto* const x = store.x().data();
    const auto* const y = store.y().data();
    const auto* const z = store.z().data();
    const auto* const colour = store.colour().data();
    bool in = true;
    for (auto _ : state) {
        const ViewTransform transform(in ? zoomedIn : zoomedOut, bitmap.width() * 0.5,
                                      bitmap.height() * 0.5);
        in = !in;
        bitmap.fill(Qt::black);
        auto* const bits = reinterpret_cast<QRgb*>(bitmap.bits());
        for (std::size_t i = 0; i < count; ++i) {
            const ScreenPoint at = transform.project(x[i], y[i], z[i]);
            const int left = static_cast<int>(at.x) - 2;
            const int top = static_cast<int>(at.y) - 2;
            if (left < 0 || top < 0 || left > lastLeft || top > lastTop) continue;
            const auto ink = static_cast<QRgb>(colour[i]);
            QRgb* row = bits + top * stride + left;
            row[1] = row[2] = ink;
            row += stride;
            row[0] = row[1] = row[2] = row[3] = ink;
            row += stride;
            row[0] = row[1] = row[2] = row[3] = ink;
            row += stride;
            row[1] = row[2] = ink;
        }
        benchmark::DoNotOptimize(bitmap.constBits());
    }
    state.counters["pixels"] = bitmap.width() * bitmap.height();
}

void BM_Window_ZoomAllVisible(benchmark::State& state) { zoom(state, 1); }
void BM_Window_ZoomOnePercentVisible(benchmark::State& state) { zoom(state, 0.01); }
void BM_Window_ZoomAllSelected(benchmark::State& state) { zoom(state, 1, true); }
void BM_Window_PanAllVisible(benchmark::State& state) { pan(state, 1); }
void BM_Window_PanOnePercentVisible(benchmark::State& state) { pan(state, 0.01); }

// Registered size by size, so that each survey is built once.
const bool registered = [] {
    const std::pair<const char*, void (*)(benchmark::State&)> commands[] = {
        {"BM_Window_SelectAll", BM_Window_SelectAll},
        {"BM_Window_SelectAllWholePlan", BM_Window_SelectAllWholePlan},
        {"BM_Window_FreezeAll", BM_Window_FreezeAll},
        {"BM_Window_UnfreezeAll", BM_Window_UnfreezeAll},
        {"BM_Window_DeleteAll", BM_Window_DeleteAll},
        {"BM_Window_TypeCoordinate", BM_Window_TypeCoordinate},
        {"BM_Window_TypeNumber", BM_Window_TypeNumber},
        {"BM_Window_WholePlanFloor", BM_Window_WholePlanFloor},
        {"BM_Window_ZoomAllVisible", BM_Window_ZoomAllVisible},
        {"BM_Window_ZoomOnePercentVisible", BM_Window_ZoomOnePercentVisible},
        {"BM_Window_ZoomAllSelected", BM_Window_ZoomAllSelected},
        {"BM_Window_PanAllVisible", BM_Window_PanAllVisible},
        {"BM_Window_PanOnePercentVisible", BM_Window_PanOnePercentVisible}};
    for (const std::int64_t points : {1'000'000, 10'000'000}) {
        for (const auto& [name, command] : commands) {
            auto* benchmark = benchmark::RegisterBenchmark(name, command);
            benchmark->ArgName("points")->Arg(points)->Unit(benchmark::kMillisecond)->UseRealTime();
            if (command == BM_Window_DeleteAll) benchmark->Iterations(1);
        }
    }
    return true;
}();

}  // namespace

void bench::releaseKeptSurvey() { keptSurvey.reset(); }

}  // namespace korvela
