// A label is drawn only where its box overlaps no label drawn before it, on the plan and on
// paper (plan_grid_test.cpp holds the grid's plan to this one). The expected picture is put
// together from the points unlabelled and, over them, what each label expected adds when its
// point is the only one selected.
#include <gtest/gtest.h>

#include <QFontInfo>
#include <QFontMetrics>
#include <QImage>
#include <QPainter>

#include "plan/pick_list.h"
#include "plan/plan_renderer.h"
#include "points/view_state.h"
#include "points/point_store.h"

namespace korvela {
namespace {

constexpr int kSide = 200;  // one metre a pixel: survey (X, Y) is drawn at (100 + Y, 100 - X)
QFont labelFont() { return QFont(QStringLiteral("DejaVu Sans"), 9); }

using Selection = std::vector<std::int32_t>;

QImage plan(const PointStore& store, const Selection& selected, const ViewState& view) {
    QImage bitmap(kSide, kSide, QImage::Format_RGB32);
    PickList pickList;
    Redraw(pickList, bitmap, view, selected, store, labelFont());
    return bitmap;
}

QImage paper(const PointStore& store, const Selection& selected, const ViewState& view) {
    QImage page(kSide, kSide, QImage::Format_RGB32);
    QPainter painter(&page);
    DrawPlan(painter, QSize(kSide, kSide), view, selected, store, labelFont(), kScreenPalette);
    return page;
}

struct Layout {
    std::string name;
    std::vector<QPointF> at;  // bitmap pixels
    std::vector<std::size_t> labelled;
    std::uint8_t showNumbers = 1, showHeights = 1;
    std::string numbers = "";  // in front of 1, 2, 3, ...
    double heights = 0;        // plus 0, 1, 2, ...
};

// Short numbers and heights: a box is the 40-pixel leader wide and reaches from the number's
// top, 3 pixels and a font height above the line, to the bottom of the lowest text cell.
TEST(PlanLabels, ALabelIsDrawnOnlyWhereItOverlapsNoLabelDrawnBefore) {
    QFont font = labelFont();
    font.setPixelSize(std::abs(QFontInfo(font).pixelSize()));
    const int cell = QFontMetrics(font).height();
    const double tall = 3 + font.pixelSize() + cell;
    const double numbersTall = std::max(4 + font.pixelSize(), cell);
    // Past the leader of the first, not past a text of 11 characters.
    const std::vector<QPointF> wide = {{20.5, 99.5}, {61.5, 99.5}, {120.5, 99.5}};
    // The second box touches the first, the third overlaps the second by a pixel.
    const auto stack = [](double box) {
        return std::vector<QPointF>{{50.5, 40.5}, {50.5, 40.5 + box}, {50.5, 39.5 + 2 * box}};
    };
    std::vector<Layout> layouts = {
        {"side by side, touching", {{20.5, 99.5}, {60.5, 99.5}, {100.5, 99.5}}, {0, 1, 2}},
        {"side by side, a pixel over", {{20.5, 99.5}, {59.5, 99.5}, {98.5, 99.5}}, {0, 2}},
        {"stacked", stack(tall), {0, 1}},
        {"numbers only, stacked", stack(numbersTall), {0, 1}, 1, 0},
        {"heights only, stacked", stack(cell), {0, 1}, 0, 1},
        {"a number wider than the leader", wide, {0, 2}, 1, 0, "1234567890"},
        {"a height wider than the leader", wide, {0, 2}, 0, 1, "", 1234567.125},
    };
    for (const int count : {10, 100000}) {  // within 3 × 3 pixels: the first label only
        layouts.push_back({"on one spot, " + std::to_string(count), {}, {0}});
        for (int i = 0; i < count; ++i)
            layouts.back().at.emplace_back(100.5 + i % 3, 99.5 + i / 3 % 3);
    }
    for (const Layout& layout : layouts) {
        PointStore store;  // yellow: unselected, a point looks selected and unlabelled
        for (std::size_t i = 0; i < layout.at.size(); ++i) {
            store.append(layout.numbers + std::to_string(i + 1), kSide / 2 - layout.at[i].y(),
                         layout.at[i].x() - kSide / 2, layout.heights + i % 9, kPlanYellow, 1);
        }
        ViewState view;
        view.scale = 2.0 / kSide;
        view.showNumbers = layout.showNumbers;
        view.showHeights = layout.showHeights;
        for (const auto draw : {plan, paper}) {
            SCOPED_TRACE(layout.name);
            const QImage unlabelled = draw(store, Selection(store.count(), 0), view);
            QImage expected = unlabelled;
            for (const std::size_t point : layout.labelled) {
                Selection alone(store.count(), 0);
                alone[point] = 1;
                const QImage added = draw(store, alone, view);
                for (int y = 0; y < kSide; ++y) {
                    for (int x = 0; x < kSide; ++x) {
                        if (added.pixel(x, y) != unlabelled.pixel(x, y))
                            expected.setPixel(x, y, added.pixel(x, y));
                    }
                }
            }
            EXPECT_TRUE(draw(store, Selection(store.count(), 1), view) == expected);
        }
    }
}

}  // namespace
}  // namespace korvela
