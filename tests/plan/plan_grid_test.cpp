// The plan drawn through the grid of points is the plan drawn from every point, pixel for
// pixel, and a press catches what it would catch from a list of every drawn point.
#include <gtest/gtest.h>

#include <QFont>
#include <QImage>
#include <cmath>
#include <string>

#include "plan/pick_list.h"
#include "plan/plan_renderer.h"
#include "plan/point_grid.h"
#include "points/view_state.h"
#include "points/point_store.h"
#include "points/point_table_text.h"
#include "points/workspace.h"

namespace korvela {
namespace {

constexpr int kWidth = 300;
constexpr int kHeight = 200;
constexpr double kFieldX = 5412000;  // the field's corner, national-grid sized
constexpr double kFieldY = 7312000;
constexpr double kFieldSide = 400;

struct Survey {
    PointStore store;
    std::vector<std::int32_t> selected;
    ViewState view;
};

// A scattered field of points with a dense cluster, some selected, some frozen, numbers
// short and long, and a few points no view can draw.
Survey generatedSurvey() {
    Survey data;
    std::uint64_t seed = 12345;
    const auto next = [&seed] {
        seed = seed * 6364136223846793005ULL + 1442695040888963407ULL;
        return static_cast<double>(seed >> 11) / 9007199254740992.0;  // [0, 1)
    };
    for (int i = 0; i < 20000; ++i) {
        const bool clustered = i % 10 == 0;
        const double x = kFieldX + (clustered ? 190 + 20 * next() : kFieldSide * next());
        const double y = kFieldY + (clustered ? 190 + 20 * next() : kFieldSide * next());
        const std::string number =
            i % 500 == 0 ? std::string(40, static_cast<char>(0xC0 + i % 32)) : std::to_string(i);
        data.store.append(number, x, y, 100 + 50 * next(), 0x00FFFF00 + i % 256, i % 2);
        data.selected.push_back(i % 7 == 0 ? 1 : 0);
        if (i % 11 == 0) data.store.setActive(static_cast<std::size_t>(i), 0);
    }
    // Selected points just off the view into the cluster, whose labels reach into it.
    data.store.append(std::string(40, 'W'), kFieldX + 200, kFieldY + 143, 0, 0x00FFFF00, 1);
    data.store.append("12345", kFieldX + 184.6, kFieldY + 201, 0, 0x00FFFF00, 1);
    data.store.append("nan", NAN, kFieldY, 0, 0x00FFFF00, 1);
    data.store.append("inf", kFieldX, INFINITY, 0, 0x00FFFF00, 1);
    data.selected.resize(data.store.count(), 1);
    return data;
}

struct PlanView {
    const char* name;
    double metresAcross;  // the width of the field the bitmap shows
    double centreX, centreY;
    double azimuth, tilt, roll;
    double panRight, panDown;
    std::uint8_t showNumbers, showHeights;
    std::int32_t cursorRadius;
};

ViewState viewOf(const PlanView& plan) {
    ViewState view;
    view.offsetX = -(kFieldX + plan.centreX);
    view.offsetY = -(kFieldY + plan.centreY);
    view.scale = 2 / plan.metresAcross;
    view.azimuthDeg = plan.azimuth;
    view.tiltDeg = plan.tilt;
    view.rollDeg = plan.roll;
    view.panRight = plan.panRight;
    view.panDown = plan.panDown;
    view.showNumbers = plan.showNumbers;
    view.showHeights = plan.showHeights;
    view.cursorRadius = plan.cursorRadius;
    return view;
}

const PlanView kViews[] = {
    {"whole field", 500, 200, 200, 0, 0, 0, 0, 0, 1, 1, 5},
    {"zoomed into the cluster", 30, 200, 200, 0, 0, 0, 0, 0, 1, 1, 5},
    {"zoomed on the cluster's edge", 12, 190, 210, 0, 0, 0, 0, 0, 1, 1, 5},
    {"panned", 40, 230, 170, 0, 0, 0, 45, -30, 1, 1, 5},
    {"numbers only, wide cursor", 25, 205, 195, 0, 0, 0, 0, 0, 1, 0, 40},
    {"no labels, cursor radius 0", 25, 195, 205, 0, 0, 0, 0, 0, 0, 0, 0},
    {"turned about the vertical", 30, 200, 200, 37, 0, 0, 5, 3, 1, 1, 5},
    {"tilted and rolled", 30, 200, 200, 20, 35, 50, 0, 0, 1, 1, 5},
    {"far from every point", 10, 900, -300, 0, 0, 0, 0, 0, 1, 1, 5},
};

struct Picture {
    QImage bitmap{kWidth, kHeight, QImage::Format_RGB32};
    PickList pickList;
};

void expectSamePicture(const PointStore& store, const std::vector<std::int32_t>& selected,
                       const ViewState& view, PointGrid& grid) {
    const QFont font(QStringLiteral("DejaVu Sans"), 9);
    Picture full;
    Redraw(full.pickList, full.bitmap, view, selected, store, font);
    Picture narrowed;
    Redraw(narrowed.pickList, narrowed.bitmap, view, selected, store, font, grid);
    EXPECT_TRUE(full.bitmap == narrowed.bitmap);
}

void expectSamePicture(const Survey& data, PointGrid& grid) {
    expectSamePicture(data.store, data.selected, data.view, grid);
}

std::string identifierOf(const char* name) {
    std::string identifier;
    for (const char c : std::string(name))
        identifier += std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
    return identifier;
}

class PlanGridTest : public testing::TestWithParam<PlanView> {};

TEST_P(PlanGridTest, TheGridDrawsThePictureOfEveryPoint) {
    Survey data = generatedSurvey();
    data.view = viewOf(GetParam());
    PointGrid grid;
    expectSamePicture(data, grid);
}

// Colours given for the points draw the picture of a store whose points have those colours.
TEST_P(PlanGridTest, GivenColoursDrawAsThePointsOwnWould) {
    Survey data = generatedSurvey();
    data.view = viewOf(GetParam());
    std::vector<std::int32_t> colours(data.store.count());
    Survey recoloured = data;
    for (std::size_t i = 0; i < colours.size(); ++i) {
        colours[i] = i % 3 == 0 ? 0x0000FF : data.store.colour()[i];
        recoloured.store.setColour(i, colours[i]);
    }
    const QFont font(QStringLiteral("DejaVu Sans"), 9);
    PointGrid grid;
    Picture given;
    Redraw(given.pickList, given.bitmap, data.view, data.selected, data.store, font, grid, colours);
    PointGrid ownGrid;
    Picture own;
    Redraw(own.pickList, own.bitmap, data.view, data.selected, recoloured.store, font, ownGrid);
    EXPECT_TRUE(given.bitmap == own.bitmap);
    Picture plain;
    Redraw(plain.pickList, plain.bitmap, data.view, data.selected, data.store, font, grid);
    // Where points are in view, some of the recoloured ones show.
    if (!plain.pickList.index.empty()) {
        EXPECT_FALSE(given.bitmap == plain.bitmap);
    }
}

// Presses all over the bitmap and along its edges, where circles reach in from outside.
TEST_P(PlanGridTest, APressCatchesWhatItCaughtAmongEveryDrawnPoint) {
    Survey data = generatedSurvey();
    data.view = viewOf(GetParam());
    Picture everyPoint;
    Redraw(everyPoint.pickList, everyPoint.bitmap, data.view, data.selected, data.store, QFont());
    PointGrid grid;
    Picture picture;
    Redraw(picture.pickList, picture.bitmap, data.view, data.selected, data.store, QFont(), grid);
    EXPECT_LE(picture.pickList.index.size(), everyPoint.pickList.index.size());
    int caughtAnywhere = 0;
    for (double bx = 0; bx <= kWidth; bx += kWidth % 7 == 0 ? 6.5 : 7) {
        for (const double by : {0.0, 0.5, 1.0, 67.3, 133.0, kHeight - 1.0, double(kHeight)}) {
            std::vector<std::int32_t> expected = data.selected;
            std::vector<std::int32_t> actual = data.selected;
            const int caught =
                PickAt(everyPoint.pickList, data.view.cursorRadius, bx, by, expected);
            ASSERT_EQ(PickAt(picture.pickList, data.view.cursorRadius, bx, by, actual), caught)
                << bx << ", " << by;
            ASSERT_EQ(actual, expected);
            caughtAnywhere += caught;
        }
    }
    if (std::string(GetParam().name) != "far from every point") {
        EXPECT_GT(caughtAnywhere, 0);
    }
}

INSTANTIATE_TEST_SUITE_P(Views, PlanGridTest, testing::ValuesIn(kViews),
                         [](const testing::TestParamInfo<PlanView>& info) {
                             return identifierOf(info.param.name);
                         });

// After points move, come and go, or change their numbers, the same grid still draws them.
TEST(PlanGrid, FollowsTheStore) {
    Survey data = generatedSurvey();
    data.view = viewOf(kViews[1]);
    PointGrid grid;
    expectSamePicture(data, grid);
    data.store.setX(1, kFieldX + 200);  // into the middle of the view
    data.store.setY(1, kFieldY + 200);
    data.selected[1] = 1;
    data.store.setNumber(4, std::string(60, 'W'));
    data.store.append("new", kFieldX + 201, kFieldY + 199, 0, 0x0000FF00, 1);
    data.selected.push_back(1);
    expectSamePicture(data, grid);
    data.store.erase(2);
    data.selected.erase(data.selected.begin() + 2);
    expectSamePicture(data, grid);
    data.store.clear();
    data.selected.clear();
    expectSamePicture(data, grid);
}

struct TypedCell {
    std::size_t point;
    int column;
    std::string text;
};

struct Typing {
    const char* name;
    PlanView view;
    std::vector<TypedCell> cells;
};

// The points drawn last, on top: 20000 and 20001 selected with numbers of 40 and 5 bytes
// (20001 lies 760 pixels left of the last view), 20002 with no X; 19950, in the cluster, is
// selected. Point 7 lies anywhere.
const Typing kTypings[] = {
    {"into the view", kViews[1], {{20002, kXColumn, "5412200"}, {20002, kYColumn, "7312200,5"}}},
    {"into the view and out",
     kViews[1],
     {{20000, kXColumn, "5412205"}, {20000, kYColumn, "7312195"}, {20000, kXColumn, "5411000"}}},
    {"keystrokes across cells",
     kViews[1],
     {{20002, kXColumn, "5"},
      {20002, kXColumn, "54122"},
      {20002, kXColumn, "5412199"},
      {20002, kYColumn, "7312201"}}},
    {"off the field into a far view",
     kViews[8],
     {{7, kXColumn, "5412900"}, {7, kYColumn, "7311700"}}},
    {"a shorter number, a height",
     kViews[1],
     {{19950, kNumberColumn, "5"}, {19950, kHeightColumn, "1"}}},
    {"a longer number whose label reaches in",
     {"", 12, 184.6, 237.4, 0, 0, 0, 0, 0, 1, 1, 5},
     {{20001, kNumberColumn, std::string(100, 'W')}}},
};

class PlanGridTypingTest : public testing::TestWithParam<Typing> {};

// The grid follows typed cells point by point, then their undo and redo.
TEST_P(PlanGridTypingTest, TypedCellsKeepThePictureOfEveryPoint) {
    Survey data = generatedSurvey();
    Workspace points;
    points.replace(std::move(data.store), data.selected, "typed");
    const ViewState view = viewOf(GetParam().view);
    PointGrid grid;
    expectSamePicture(points.store(), points.selected(), view, grid);
    for (const TypedCell& cell : GetParam().cells) {
        ASSERT_TRUE(points.typeCell(cell.point, cell.column, cell.text));
        expectSamePicture(points.store(), points.selected(), view, grid);
    }
    while (points.undo()) expectSamePicture(points.store(), points.selected(), view, grid);
    while (points.redo()) expectSamePicture(points.store(), points.selected(), view, grid);
}

INSTANTIATE_TEST_SUITE_P(Typings, PlanGridTypingTest, testing::ValuesIn(kTypings),
                         [](const testing::TestParamInfo<Typing>& info) {
                             return identifierOf(info.param.name);
                         });

// Points that go and come back through the workspace (a delete, an append, their undo and
// redo) renew the grid: it never hands out points that are no longer there.
TEST(PlanGrid, FollowsDeletesAppendsAndTheirUndo) {
    Survey data = generatedSurvey();
    Workspace points;
    points.replace(std::move(data.store), data.selected, "edited");
    const ViewState view = viewOf(kViews[1]);
    PointGrid grid;
    const auto samePicture = [&] {
        expectSamePicture(points.store(), points.selected(), view, grid);
    };
    samePicture();
    points.changeSelection([](std::vector<std::int32_t>& selected) {
        for (std::size_t i = 0; i < selected.size(); i += 2) selected[i] = 1;
    });
    points.eraseSelected();
    samePicture();
    PointStore more;
    more.append("far", kFieldX + 201, kFieldY + 199, 0, 0x0000FF00, 1);
    points.append(more);
    samePicture();
    ASSERT_TRUE(points.typeCell(points.store().count() - 1, kXColumn, "5412203"));
    samePicture();
    const std::vector<double> beforeAllWent = points.store().x();
    points.setAllSelected(true);
    points.eraseSelected();  // every point: handed to the history whole
    EXPECT_EQ(points.store().count(), 0u);
    samePicture();
    ASSERT_TRUE(points.undo());
    EXPECT_EQ(points.store().x(), beforeAllWent);
    while (points.undo()) samePicture();
    while (points.redo()) samePicture();
}

}  // namespace
}  // namespace korvela
