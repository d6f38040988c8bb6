#include "plan/plan_renderer.h"

#include <QFont>
#include <QFontInfo>
#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <array>
#include <cmath>

#include "app/qt_text.h"
#include "common/number_text.h"
#include "plan/pick_list.h"
#include "plan/view_state.h"
#include "plan/view_transform.h"
#include "points/point_store.h"

namespace korvela {
namespace {

constexpr double kDiscRadius = 2;
constexpr double kLeaderLength = 40;
constexpr double kLabelGap = 3;
constexpr double kAxisLength = 0.3;      // in scaled units: 0.3 of the half size
constexpr double kAxisLetterDistance = 25;
constexpr double kLargestCoordinate = 1e9;  // beyond this nothing can be on the bitmap

QRgb toRgb(std::int32_t colour) {
    return qRgb(colour & 0xFF, (colour >> 8) & 0xFF, (colour >> 16) & 0xFF);
}

QColor toColour(std::int32_t colour) { return QColor::fromRgb(toRgb(colour)); }

bool drawable(double coordinate) { return std::fabs(coordinate) < kLargestCoordinate; }

int truncated(double coordinate) { return static_cast<int>(std::trunc(coordinate)); }

// Writes the discs straight into the bitmap's pixels: a painter's ellipse per point would
// cost a hundred times more with a million points.
class DiscStamper {
public:
    explicit DiscStamper(QImage& bitmap)
        : bits_(bitmap.bits()), stride_(bitmap.bytesPerLine()), width_(bitmap.width()),
          height_(bitmap.height()) {}

    // The filled ellipse in the box from (left, top) up to, not including, (right, bottom).
    void stamp(int left, int top, int right, int bottom, QRgb colour) {
        const double middleX = (left + right) * 0.5;
        const double middleY = (top + bottom) * 0.5;
        const double radiusX = (right - left) * 0.5;
        const double radiusY = (bottom - top) * 0.5;
        for (int y = std::max(top, 0); y < std::min(bottom, height_); ++y) {
            auto* line = reinterpret_cast<QRgb*>(bits_ + static_cast<qsizetype>(y) * stride_);
            const double dy = (y + 0.5 - middleY) / radiusY;
            for (int x = std::max(left, 0); x < std::min(right, width_); ++x) {
                const double dx = (x + 0.5 - middleX) / radiusX;
                if (dx * dx + dy * dy <= 1) line[x] = colour;
            }
        }
    }

private:
    uchar* bits_;
    qsizetype stride_;
    int width_;
    int height_;
};

void drawTextAt(QPainter& painter, int left, int top, const QString& text) {
    painter.drawText(QPoint(left, top + painter.fontMetrics().ascent()), text);
}

// The axis cross: the directions of the survey axes in the current view, at a fixed size and
// place whatever the zoom and pan.
void drawAxisCross(QPainter& painter, const ViewTransform& transform, const ViewState& view,
                   double cx, double cy) {
    const double originX = 0.2 * cx;
    const double originY = 1.8 * cy;
    const double step = kAxisLength / view.scale;
    const ScreenPoint origin = transform.project(-view.offsetX, -view.offsetY, -view.offsetZ);
    const std::array<ScreenPoint, 3> ends = {
        transform.project(-view.offsetX + step, -view.offsetY, -view.offsetZ),
        transform.project(-view.offsetX, -view.offsetY + step, -view.offsetZ),
        transform.project(-view.offsetX, -view.offsetY, -view.offsetZ + step)};
    const char* const letters[] = {"x", "y", "z"};
    for (std::size_t axis = 0; axis < ends.size(); ++axis) {
        const double dx = ends[axis].x - origin.x;
        const double dy = ends[axis].y - origin.y;
        if (!drawable(originX + dx) || !drawable(originY + dy)) continue;
        painter.drawLine(truncated(originX), truncated(originY), truncated(originX + dx),
                         truncated(originY + dy));
        const double lengthSquared = dx * dx + dy * dy;
        if (lengthSquared == 0) continue;
        const double length = std::sqrt(lengthSquared);
        const int left = truncated(originX + kAxisLetterDistance * dx / length);
        const int top = truncated(originY + kAxisLetterDistance * dy / length);
        const QString letter = QString::fromLatin1(letters[axis]);
        const QFontMetrics metrics = painter.fontMetrics();
        painter.fillRect(QRect(left, top, metrics.horizontalAdvance(letter), metrics.height()),
                         toColour(kPlanRed));
        // Text is yellow, lines red.
        painter.setPen(toColour(kPlanYellow));
        drawTextAt(painter, left, top, letter);
        painter.setPen(toColour(kPlanRed));
    }
}

void drawLabels(QPainter& painter, const ViewState& view, const PointStore& store, std::size_t point,
                ScreenPoint at, int fontHeight) {
    if (!view.showNumbers && !view.showHeights) return;
    painter.drawLine(truncated(at.x), truncated(at.y), truncated(at.x + kLeaderLength), truncated(at.y));
    if (view.showNumbers) {
        drawTextAt(painter, truncated(at.x), truncated(at.y - kLabelGap - fontHeight),
                   fromCp1251(store.number()[point]));
    }
    if (view.showHeights) {
        drawTextAt(painter, truncated(at.x), truncated(at.y), fromUtf8(formatNumber(store.z()[point])));
    }
}

}  // namespace

void Redraw(PickList& pickList, QImage& bitmap, const ViewState& view,
            const std::vector<std::int32_t>& selected, const PointStore& store, const QFont& labelFont) {
    pickList.clear();
    const double cx = bitmap.width() * 0.5;
    const double cy = bitmap.height() * 0.5;
    const ViewTransform transform(view, cx, cy);
    bitmap.fill(toRgb(kPlanBackground));
    DiscStamper discs(bitmap);  // takes the pixels before the painter holds the bitmap

    QPainter painter(&bitmap);
    QFont font = labelFont;
    font.setStyleStrategy(QFont::NoAntialias);  // crisp pixels in the plan's own colours
    painter.setFont(font);
    painter.setPen(toColour(kPlanRed));
    drawAxisCross(painter, transform, view, cx, cy);

    painter.setPen(toColour(kPlanYellow));
    const int fontHeight = std::abs(QFontInfo(labelFont).pixelSize());
    const QRgb yellow = toRgb(kPlanYellow);
    const auto& x = store.x();
    const auto& y = store.y();
    const auto& z = store.z();
    pickList.x.reserve(x.size());
    pickList.y.reserve(x.size());
    pickList.index.reserve(x.size());
    for (std::size_t i = 0; i < x.size(); ++i) {
        const ScreenPoint at = transform.project(x[i], y[i], z[i]);
        if (store.active()[i] != 1) continue;
        pickList.append(at.x, at.y, static_cast<int>(i));
        if (!drawable(at.x) || !drawable(at.y)) continue;
        const bool isSelected = selected[i] == 1;
        discs.stamp(truncated(at.x - kDiscRadius), truncated(at.y - kDiscRadius),
                    truncated(at.x + kDiscRadius), truncated(at.y + kDiscRadius),
                    isSelected ? yellow : toRgb(store.colour()[i]));
        if (isSelected) drawLabels(painter, view, store, i, at, fontHeight);
    }
}

}  // namespace korvela
