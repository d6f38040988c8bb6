#include "points/change_history.h"

#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <random>
#include <string>
#include <tuple>
#include <vector>

#include "points/point_table_text.h"
#include "points/workspace.h"

namespace korvela {
namespace {

PointStore pointsNumbered(const std::vector<std::string>& numbers, std::int32_t colour) {
    PointStore store;
    for (const std::string& number : numbers) {
        const double x = static_cast<double>(store.count() + 1);
        store.append(number, x, 2 * x, 3 * x, colour, kKindPoint);
    }
    return store;
}

// Everything undo brings back, copied whole.
struct Snapshot {
    std::vector<PointFlag> active;
    PointNumbers number;
    std::vector<double> x, y, z;
    std::vector<PointFlag> kind;
    std::vector<std::int32_t> colour, selected;
    std::string status;
    std::vector<TypedText> typed;

    static Snapshot of(const Workspace& points) {
        const PointStore& s = points.store();
        return {s.active(), s.number(),        s.x(),           s.y(), s.z(), s.kind(),
                s.colour(), points.selected(), points.status(), points.typedTexts().all()};
    }
    friend bool operator==(const Snapshot&, const Snapshot&) = default;
};

// The history as a list of whole snapshots: each step keeps the state it found, and undo or
// redo exchanges it with the current one. Steps are made, merged and dropped by the rules the
// workspace promises.
class SnapshotHistory {
public:
    explicit SnapshotHistory(std::size_t maxSteps) : maxSteps_(maxSteps) {}

    void record(const Snapshot& found, bool typing, std::size_t point, int column) {
        const bool merges = typing && typingOpen_ && point == typedPoint_ &&
                            column == typedColumn_ && next_ == steps_.size();
        typingOpen_ = typing;
        typedPoint_ = point;
        typedColumn_ = column;
        if (merges) return;
        steps_.resize(next_);
        steps_.push_back(found);
        if (steps_.size() > maxSteps_) steps_.pop_front();
        next_ = steps_.size();
    }
    bool undo(Snapshot& current) {
        typingOpen_ = false;
        if (next_ == 0) return false;
        std::swap(current, steps_[--next_]);
        return true;
    }
    bool redo(Snapshot& current) {
        typingOpen_ = false;
        if (next_ == steps_.size()) return false;
        std::swap(current, steps_[next_++]);
        return true;
    }
    std::size_t undoCount() const { return next_; }
    std::size_t redoCount() const { return steps_.size() - next_; }

private:
    std::size_t maxSteps_;
    std::deque<Snapshot> steps_;
    std::size_t next_ = 0;
    bool typingOpen_ = false;
    std::size_t typedPoint_ = 0;
    int typedColumn_ = 0;
};

// A long random mix of every command, selection changes, undos and redos on a small survey:
// after each one the workspace equals the model that keeps whole copies.
TEST(ChangeHistoryTest, RandomCommandsUndosAndRedosMatchWholeSnapshots) {
    Workspace points;
    points.replace(pointsNumbered({"1", "2", "3", "4", "5"}, kColourAqua), {0, 1}, "survey.sdr");
    SnapshotHistory model(HistoryLimits().steps);
    model.record(Snapshot(), false, 0, 0);  // the first replace is a step too
    Snapshot expected = Snapshot::of(points);
    ASSERT_EQ(points.history().undoCount(), 1u);

    std::mt19937 random(20261208);
    const auto pick = [&random](std::size_t n) {
        return std::uniform_int_distribution<std::size_t>(0, n - 1)(random);
    };
    const std::vector<std::string> texts = {"7", "1,5", "-2.25", "12a", "", "A1", "7"};
    for (int round = 0; round < 4000; ++round) {
        const Snapshot found = Snapshot::of(points);
        const std::size_t count = points.store().count();
        const std::size_t command = pick(12);
        bool step = false;
        bool typing = false;
        std::size_t point = 0;
        int column = 0;
        switch (command) {
            case 0:
                points.replace(pointsNumbered({"r1", "r2", "r3"}, kColourGreen), {1}, "other.sdr");
                step = !(Snapshot::of(points) == found);  // the same points again are no step
                break;
            case 1:
                points.append(pointsNumbered(std::vector<std::string>(pick(3), "n"), kColourGreen),
                              pick(2) == 1);
                step = points.store().count() != count;
                break;
            case 2:
                step = points.eraseSelected() > 0;
                break;
            case 3:
                points.setActiveOfSelected(static_cast<std::int32_t>(pick(2)));
                step = points.store().active() != found.active;
                break;
            case 4:
                points.setAllColours(pick(2) == 1 ? kColourAqua : kColourGreen);
                step = points.store().colour() != found.colour;
                break;
            case 5:
            case 6:
                point = count > 0 ? pick(count) : 0;
                column = static_cast<int>(kNumberColumn + pick(kPointColumns - 1));
                step = typing = points.typeCell(point, column, texts[pick(texts.size())]);
                break;
            case 7:
                if (count > 0) points.setSelected(pick(count), pick(2) == 1);
                break;
            case 8:
                points.setAllSelected(pick(2) == 1);
                break;
            case 9:
                points.undo();
                model.undo(expected);
                break;
            case 10:
                points.redo();
                model.redo(expected);
                break;
            default:
                if (count == 0) points.replace(PointStore(), {}, "", "Закрыть проект");
                step = count == 0 && !(Snapshot::of(points) == found);
                break;
        }
        if (step) model.record(found, typing, point, column);
        if (command != 9 && command != 10) expected = Snapshot::of(points);
        ASSERT_EQ(Snapshot::of(points), expected) << "round " << round << ", command " << command;
        ASSERT_EQ(points.history().undoCount(), model.undoCount()) << "round " << round;
        ASSERT_EQ(points.history().redoCount(), model.redoCount()) << "round " << round;
    }
}

// On ten thousand points, a step that changes a few keeps a few hundred bytes, no copy.
TEST(ChangeHistoryTest, StepsHoldOnlyWhatTheyChanged) {
    const std::vector<std::pair<const char*, std::function<void(Workspace&)>>> commands = {
        {"typed cell", [](Workspace& w) { w.typeCell(5, kXColumn, "1,5"); }},
        {"freeze", [](Workspace& w) { w.setActiveOfSelected(0); }},
        {"erase", [](Workspace& w) { w.eraseSelected(); }},
        {"append", [](Workspace& w) { w.append(pointsNumbered({"n"}, kColourAqua)); }},
        {"one colour", [](Workspace& w) { w.setAllColours(kColourAqua); }},
    };
    for (const auto& [name, command] : commands) {
        Workspace points;
        PointStore many = pointsNumbered(std::vector<std::string>(10000, "p"), kColourAqua);
        many.append("green", 1, 2, 3, kColourGreen, kKindPoint);
        std::vector<std::int32_t> selected(many.count(), 0);
        selected[7] = selected[8] = 1;
        points.replace(std::move(many), std::move(selected), "s");
        const std::size_t before = points.history().bytes();
        command(points);
        ASSERT_EQ(points.history().undoCount(), 2u) << name;
        EXPECT_LT(points.history().bytes() - before, 512u) << name;
    }
}

// Five equal steps under bounds of three steps, or of the bytes of two and a half steps.
TEST(ChangeHistoryTest, TheBoundDropsTheOldestSteps) {
    const PointStore added =
        pointsNumbered(std::vector<std::string>(50, "a long point number"), kColourAqua);
    const auto appendFiveTimes = [&added](HistoryLimits limits) {
        auto points = std::make_unique<Workspace>(limits);
        points->replace(pointsNumbered({"base"}, kColourAqua), {}, "s");
        for (int i = 0; i < 5; ++i) points->append(added);
        return points;
    };
    const std::size_t stepBytes = appendFiveTimes({1, 1u << 30})->history().bytes();
    struct Case {
        const char* name;
        HistoryLimits limits;
        std::size_t stepsKept;
    };
    for (const Case& c : {Case{"three steps", {3, 1u << 30}, 3},
                          Case{"two and a half steps' bytes", {100, stepBytes * 5 / 2}, 2},
                          Case{"less than one step", {100, stepBytes / 2}, 0}}) {
        auto points = appendFiveTimes(c.limits);
        EXPECT_EQ(points->history().undoCount(), c.stepsKept) << c.name;
        EXPECT_LE(points->history().bytes(), c.limits.bytes) << c.name;
        while (points->undo()) {}
        // The oldest went: undo stops at the points the kept steps found.
        EXPECT_EQ(points->store().count(), 1 + (5 - c.stepsKept) * added.count()) << c.name;
    }
}

TEST(ChangeHistoryTest, ANewStepAfterUndoDropsTheRedoSteps) {
    Workspace points;
    points.replace(pointsNumbered({"a", "b"}, kColourAqua), {1}, "s", "Импорт");
    points.setActiveOfSelected(0);
    points.undo();
    EXPECT_EQ(points.history().redoName(), "Заморозить");
    points.setSelected(1, true);  // selecting is no step: redo stays
    EXPECT_TRUE(points.history().canRedo());
    points.eraseSelected();
    EXPECT_FALSE(points.history().canRedo());
    EXPECT_EQ(points.history().undoName(), "Удалить 2 точки");
    points.undo();
    EXPECT_EQ(points.history().undoName(), "Импорт");
}

TEST(ChangeHistoryTest, EraseStepsAreNamedWithTheRussianCountForm) {
    const std::vector<std::pair<std::size_t, const char*>> cases = {
        {1, "Удалить 1 точку"},      {2, "Удалить 2 точки"},   {4, "Удалить 4 точки"},
        {5, "Удалить 5 точек"},      {11, "Удалить 11 точек"}, {12, "Удалить 12 точек"},
        {21, "Удалить 21 точку"},    {22, "Удалить 22 точки"}, {111, "Удалить 111 точек"},
        {1000, "Удалить 1000 точек"}};
    for (const auto& [count, name] : cases) EXPECT_EQ(erasingStepName(count), name) << count;
}

}  // namespace
}  // namespace korvela
