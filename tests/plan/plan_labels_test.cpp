// Labels on the plan and on paper: a label is drawn only where its box overlaps no label drawn
// before it. Each picture is compared with one put together from the points without labels
// and each expected label drawn alone, where no other label can take its place.
#include <gtest/gtest.h>

#include <QFont>
#include <QFontInfo>
#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <functional>
#include <string>

#include "plan/pick_list.h"
#include "plan/plan_renderer.h"
#include "plan/point_grid.h"
#include "plan/view_state.h"
#include "points/point_store.h"

namespace korvela {
namespace {

constexpr int kSide = 200;

const QFont& labelFont() {
    static const QFont font(QStringLiteral("DejaVu Sans"), 9);
    return font;
}

// One metre a pixel: the point at survey (X, Y) is drawn at bitmap (100 + Y, 100 - X).
ViewState pixelView(std::uint8_t showNumbers, std::uint8_t showHeights) {
    ViewState view;
    view.scale = 2.0 / kSide;
    view.showNumbers = showNumbers;
    view.showHeights = showHeights;
    return view;
}

struct Spot {
    double x, y;  // bitmap pixels
};

// Yellow points, so that one unselected looks like a selected one without its label.
PointStore pointsAt(const std::vector<Spot>& spots) {
    PointStore store;
    for (std::size_t i = 0; i < spots.size(); ++i) {
        store.append(std::to_string(i + 1), kSide / 2 - spots[i].y, spots[i].x - kSide / 2,
                     static_cast<double>(i % 9 + 1), kPlanYellow, 1);
    }
    return store;
}

using Drawing =
    std::function<QImage(const PointStore&, const std::vector<std::int32_t>&, const ViewState&)>;

QImage planOf(const PointStore& store, const std::vector<std::int32_t>& selected,
              const ViewState& view) {
    QImage bitmap(kSide, kSide, QImage::Format_RGB32);
    PickList pickList;
    Redraw(pickList, bitmap, view, selected, store, labelFont());
    return bitmap;
}

QImage planThroughGridOf(const PointStore& store, const std::vector<std::int32_t>& selected,
                         const ViewState& view) {
    QImage bitmap(kSide, kSide, QImage::Format_RGB32);
    PickList pickList;
    PointGrid grid;
    Redraw(pickList, bitmap, view, selected, store, labelFont(), grid);
    return bitmap;
}

QImage paperOf(const PointStore& store, const std::vector<std::int32_t>& selected,
               const ViewState& view) {
    QImage page(kSide, kSide, QImage::Format_RGB32);
    QPainter painter(&page);
    DrawPlan(painter, QSize(kSide, kSide), view, selected, store, labelFont());
    return page;
}

// Every point unlabelled, then over it what each of the labelled points adds when it is the
// only one selected.
QImage puttingTogether(const Drawing& draw, const PointStore& store, const ViewState& view,
                       const std::vector<std::size_t>& labelled) {
    const QImage unlabelled = draw(store, std::vector<std::int32_t>(store.count(), 0), view);
    QImage picture = unlabelled;
    for (const std::size_t point : labelled) {
        std::vector<std::int32_t> selected(store.count(), 0);
        selected[point] = 1;
        const QImage alone = draw(store, selected, view);
        for (int y = 0; y < kSide; ++y) {
            for (int x = 0; x < kSide; ++x) {
                if (alone.pixel(x, y) != unlabelled.pixel(x, y))
                    picture.setPixel(x, y, alone.pixel(x, y));
            }
        }
    }
    return picture;
}

struct Layout {
    std::string name;
    std::vector<Spot> spots;
    std::vector<std::size_t> labelled;
    std::uint8_t showNumbers = 1;
    std::uint8_t showHeights = 1;
};

// With short numbers and heights a label's box is its 40-pixel leader wide and reaches from
// the number's top, 3 pixels and a font height above the line, down to the height's cell
// below it (without heights, to the line or the number's cell).
std::vector<Layout> layouts() {
    QFont font = labelFont();
    const int fontHeight = std::abs(QFontInfo(font).pixelSize());
    font.setPixelSize(fontHeight);
    const int cell = QFontMetrics(font).height();
    const double tall = 3 + fontHeight + cell;
    const double numberTall = std::max(3 + fontHeight + 1, cell);
    std::vector<Layout> all = {
        {"side by side, touching", {{20.5, 100.5}, {60.5, 100.5}, {100.5, 100.5}}, {0, 1, 2}},
        {"side by side, a pixel over", {{20.5, 100.5}, {59.5, 100.5}, {98.5, 100.5}}, {0, 2}},
        {"stacked, touching",
         {{50.5, 40.5}, {50.5, 40.5 + tall}, {50.5, 40.5 + 2 * tall}},
         {0, 1, 2}},
        {"stacked, a pixel over",
         {{50.5, 40.5}, {50.5, 39.5 + tall}, {50.5, 38.5 + 2 * tall}},
         {0, 2}},
        {"a corner pixel over, the next one touching",
         {{20.5, 60.5}, {59.5, 59.5 + tall}, {60.5, 59.5 + tall}},
         {0, 2}},
        {"numbers only, stacked: touching, a pixel over",
         {{50.5, 40.5}, {50.5, 40.5 + numberTall}, {50.5, 39.5 + 2 * numberTall}},
         {0, 1},
         1,
         0},
        {"heights only, stacked: touching, a pixel over",
         {{50.5, 40.5}, {50.5, 40.5 + cell}, {50.5, 39.5 + 2 * cell}},
         {0, 1},
         0,
         1},
    };
    for (const int count : {10, 1000, 100000}) {
        Layout crowd{"on one spot, " + std::to_string(count), {}, {0}};
        for (int i = 0; i < count; ++i) crowd.spots.push_back({100.5 + i % 3, 100.5 + i / 3 % 3});
        all.push_back(crowd);
    }
    return all;
}

TEST(PlanLabels, ALabelIsDrawnOnlyWhereItOverlapsNoLabelDrawnBefore) {
    const std::pair<const char*, Drawing> drawings[] = {
        {"plan", planOf}, {"plan through the grid", planThroughGridOf}, {"paper", paperOf}};
    for (const Layout& layout : layouts()) {
        for (const auto& [where, draw] : drawings) {
            SCOPED_TRACE(layout.name + " on the " + where);
            const PointStore store = pointsAt(layout.spots);
            const ViewState view = pixelView(layout.showNumbers, layout.showHeights);
            const QImage expected = puttingTogether(draw, store, view, layout.labelled);
            EXPECT_TRUE(draw(store, std::vector<std::int32_t>(store.count(), 1), view) == expected);
        }
    }
}

}  // namespace
}  // namespace korvela
