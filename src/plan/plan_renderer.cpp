#include "plan/plan_renderer.h"

#include <QFont>
#include <QFontInfo>
#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <array>
#include <cmath>
#include <optional>
#include <string_view>

#include "ui/qt_text.h"
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
constexpr double kAxisLength = 0.3;  // in scaled units: 0.3 of the half size
constexpr double kAxisLetterDistance = 25;
constexpr double kLargestCoordinate = 1e9;  // beyond this nothing can be on the bitmap

QRgb toRgb(std::int32_t colour) {
    return qRgb(colour & 0xFF, (colour >> 8) & 0xFF, (colour >> 16) & 0xFF);
}

QColor toColour(std::int32_t colour) { return QColor::fromRgb(toRgb(colour)); }

bool drawable(double coordinate) { return std::fabs(coordinate) < kLargestCoordinate; }

int truncated(double coordinate) { return static_cast<int>(std::trunc(coordinate)); }

// Writes the points straight into the bitmap's pixels: a painter's ellipse and text calls per
// point would cost a hundred times more with a million points.
class PixelWriter {
public:
    explicit PixelWriter(QImage& bitmap)
        : bits_(bitmap.bits()), stride_(bitmap.bytesPerLine()), width_(bitmap.width()),
          height_(bitmap.height()) {}

    void set(int x, int y, QRgb colour) {
        if (x < 0 || y < 0 || x >= width_ || y >= height_) return;
        reinterpret_cast<QRgb*>(bits_ + static_cast<qsizetype>(y) * stride_)[x] = colour;
    }

    // The filled ellipse in the box from (left, top) up to, not including, (right, bottom).
    void disc(int left, int top, int right, int bottom, QRgb colour) {
        if (right - left == 4 && bottom - top == 4 && left >= 0 && top >= 0 && right <= width_ &&
            bottom <= height_) {
            return smallDisc(left, top, colour);
        }
        const double middleX = (left + right) * 0.5;
        const double middleY = (top + bottom) * 0.5;
        const double radiusX = (right - left) * 0.5;
        const double radiusY = (bottom - top) * 0.5;
        for (int y = std::max(top, 0); y < std::min(bottom, height_); ++y) {
            const double dy = (y + 0.5 - middleY) / radiusY;
            for (int x = std::max(left, 0); x < std::min(right, width_); ++x) {
                const double dx = (x + 0.5 - middleX) / radiusX;
                if (dx * dx + dy * dy <= 1) set(x, y, colour);
            }
        }
    }

    // A horizontal line from x up to, not including, x + length.
    void line(int x, int y, int length, QRgb colour) {
        if (y < 0 || y >= height_) return;
        for (int at = std::max(x, 0); at < std::min(x + length, width_); ++at) set(at, y, colour);
    }

    bool rowsVisible(int top, int bottom) const { return bottom > 0 && top < height_; }

private:
    // The usual disc, 4 × 4 pixels without its corners, written row by row.
    void smallDisc(int left, int top, QRgb colour) {
        QRgb* row = reinterpret_cast<QRgb*>(bits_ + static_cast<qsizetype>(top) * stride_) + left;
        row[1] = row[2] = colour;
        row = reinterpret_cast<QRgb*>(reinterpret_cast<uchar*>(row) + stride_);
        row[0] = row[1] = row[2] = row[3] = colour;
        row = reinterpret_cast<QRgb*>(reinterpret_cast<uchar*>(row) + stride_);
        row[0] = row[1] = row[2] = row[3] = colour;
        row = reinterpret_cast<QRgb*>(reinterpret_cast<uchar*>(row) + stride_);
        row[1] = row[2] = colour;
    }

    uchar* bits_;
    qsizetype stride_;
    int width_;
    int height_;
};

// Label texts written from a cache of the font's glyphs, one mask per Windows-1251 byte.
class LabelWriter {
public:
    explicit LabelWriter(const QFont& font) : font_(font), metrics_(font) {}

    int height() const { return metrics_.height(); }

    void write(PixelWriter& pixels, int left, int top, std::string_view bytes, QRgb colour) {
        if (!pixels.rowsVisible(top, top + height())) return;
        int x = left;
        for (const char byte : bytes) {
            const Glyph& shape = glyph(static_cast<unsigned char>(byte));
            for (const QPoint& dot : shape.dots) pixels.set(x + dot.x(), top + dot.y(), colour);
            x += shape.advance;
        }
    }

private:
    struct Glyph {
        std::vector<QPoint> dots;  // the glyph's pixels from its cell's top left corner
        int advance = 0;
    };

    const Glyph& glyph(unsigned char byte) {
        std::optional<Glyph>& cached = glyphs_[byte];
        if (!cached)
            cached =
                drawGlyph(fromCp1251(std::string_view(reinterpret_cast<const char*>(&byte), 1)));
        return *cached;
    }

    Glyph drawGlyph(const QString& character) const {
        const int margin = metrics_.height();  // room for glyphs reaching out of their cell
        QImage image(metrics_.horizontalAdvance(character) + 2 * margin, metrics_.height(),
                     QImage::Format_RGB32);
        image.fill(Qt::black);
        QPainter painter(&image);
        painter.setFont(font_);
        painter.setPen(Qt::white);
        painter.drawText(QPoint(margin, metrics_.ascent()), character);
        painter.end();
        Glyph shape;
        shape.advance = metrics_.horizontalAdvance(character);
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) {
                if ((image.pixel(x, y) & 0xFFFFFF) != 0) shape.dots.emplace_back(x - margin, y);
            }
        }
        return shape;
    }

    QFont font_;
    QFontMetrics metrics_;
    std::array<std::optional<Glyph>, 256> glyphs_;
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

// The bitmap as a canvas of the point walk: pixels written straight into it.
class PixelCanvas {
public:
    PixelCanvas(QImage& bitmap, const QFont& font, int fontHeight)
        : pixels_(bitmap), labels_(font), fontHeight_(fontHeight) {}

    int fontHeight() const { return fontHeight_; }
    void disc(int left, int top, int right, int bottom, QRgb colour) {
        pixels_.disc(left, top, right, bottom, colour);
    }
    void line(int x, int y, int length, QRgb colour) { pixels_.line(x, y, length, colour); }
    void text(int left, int top, std::string_view bytes, QRgb colour) {
        labels_.write(pixels_, left, top, bytes, colour);
    }

private:
    PixelWriter pixels_;
    LabelWriter labels_;
    int fontHeight_;
};

// A painter as a canvas of the point walk: the same shapes as vector drawing, for paper.
// Shapes wholly outside the frame of width × height are left out.
class PainterCanvas {
public:
    PainterCanvas(QPainter& painter, int fontHeight, QSize frame)
        : painter_(painter), fontHeight_(fontHeight), frame_(QPoint(0, 0), frame) {
        painter_.setPen(Qt::NoPen);
    }

    int fontHeight() const { return fontHeight_; }
    void disc(int left, int top, int right, int bottom, QRgb colour) {
        const QRectF box(left, top, right - left, bottom - top);
        if (!frame_.intersects(box)) return;
        painter_.setBrush(QColor::fromRgb(colour));
        painter_.drawEllipse(box);
    }
    void line(int x, int y, int length, QRgb colour) {
        const QRectF box(x, y, length, 1);
        if (!frame_.intersects(box)) return;
        painter_.fillRect(box, QColor::fromRgb(colour));
    }
    void text(int left, int top, std::string_view bytes, QRgb colour) {
        const QString label = fromCp1251(bytes);
        const QFontMetrics metrics = painter_.fontMetrics();
        if (!frame_.intersects(QRectF(left, top, metrics.horizontalAdvance(label), fontHeight_))) {
            return;
        }
        painter_.setPen(QColor::fromRgb(colour));
        painter_.drawText(QPointF(left, top + metrics.ascent()), label);
        painter_.setPen(Qt::NoPen);
    }

private:
    QPainter& painter_;
    int fontHeight_;
    QRectF frame_;
};

template <typename Canvas>
void drawLabels(Canvas& canvas, const ViewState& view, const PointStore& store, std::size_t point,
                ScreenPoint at) {
    if (!view.showNumbers && !view.showHeights) return;
    const QRgb yellow = toRgb(kPlanYellow);
    const int left = truncated(at.x);
    canvas.line(left, truncated(at.y), truncated(at.x + kLeaderLength) - left, yellow);
    if (view.showNumbers) {
        canvas.text(left, truncated(at.y - kLabelGap - canvas.fontHeight()), store.number()[point],
                    yellow);
    }
    if (view.showHeights) {
        char height[kNumberTextCapacity];
        canvas.text(left, truncated(at.y),
                    std::string_view(height, formatNumberInto(store.z()[point], height)), yellow);
    }
}

// Every active point as a small disc in its colour (selected ones yellow and labelled),
// entered in the pick list when there is one.
template <typename Canvas>
void drawPoints(Canvas& canvas, const ViewTransform& transform, const ViewState& view,
                const std::vector<std::int32_t>& selected, const PointStore& store,
                PickList* pickList) {
    const QRgb yellow = toRgb(kPlanYellow);
    const auto& x = store.x();
    const auto& y = store.y();
    const auto& z = store.z();
    for (std::size_t i = 0; i < x.size(); ++i) {
        const ScreenPoint at = transform.project(x[i], y[i], z[i]);
        if (store.active()[i] != 1) continue;
        if (pickList) pickList->append(at.x, at.y, static_cast<int>(i));
        if (!drawable(at.x) || !drawable(at.y)) continue;
        const bool isSelected = selected[i] == 1;
        canvas.disc(truncated(at.x - kDiscRadius), truncated(at.y - kDiscRadius),
                    truncated(at.x + kDiscRadius), truncated(at.y + kDiscRadius),
                    isSelected ? yellow : toRgb(store.colour()[i]));
        if (isSelected) drawLabels(canvas, view, store, i, at);
    }
}

// The label font without smoothing, so that its pixels keep the plan's own colours.
QFont crispFont(const QFont& labelFont) {
    QFont font = labelFont;
    font.setStyleStrategy(QFont::NoAntialias);
    return font;
}

}  // namespace

void Redraw(PickList& pickList, QImage& bitmap, const ViewState& view,
            const std::vector<std::int32_t>& selected, const PointStore& store,
            const QFont& labelFont) {
    pickList.clear();
    if (bitmap.isNull()) return;  // a control with no area: nothing to draw on
    const double cx = bitmap.width() * 0.5;
    const double cy = bitmap.height() * 0.5;
    const ViewTransform transform(view, cx, cy);
    bitmap.fill(toRgb(kPlanBackground));

    const QFont font = crispFont(labelFont);
    {
        QPainter painter(&bitmap);
        painter.setFont(font);
        painter.setPen(toColour(kPlanRed));
        drawAxisCross(painter, transform, view, cx, cy);
    }
    pickList.x.reserve(store.count());
    pickList.y.reserve(store.count());
    pickList.index.reserve(store.count());
    PixelCanvas canvas(bitmap, font, std::abs(QFontInfo(labelFont).pixelSize()));
    drawPoints(canvas, transform, view, selected, store, &pickList);
}

void DrawPlan(QPainter& painter, QSize frame, const ViewState& view,
              const std::vector<std::int32_t>& selected, const PointStore& store,
              const QFont& labelFont) {
    const double cx = frame.width() * 0.5;
    const double cy = frame.height() * 0.5;
    const ViewTransform transform(view, cx, cy);
    painter.save();
    painter.setClipRect(QRect(QPoint(0, 0), frame));
    painter.fillRect(QRect(QPoint(0, 0), frame), toColour(kPlanBackground));
    // Sizes in frame pixels, as on the screen, whatever the device's resolution.
    const int fontHeight = std::abs(QFontInfo(labelFont).pixelSize());
    QFont font = labelFont;
    font.setPixelSize(fontHeight);
    painter.setFont(font);
    painter.setPen(toColour(kPlanRed));
    drawAxisCross(painter, transform, view, cx, cy);
    PainterCanvas canvas(painter, fontHeight, frame);
    drawPoints(canvas, transform, view, selected, store, nullptr);
    painter.restore();
}

}  // namespace korvela
