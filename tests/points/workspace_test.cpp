#include "points/workspace.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "plan/plan_view.h"
#include "points/point_table_text.h"

namespace korvela {
namespace {

using Kind = WorkspaceChange::Kind;

PointStore pointsNumbered(std::vector<std::string> numbers) {
    PointStore store;
    for (std::string& number : numbers) {
        const double x = static_cast<double>(store.count() + 1);
        store.append(std::move(number), x, 2 * x, 3 * x, kColourAqua, kKindPoint);
    }
    return store;
}

class Recorder : public WorkspaceObserver {
public:
    void workspaceChanged(const WorkspaceChange& change) override {
        kinds.push_back(change.kind);
        last = change;
    }
    std::vector<Kind> kinds;
    WorkspaceChange last;
};

// Four points a-d, b and d selected, watched by a recorder.
struct Site {
    Site() {
        points.replace(pointsNumbered({"a", "b", "c", "d"}), {0, 1, 0, 7}, "survey.sdr");
        points.addObserver(recorder);
    }
    std::vector<std::string> numbers() const {
        std::vector<std::string> all;
        for (std::size_t i = 0; i < points.store().count(); ++i)
            all.emplace_back(points.store().number()[i]);
        return all;
    }

    Workspace points;
    Recorder recorder;
};

class WorkspaceTest : public ::testing::Test, protected Site {};

// Each command announces exactly one change, of its kind, and leaves one flag per point.
TEST_F(WorkspaceTest, EveryCommandAnnouncesOnceAndKeepsTheFlagsInStep) {
    struct Case {
        const char* name;
        std::function<void(Workspace&)> command;
        Kind kind;
        std::vector<std::string> numbers;
        std::vector<std::int32_t> selected;
    };
    const std::vector<Case> cases = {
        {"erase", [](Workspace& w) { w.eraseSelected(); }, Kind::Erased, {"a", "c"}, {0, 0}},
        {"append",
         [](Workspace& w) { w.append(pointsNumbered({"e"})); },
         Kind::Appended,
         {"a", "b", "c", "d", "e"},
         {0, 1, 0, 1, 0}},
        {"freeze",
         [](Workspace& w) { w.setActiveOfSelected(0); },
         Kind::ValuesChanged,
         {"a", "b", "c", "d"},
         {0, 1, 0, 1}},
        {"select all",
         [](Workspace& w) { w.setAllSelected(true); },
         Kind::SelectionChanged,
         {"a", "b", "c", "d"},
         {1, 1, 1, 1}},
        {"pick",
         [](Workspace& w) { w.changeSelection([](auto& flags) { flags[0] = 5; }); },
         Kind::SelectionChanged,
         {"a", "b", "c", "d"},
         {1, 1, 0, 1}},
        {"type a number",
         [](Workspace& w) { w.typeCell(2, kNumberColumn, "z"); },
         Kind::ValuesChanged,
         {"a", "b", "z", "d"},
         {0, 1, 0, 1}},
        {"close", [](Workspace& w) { w.replace(PointStore(), {}, ""); }, Kind::Replaced, {}, {}},
    };
    for (const Case& c : cases) {
        Site fresh;
        c.command(fresh.points);
        EXPECT_EQ(fresh.recorder.kinds, std::vector<Kind>{c.kind}) << c.name;
        EXPECT_EQ(fresh.numbers(), c.numbers) << c.name;
        EXPECT_EQ(fresh.points.selected(), c.selected) << c.name;
    }
}

TEST_F(WorkspaceTest, ReplaceTicksEveryFlagThatIsNotZeroAndFillsMissingOnes) {
    EXPECT_EQ(points.selected(), (std::vector<std::int32_t>{0, 1, 0, 1}));
    points.replace(pointsNumbered({"x", "y"}), {-3}, "no file");
    EXPECT_EQ(points.selected(), (std::vector<std::int32_t>{1, 0}));
    EXPECT_THROW(points.replace(pointsNumbered({"x"}), {0, 0}, ""), std::invalid_argument);
    EXPECT_EQ(points.store().count(), 2u);  // the refused replace changed nothing
}

TEST_F(WorkspaceTest, EraseAnnouncesWhichPointsWent) {
    points.eraseSelected();
    EXPECT_EQ(recorder.last.erasedFlags, (std::vector<std::int32_t>{0, 1, 0, 1}));
}

TEST_F(WorkspaceTest, TypedCellsChangePointsOnlyWhileDataIsPresent) {
    EXPECT_TRUE(points.typeCell(0, kXColumn, "1,5"));
    EXPECT_EQ(points.store().x()[0], 1.5);
    EXPECT_FALSE(points.typeCell(0, kXColumn, "12a"));  // no number: nothing changes
    EXPECT_FALSE(points.typeCell(9, kXColumn, "4"));    // no such point
    points.replace(pointsNumbered({"p"}), {}, "");
    EXPECT_FALSE(points.typeCell(0, kXColumn, "4"));
    EXPECT_EQ(points.store().x()[0], 1);
}

TEST_F(WorkspaceTest, AppendingToNoDataMakesTheDataPresent) {
    points.replace(PointStore(), {}, "");
    points.append(PointStore());
    EXPECT_FALSE(points.dataPresent());
    points.append(pointsNumbered({"n"}));
    EXPECT_EQ(points.status(), kNoFileStatus);
    EXPECT_EQ(recorder.last.firstAppended, 0u);
}

// A step that moved the plan's view keeps the view it found: undo brings back where the plan
// looked (the labels' settings stay as they are now), redo where it looked after the step;
// other steps leave the view alone.
TEST_F(WorkspaceTest, UndoBringsBackTheViewAStepFound) {
    struct ViewRecorder : PlanViewObserver {
        int changes = 0;
        void viewChanged(const ViewState&) override { ++changes; }
    } viewRecorder;
    PlanView view;
    view.addObserver(viewRecorder);
    points.attachView(&view);
    ViewState found = view.state();
    found.scale = 0.5;
    found.panRight = 12;
    view.change([](ViewState& moved) {
        moved.offsetX = -7;
        moved.showHeights = 0;
    });
    const ViewState after = view.state();
    points.append(pointsNumbered({"e"}), false, "Добавить к проекту", found);
    points.setAllColours(0x00123456);
    view.change([](ViewState& dragged) { dragged.panDown = 3; });  // a drag after the steps
    viewRecorder.changes = 0;
    points.undo();
    EXPECT_EQ(view.state().panDown, 3);
    EXPECT_FALSE(recorder.last.viewRestored);
    EXPECT_EQ(viewRecorder.changes, 0);
    points.undo();
    EXPECT_TRUE(recorder.last.viewRestored);
    EXPECT_EQ(viewRecorder.changes, 1);  // the view announced its change once
    EXPECT_EQ(view.state().scale, 0.5);
    EXPECT_EQ(view.state().panRight, 12);
    EXPECT_EQ(view.state().offsetX, 0);
    EXPECT_EQ(view.state().panDown, 0);
    EXPECT_EQ(view.state().showHeights, 0);
    points.redo();
    ViewState redone = after;
    redone.panDown = 3;
    EXPECT_EQ(view.state(), redone);
    EXPECT_EQ(viewRecorder.changes, 2);
}

}  // namespace
}  // namespace korvela

namespace korvela {
namespace {

std::vector<TypedText> typedTextsOf(const Workspace& points) { return points.typedTexts().all(); }

// The texts the table shows in place of the store's values follow the rows through each
// command; undo brings back those the command found, redo those it left. Arranged on a-d
// (x = 1 to 4, b and d selected): "12a" typed into a's x (no number), "3.0" into c's x (the
// value stays 3, the text differs from "3"), and d's own number typed again (nothing kept).
TEST(WorkspaceTypedTexts, FollowTheRowsAndComeBackWithUndoAndRedo) {
    const std::vector<TypedText> arranged = {{0, kXColumn, "12a"}, {2, kXColumn, "3.0"}};
    struct Case {
        const char* name;
        std::function<void(Workspace&)> command;
        std::vector<TypedText> after;
    };
    const std::vector<Case> cases = {
        {"erase b and d: c's text moves up",
         [](Workspace& w) { w.eraseSelected(); },
         {{0, kXColumn, "12a"}, {1, kXColumn, "3.0"}}},
        {"append from the workbook: the new kind cell is empty",
         [](Workspace& w) { w.append(pointsNumbered({"e"}), true); },
         {{0, kXColumn, "12a"}, {2, kXColumn, "3.0"}, {4, kKindColumn, ""}}},
        {"the store's text typed into a's x",
         [](Workspace& w) { w.typeCell(0, kXColumn, "1"); },
         {{2, kXColumn, "3.0"}}},
        {"a code typed into b", [](Workspace& w) { w.typeCell(1, kCodeColumn, "КЮ"); }, arranged},
        {"freeze", [](Workspace& w) { w.setActiveOfSelected(0); }, arranged},
        {"replace", [](Workspace& w) { w.replace(pointsNumbered({"p"}), {}, "s"); }, {}},
        {"a computation's coordinates",
         [](Workspace& w) { w.setCoordinates({{0, 5, 6, 7}}, PointStore()); },
         {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Site site;
        Workspace& points = site.points;
        points.typeCell(0, kXColumn, "12a");
        points.typeCell(2, kXColumn, "3.0");
        points.typeCell(3, kNumberColumn, "d");
        ASSERT_EQ(typedTextsOf(points), arranged);
        c.command(points);
        EXPECT_EQ(typedTextsOf(points), c.after);
        ASSERT_TRUE(points.undo());
        EXPECT_EQ(typedTextsOf(points), arranged);
        EXPECT_EQ(site.recorder.last.typedTextsChanged, c.after != arranged);
        ASSERT_TRUE(points.redo());
        EXPECT_EQ(typedTextsOf(points), c.after);
    }
}

// Before any data the empty row keeps what is typed into it, and loses it to the first point.
TEST(WorkspaceTypedTexts, TheEmptyRowKeepsItsTextUntilAPointComes) {
    Workspace points;
    Recorder recorder;
    points.addObserver(recorder);
    EXPECT_FALSE(points.typeCell(0, kXColumn, "12.5"));
    EXPECT_FALSE(points.typeCell(1, kXColumn, "7"));  // the table has no second row
    EXPECT_EQ(recorder.kinds, std::vector<Kind>{Kind::TypedTextChanged});
    EXPECT_EQ(typedTextsOf(points), (std::vector<TypedText>{{0, kXColumn, "12.5"}}));
    EXPECT_FALSE(points.history().canUndo());
    points.append(pointsNumbered({"n"}));
    EXPECT_TRUE(typedTextsOf(points).empty());
}

}  // namespace
}  // namespace korvela
