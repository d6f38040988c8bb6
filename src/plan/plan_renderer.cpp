#include "plan/plan_renderer.h"

#include <QFont>
#include <QFontInfo>
#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <array>
#include <bitset>
#include <cmath>
#include <optional>
#include <span>
#include <string_view>
#include <variant>

#include "common/number_text.h"
#include "common/work_progress.h"
#include "plan/label_space.h"
#include "plan/pick_list.h"
#include "plan/plan_sheet.h"
#include "plan/point_grid.h"
#include "points/view_state.h"
#include "plan/view_transform.h"
#include "points/point_store.h"
#include "ui/qt_text.h"

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

// Toward zero, as the conversion itself does: the coordinates handed over are drawable, well
// within an int.
int truncated(double coordinate) { return static_cast<int>(coordinate); }

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
    explicit LabelWriter(const QFont& font)
        : font_(font), metrics_(font), height_(metrics_.height()) {
        advances_.fill(-1);
    }

    // The height of a label's cell; its glyphs may reach this far left of it too.
    int height() const { return height_; }

    // The largest advance of the characters.
    int widestAdvance(const std::bitset<256>& bytes) {
        int widest = 0;
        for (std::size_t byte = 0; byte < bytes.size(); ++byte) {
            if (bytes[byte]) widest = std::max(widest, advance(static_cast<unsigned char>(byte)));
        }
        return widest;
    }

    // How far the text moves along: the sum of its characters' advances.
    int width(std::string_view bytes) {
        int sum = 0;
        for (const char byte : bytes) sum += advance(static_cast<unsigned char>(byte));
        return sum;
    }

    void write(PixelWriter& pixels, int left, int top, std::string_view bytes, QRgb colour) {
        if (!pixels.rowsVisible(top, top + height_)) return;
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

    int advance(unsigned char byte) {
        int& known = advances_[byte];
        if (known < 0) known = metrics_.horizontalAdvance(characterOf(byte));
        return known;
    }

    static QString characterOf(unsigned char byte) {
        return fromCp1251(std::string_view(reinterpret_cast<const char*>(&byte), 1));
    }

    const Glyph& glyph(unsigned char byte) {
        std::optional<Glyph>& cached = glyphs_[byte];
        if (!cached) cached = drawGlyph(characterOf(byte));
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
    int height_;
    std::array<std::optional<Glyph>, 256> glyphs_;
    std::array<int, 256> advances_;  // -1: not asked for yet
};

void drawTextAt(QPainter& painter, int left, int top, const QString& text) {
    painter.drawText(QPoint(left, top + painter.fontMetrics().ascent()), text);
}

// The axis cross: the directions of the survey axes in the current view, at a fixed size and
// place whatever the zoom and pan.
void drawAxisCross(QPainter& painter, const ViewTransform& transform, const ViewState& view,
                   double cx, double cy, const PlanPalette& palette) {
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
                         toColour(palette.axisLines));
        painter.setPen(toColour(palette.axisLetters));
        drawTextAt(painter, left, top, letter);
        painter.setPen(toColour(palette.axisLines));
    }
}

// The bitmap as a canvas of the point walk: pixels written straight into it.
class PixelCanvas {
public:
    PixelCanvas(QImage& bitmap, const QFont& font, int fontHeight)
        : pixels_(bitmap), labels_(font), fontHeight_(fontHeight), size_(bitmap.size()) {}

    QSize size() const { return size_; }
    int fontHeight() const { return fontHeight_; }
    int cellHeight() const { return labels_.height(); }
    int textWidth(std::string_view bytes) { return labels_.width(bytes); }
    QRgb markColour() const { return toRgb(kScreenPalette.marked); }
    QRgb pointColour(std::int32_t colour) const { return toRgb(colour); }
    // The bitmap takes the disc's box truncated to whole pixels.
    void disc(ScreenPoint at, QRgb colour) {
        pixels_.disc(truncated(at.x - kDiscRadius), truncated(at.y - kDiscRadius),
                     truncated(at.x + kDiscRadius), truncated(at.y + kDiscRadius), colour);
    }
    void line(int x, int y, int length, QRgb colour) { pixels_.line(x, y, length, colour); }
    void text(int left, int top, std::string_view bytes, QRgb colour) {
        labels_.write(pixels_, left, top, bytes, colour);
    }
    LabelWriter& labels() { return labels_; }

private:
    PixelWriter pixels_;
    LabelWriter labels_;
    int fontHeight_;
    QSize size_;
};

// The shapes of the plan on paper in the order drawn: the discs in runs of one colour, each
// disc by its centre in eighths of a frame pixel; the leader lines and the label texts.
struct PaperShapes {
    struct DiscRun {
        QRgb colour;
        std::size_t begin, end;  // of the centres
    };
    struct Leader {
        QRect box;
        QRgb colour;
    };
    struct Label {
        QPointF baseline;
        QString text;
        QRgb colour;
    };

    void addDisc(QPoint centre, QRgb colour) {
        centres.push_back(centre);
        auto* run = shapes.empty() ? nullptr : std::get_if<DiscRun>(&shapes.back());
        if (run != nullptr && run->colour == colour) {
            run->end = centres.size();
        } else {
            shapes.push_back(DiscRun{colour, centres.size() - 1, centres.size()});
        }
    }

    void clear() {
        centres.clear();
        shapes.clear();
    }

    std::vector<QPoint> centres;
    std::vector<std::variant<DiscRun, Leader, Label>> shapes;
};

// Paper is true to scale: a disc lies where its point is to an eighth of a pixel (0.03 mm
// on paper), which also keeps the PDF's numbers short whole numbers, so that it compresses
// well.
constexpr int kPlacement = 8;

// How many discs go to the painter at once: the PDF writer holds a call's path in memory.
constexpr std::size_t kDiscsPerCall = 4096;

// Each disc as a stroke of a round pen as wide as the disc, an eighth of a pixel long: a PDF
// holds it as two short pairs of whole numbers, where an ellipse takes four curves.
void paintDiscs(QPainter& painter, std::span<const QPoint> centres, QRgb colour,
                ProgressCounter& counter) {
    painter.save();
    painter.scale(1.0 / kPlacement, 1.0 / kPlacement);
    painter.setPen(
        QPen(QColor::fromRgb(colour), 2 * kDiscRadius * kPlacement, Qt::SolidLine, Qt::RoundCap));
    std::vector<QLineF> strokes;
    strokes.reserve(std::min(centres.size(), kDiscsPerCall));
    while (!centres.empty()) {
        const std::span<const QPoint> batch =
            centres.first(std::min(centres.size(), kDiscsPerCall));
        strokes.clear();
        for (const QPoint centre : batch) {
            strokes.emplace_back(centre.x(), centre.y(), centre.x() + 1, centre.y());
        }
        painter.drawLines(strokes.data(), static_cast<int>(strokes.size()));
        counter.add(batch.size());
        centres = centres.subspan(batch.size());
    }
    painter.restore();
}

// The shapes in the order they were recorded; the discs counted.
void paintShapes(QPainter& painter, const PaperShapes& shapes, ProgressCounter& counter) {
    const std::span<const QPoint> centres(shapes.centres);
    for (const auto& shape : shapes.shapes) {
        if (const auto* run = std::get_if<PaperShapes::DiscRun>(&shape)) {
            paintDiscs(painter, centres.subspan(run->begin, run->end - run->begin), run->colour,
                       counter);
        } else if (const auto* leader = std::get_if<PaperShapes::Leader>(&shape)) {
            painter.fillRect(leader->box, QColor::fromRgb(leader->colour));
        } else if (const auto* label = std::get_if<PaperShapes::Label>(&shape)) {
            painter.setPen(QColor::fromRgb(label->colour));
            painter.drawText(label->baseline, label->text);
        }
    }
}

// The point walk's canvas for paper: it records the shapes in the palette's colours, leaving
// out those wholly outside the frame of width × height; texts are measured as a painter on
// the device measures them. Given a painter, it paints what it recorded every few thousand
// discs and at flush(), and forgets it.
class PaperCanvas {
public:
    PaperCanvas(PaperShapes& shapes, const QFont& font, const QPaintDevice& device, QSizeF frame,
                const PlanPalette& palette, QPainter* painter = nullptr)
        : shapes_(shapes), metrics_(QFont(font, &device)), fontHeight_(font.pixelSize()),
          frame_(QPointF(0, 0), frame), palette_(palette), painter_(painter) {}

    QSize size() const { return frame_.size().toSize(); }
    int fontHeight() const { return fontHeight_; }
    int cellHeight() const { return metrics_.height(); }
    int textWidth(std::string_view bytes) const {
        return metrics_.horizontalAdvance(fromCp1251(bytes));
    }
    QRgb markColour() const { return toRgb(palette_.marked); }
    QRgb pointColour(std::int32_t colour) const {
        return toRgb(palette_.darkenLightPoints ? inkOnPaper(colour) : colour);
    }
    void disc(ScreenPoint at, QRgb colour) {
        const QRectF box(at.x - kDiscRadius, at.y - kDiscRadius, 2 * kDiscRadius, 2 * kDiscRadius);
        if (!frame_.intersects(box)) return;
        const auto placed = [](double coordinate) {
            return static_cast<int>(std::lround(coordinate * kPlacement));
        };
        shapes_.addDisc(QPoint(placed(at.x), placed(at.y)), colour);
        if (shapes_.centres.size() >= kDiscsPerCall) flush();
    }
    void line(int x, int y, int length, QRgb colour) {
        const QRect box(x, y, length, 1);
        if (frame_.intersects(box)) shapes_.shapes.push_back(PaperShapes::Leader{box, colour});
    }
    void text(int left, int top, std::string_view bytes, QRgb colour) {
        QString label = fromCp1251(bytes);
        if (!frame_.intersects(QRectF(left, top, metrics_.horizontalAdvance(label), fontHeight_))) {
            return;
        }
        shapes_.shapes.push_back(
            PaperShapes::Label{QPointF(left, top + metrics_.ascent()), std::move(label), colour});
    }

    // The walk counts the points: the painting counts nothing more.
    void flush() {
        if (painter_ == nullptr) return;
        ProgressCounter uncounted(nullptr);
        paintShapes(*painter_, shapes_, uncounted);
        shapes_.clear();
    }

private:
    PaperShapes& shapes_;
    QFontMetrics metrics_;
    int fontHeight_;
    QRectF frame_;
    const PlanPalette& palette_;
    QPainter* painter_;
};

// The labels of the selected points: a leader line, the number above it, the height below.
// A label's box is the rectangle covering its leader line and its text cells as drawn (each
// text as wide as its advance and a font cell tall). A label is written only where its box
// overlaps no label written before it in store order; within the canvas, that is: a plan
// full of labels costs its area, not its point count, and stays readable.
template <typename Canvas>
class PointLabels {
public:
    PointLabels(Canvas& canvas, const ViewState& view, const PointStore& store)
        : canvas_(canvas), view_(view), store_(store), fontHeight_(canvas.fontHeight()),
          cell_(canvas.cellHeight()), space_(leastSpace(canvas.size())) {}

    void draw(std::size_t point, ScreenPoint at) {
        if (!view_.showNumbers && !view_.showHeights) return;
        const int left = truncated(at.x);
        const int lineY = truncated(at.y);
        const int numberTop = truncated(at.y - kLabelGap - fontHeight_);
        const int leaderEnd = truncated(at.x + kLeaderLength);
        PixelBox box = leaderBox(left, lineY, numberTop, leaderEnd);
        // Most labels of a crowded plan stop here, before any text is measured or written.
        if (!space_.isFree(box)) return;
        const std::string_view number = store_.number()[point];
        char heightText[kNumberTextCapacity];
        const std::string_view height(
            heightText, view_.showHeights ? formatNumberInto(store_.z()[point], heightText) : 0);
        if (view_.showNumbers) box.right = std::max(box.right, left + canvas_.textWidth(number));
        if (view_.showHeights) box.right = std::max(box.right, left + canvas_.textWidth(height));
        if (!space_.isFree(box)) return;
        space_.take(box);
        const QRgb ink = canvas_.markColour();
        canvas_.line(left, lineY, leaderEnd - left, ink);
        if (view_.showNumbers) canvas_.text(left, numberTop, number, ink);
        if (view_.showHeights) canvas_.text(left, lineY, height, ink);
    }

private:
    // The leader line and the rows of the texts shown; the lowest text cell is the height's
    // when it is shown, else the number's.
    PixelBox leaderBox(int left, int lineY, int numberTop, int leaderEnd) const {
        return {left, view_.showNumbers ? numberTop : lineY, leaderEnd,
                std::max(lineY + 1, (view_.showHeights ? lineY : numberTop) + cell_)};
    }

    // Truncation can bring the line a pixel closer to the number's top, and shorten the
    // leader by one.
    LabelSpace leastSpace(QSize size) const {
        const int leaderEnd = static_cast<int>(kLeaderLength) - 1;
        const PixelBox least =
            leaderBox(0, static_cast<int>(kLabelGap) + fontHeight_ - 1, 0, leaderEnd);
        return LabelSpace(size.width(), size.height(), least.right - least.left,
                          least.bottom - least.top);
    }

    Canvas& canvas_;
    const ViewState& view_;
    const PointStore& store_;
    int fontHeight_;
    int cell_;
    LabelSpace space_;
};

// One active point at its position: a small disc in its colour, or in the mark's colour and
// labelled when it is selected (the labels only when they can reach the canvas).
template <typename Canvas>
void drawPoint(Canvas& canvas, PointLabels<Canvas>& labels,
               const std::vector<std::int32_t>& selected, std::int32_t colour, std::size_t i,
               ScreenPoint at, bool labelsReach) {
    const bool isSelected = selected[i] == 1;
    canvas.disc(at, isSelected ? canvas.markColour() : canvas.pointColour(colour));
    if (isSelected && labelsReach) labels.draw(i, at);
}

// Every active point as a small disc in its colour (selected ones yellow and labelled),
// entered in the pick list when there is one; each point counted into the progress.
template <typename Canvas>
void drawPoints(Canvas& canvas, const ViewTransform& transform, const ViewState& view,
                const std::vector<std::int32_t>& selected, const PointStore& store,
                PickList* pickList, WorkProgress* progress = nullptr) {
    const auto& x = store.x();
    const auto& y = store.y();
    const auto& z = store.z();
    PointLabels labels(canvas, view, store);
    ProgressCounter counter(progress, store.count());
    for (std::size_t i = 0; i < x.size(); ++i, counter.add()) {
        const ScreenPoint at = transform.project(x[i], y[i], z[i]);
        if (store.active()[i] != 1) continue;
        if (pickList) pickList->append(at.x, at.y, static_cast<int>(i));
        if (!drawable(at.x) || !drawable(at.y)) continue;
        drawPoint(canvas, labels, selected, store.colour()[i], i, at, true);
    }
}

// The label font without smoothing, so that its pixels keep the plan's own colours.
QFont crispFont(const QFont& labelFont) {
    QFont font = labelFont;
    font.setStyleStrategy(QFont::NoAntialias);
    return font;
}

// How far from its position a point's picture or pick circle can reach, in bitmap pixels,
// truncation included.
struct Reach {
    double left = 0;
    double right = 0;
    double up = 0;
    double down = 0;

    Reach atLeast(const Reach& other) const {
        return {std::max(left, other.left), std::max(right, other.right), std::max(up, other.up),
                std::max(down, other.down)};
    }
};

// The characters a height label can hold.
std::bitset<256> heightTextBytes() {
    std::bitset<256> bytes;
    for (const char byte : std::string_view("0123456789+-.eINFA")) bytes.set(byte);
    return bytes;
}

// Draws the points the grid hands over, one at a time in store order, into the bitmap; lists
// only the points a press on the bitmap can catch and writes only the labels that can reach
// the bitmap (the grid knows the labels' characters).
class PointPainter {
public:
    PointPainter(PickList& pickList, QImage& bitmap, const ViewTransform& transform,
                 const ViewState& view, const std::vector<std::int32_t>& selected,
                 const PointStore& store, const QFont& labelFont, const PointGrid& grid,
                 std::span<const std::int32_t> colours)
        : pickList_(pickList),
          canvas_(bitmap, crispFont(labelFont), std::abs(QFontInfo(labelFont).pixelSize())),
          labels_(canvas_, view, store), transform_(transform), selected_(selected), store_(store),
          active_(store.active().data()), x_(store.x().data()), y_(store.y().data()),
          z_(store.z().data()),
          colours_(colours.size() == store.count() ? colours : store.colour()),
          width_(bitmap.width()), height_(bitmap.height()),
          labelled_(view.showNumbers != 0 || view.showHeights != 0) {
        const double pickReach = effectiveCursorRadius(view.cursorRadius) + 2.0;
        pickReach_ = {pickReach, pickReach, pickReach, pickReach};
        if (labelled_) {
            const int widestGlyph =
                canvas_.labels().widestAdvance(grid.numberBytes() | heightTextBytes());
            labelReach_ = labelReach(grid.longestNumber(), widestGlyph);
        }
    }

    // How far any point's picture or pick circle can reach.
    Reach pointReach() const {
        const Reach disc{kDiscRadius + 1, kDiscRadius + 1, kDiscRadius + 1, kDiscRadius + 1};
        return pickReach_.atLeast(labelled_ ? disc.atLeast(labelReach_) : disc);
    }

    // The points of the list, or with none every point, in one loop: the store's columns
    // are read through pointers taken once.
    void draw(std::optional<std::span<const std::uint32_t>> points) {
        if (points) {
            for (const std::uint32_t point : *points) draw(point);
        } else {
            for (std::size_t point = 0; point < store_.count(); ++point) draw(point);
        }
    }

private:
    void draw(std::size_t i) {
        if (active_[i] != 1) return;
        const ScreenPoint at = transform_.project(x_[i], y_[i], z_[i]);
        if (within(at, pickReach_)) pickList_.append(at.x, at.y, static_cast<int>(i));
        if (!drawable(at.x) || !drawable(at.y)) return;
        const bool labelsReach = labelled_ && within(at, labelReach_);
        drawPoint(canvas_, labels_, selected_, colours_[i], i, at, labelsReach);
    }

    // The leader line, the number above it and the height below it; glyphs may start up to
    // a cell height left of the label.
    Reach labelReach(std::size_t longestNumber, int widestGlyph) {
        const double longest = static_cast<double>(std::max(longestNumber, kNumberTextCapacity));
        const double cell = canvas_.labels().height();
        return {cell + 1, std::max(kLeaderLength, cell + longest * widestGlyph) + 1,
                kLabelGap + canvas_.fontHeight() + 1, cell + 1};
    }

    // Whether a picture reaching this far from the position can touch the bitmap.
    bool within(ScreenPoint at, const Reach& reach) const {
        return at.x >= -reach.right && at.x <= width_ + reach.left && at.y >= -reach.down &&
               at.y <= height_ + reach.up;
    }

    PickList& pickList_;
    PixelCanvas canvas_;
    PointLabels<PixelCanvas> labels_;
    const ViewTransform& transform_;
    const std::vector<std::int32_t>& selected_;
    const PointStore& store_;
    const PointFlag* active_;
    const double* x_;
    const double* y_;
    const double* z_;
    std::span<const std::int32_t> colours_;
    double width_;
    double height_;
    bool labelled_;
    Reach pickReach_;
    Reach labelReach_;
};

}  // namespace

namespace {

// The black background and the axis cross; returns the transform of the view.
ViewTransform drawBackground(QImage& bitmap, const ViewState& view, const QFont& labelFont) {
    const double cx = bitmap.width() * 0.5;
    const double cy = bitmap.height() * 0.5;
    const ViewTransform transform(view, cx, cy);
    bitmap.fill(toRgb(kScreenPalette.background));
    QPainter painter(&bitmap);
    painter.setFont(crispFont(labelFont));
    painter.setPen(toColour(kScreenPalette.axisLines));
    drawAxisCross(painter, transform, view, cx, cy, kScreenPalette);
    return transform;
}

}  // namespace

void Redraw(PickList& pickList, QImage& bitmap, const ViewState& view,
            const std::vector<std::int32_t>& selected, const PointStore& store,
            const QFont& labelFont) {
    pickList.clear();
    if (bitmap.isNull()) return;  // a control with no area: nothing to draw on
    const ViewTransform transform = drawBackground(bitmap, view, labelFont);
    pickList.x.reserve(store.count());
    pickList.y.reserve(store.count());
    pickList.index.reserve(store.count());
    PixelCanvas canvas(bitmap, crispFont(labelFont), std::abs(QFontInfo(labelFont).pixelSize()));
    drawPoints(canvas, transform, view, selected, store, &pickList);
}

void Redraw(PickList& pickList, QImage& bitmap, const ViewState& view,
            const std::vector<std::int32_t>& selected, const PointStore& store,
            const QFont& labelFont, PointGrid& grid, std::span<const std::int32_t> colours) {
    pickList.clear();
    if (bitmap.isNull()) return;
    const ViewTransform transform = drawBackground(bitmap, view, labelFont);
    grid.update(store);
    PointPainter painter(pickList, bitmap, transform, view, selected, store, labelFont, grid,
                         colours);
    const Reach reach = painter.pointReach();
    const auto box = transform.surveyBoxOf(-reach.right, -reach.down, bitmap.width() + reach.left,
                                           bitmap.height() + reach.up);
    painter.draw(box ? grid.pointsNear(*box) : std::nullopt);
}

// What PaperPlan keeps from its walk for the painting.
struct PaperPlan::Drawing {
    QSizeF frame;
    ViewState view;
    QFont font;  // as many frame pixels high as on the screen, whatever the device
    PlanPalette palette;
    PaperShapes shapes;
};

namespace {

// Label texts as many frame pixels high as on the screen, whatever the device's resolution.
QFont paperFont(const QFont& labelFont) {
    QFont font = labelFont;
    font.setPixelSize(std::abs(QFontInfo(labelFont).pixelSize()));
    return font;
}

ViewTransform frameTransform(QSizeF frame, const ViewState& view) {
    return ViewTransform::trueToScale(view, frame.width() * 0.5, frame.height() * 0.5);
}

// Begins a drawing of the plan into the frame: clipped to it, on the palette's background,
// with the axis cross. painter.restore() ends it.
void beginFrame(QPainter& painter, QSizeF frame, const ViewState& view, const QFont& font,
                const PlanPalette& palette) {
    painter.save();
    painter.setClipRect(QRectF(QPointF(0, 0), frame));
    painter.fillRect(QRectF(QPointF(0, 0), frame), toColour(palette.background));
    painter.setFont(font);
    painter.setPen(toColour(palette.axisLines));
    drawAxisCross(painter, frameTransform(frame, view), view, frame.width() * 0.5,
                  frame.height() * 0.5, palette);
}

}  // namespace

PaperPlan::PaperPlan(const QPaintDevice& device, QSizeF frame, const ViewState& view,
                     const std::vector<std::int32_t>& selected, const PointStore& store,
                     const QFont& labelFont, const PlanPalette& palette, WorkProgress* progress)
    : drawing_(std::make_unique<Drawing>(Drawing{frame, view, paperFont(labelFont), palette, {}})) {
    PaperCanvas canvas(drawing_->shapes, drawing_->font, device, frame, drawing_->palette);
    drawing_->shapes.centres.reserve(store.count());  // an upper bound; used pages only stay
    drawPoints(canvas, frameTransform(frame, view), view, selected, store, nullptr, progress);
}

PaperPlan::PaperPlan(PaperPlan&&) noexcept = default;
PaperPlan::~PaperPlan() = default;

void PaperPlan::paint(QPainter& painter, WorkProgress* progress) const {
    const Drawing& drawing = *drawing_;
    beginFrame(painter, drawing.frame, drawing.view, drawing.font, drawing.palette);
    ProgressCounter counter(progress, drawing.shapes.centres.size());
    paintShapes(painter, drawing.shapes, counter);
    painter.restore();
}

void DrawPlan(QPainter& painter, QSizeF frame, const ViewState& view,
              const std::vector<std::int32_t>& selected, const PointStore& store,
              const QFont& labelFont, const PlanPalette& palette, WorkProgress* progress) {
    const QFont font = paperFont(labelFont);
    beginFrame(painter, frame, view, font, palette);
    PaperShapes shapes;
    PaperCanvas canvas(shapes, font, *painter.device(), frame, palette, &painter);
    drawPoints(canvas, frameTransform(frame, view), view, selected, store, nullptr, progress);
    canvas.flush();
    painter.restore();
}

}  // namespace korvela
