#include "plan/plan_paper.h"

#include <QBuffer>
#include <QFontMetricsF>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QPdfWriter>
#include <QPrinter>
#include <cmath>
#include <optional>

#include "common/number_text.h"
#include "plan/plan_renderer.h"
#include "plan/plan_scale.h"
#include "plan/plan_sheet.h"

namespace korvela {
namespace {

constexpr double kTextHeight = 3.5;      // mm, of the title strip
constexpr double kGridTextHeight = 2.5;  // mm, of the grid's coordinates
constexpr double kGridTextGap = 1.5;     // mm between a coordinate and the frame or a cross
constexpr double kBarHeight = 2;         // mm
constexpr double kArrowLength = 11;      // mm
constexpr double kCrossArm = 5;          // mm: a cross is 1 cm wide
constexpr double kTickLength = 3;        // mm into the frame
constexpr double kThinLine = 0.15;       // mm: grid
constexpr double kFrameLine = 0.3;       // mm
constexpr double kMillimetresPerInch = 25.4;
// Points and labels are as large on paper as on a 96 dpi screen.
constexpr double kPlanPixel = kMillimetresPerInch / 96;
constexpr int kPdfDotsPerInch = 1200;  // placement grid of the vector drawing

constexpr int kFontPixels = 100;  // drawn scaled down: pixel sizes are whole numbers

QFont sheetFont() {
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(kFontPixels);
    return font;
}

// Text `height` millimetres high with its baseline at `at`, turned by `degrees` about it.
void drawSheetText(QPainter& painter, QPointF at, const QString& text,
                   Qt::Alignment align = Qt::AlignLeft, double height = kTextHeight,
                   double degrees = 0) {
    painter.save();
    painter.translate(at);
    painter.rotate(degrees);
    painter.scale(height / kFontPixels, height / kFontPixels);
    painter.setFont(sheetFont());
    const double width = QFontMetricsF(painter.font()).horizontalAdvance(text);
    const double shift = align == Qt::AlignRight     ? -width
                         : align == Qt::AlignHCenter ? -width / 2
                                                     : 0;
    painter.drawText(QPointF(shift, 0), text);
    painter.restore();
}

double sheetTextWidth(const QString& text, double height) {
    return QFontMetricsF(sheetFont()).horizontalAdvance(text) * height / kFontPixels;
}

QString numberText(double value) { return QString::fromStdString(formatNumber(value)); }

QPointF toPoint(ScreenPoint at) { return {at.x, at.y}; }

// "Масштаб 1:N" and under it a bar of a round length, black and white halves.
void drawScaleBlock(QPainter& painter, const SheetRect& block, double scale) {
    drawSheetText(painter, {block.left, block.top + kTextHeight},
                  QString::fromUtf8("Масштаб 1:") + numberText(scale));
    const double millimetresPerMetre = 1000 / scale;
    const double metres = scaleBarLength(block.width * 0.75 / millimetresPerMetre);
    if (metres == 0) return;
    const double length = metres * millimetresPerMetre;
    const QPointF origin(block.left, block.top + kTextHeight + 3);
    painter.setPen(QPen(Qt::black, 0.2));
    painter.setBrush(Qt::white);
    painter.drawRect(QRectF(origin, QSizeF(length, kBarHeight)));
    painter.setBrush(Qt::black);
    painter.drawRect(QRectF(origin, QSizeF(length / 2, kBarHeight)));
    const double baseline = origin.y() + kBarHeight + kTextHeight + 1;
    drawSheetText(painter, {origin.x(), baseline}, QStringLiteral("0"), Qt::AlignHCenter);
    drawSheetText(painter, {origin.x() + length, baseline},
                  numberText(metres) + QStringLiteral(" м"), Qt::AlignHCenter);
}

// An arrow towards north on the plan, with the letter "С" at its head.
void drawNorthArrow(QPainter& painter, QPointF centre, const ViewState& view) {
    const auto north = northOnBitmap(view);
    if (!north) return;
    const QPointF direction = toPoint(*north);
    const QPointF across(-direction.y(), direction.x());
    const QPointF head = centre + direction * (kArrowLength / 2);
    const QPointF tail = centre - direction * (kArrowLength / 2);
    QPainterPath arrow;
    arrow.moveTo(head);
    arrow.lineTo(tail + across * 2.5);
    arrow.lineTo(tail + direction * 3);
    arrow.lineTo(tail - across * 2.5);
    arrow.closeSubpath();
    painter.setPen(QPen(Qt::black, 0.2));
    painter.setBrush(Qt::black);
    painter.drawPath(arrow);
    const QPointF letter = head + direction * 3 + QPointF(0, kTextHeight / 2);
    drawSheetText(painter, letter, QString::fromUtf8("С"), Qt::AlignHCenter);
}

// Where a coordinate is written along an edge of the frame.
struct EdgeSpan {
    FrameEdge edge;
    double low, high;
};

// A tick's coordinate outside the frame, beside its edge, reading upwards on the left and
// right; left out when it would run past the edge's ends or into one written before (where
// the lines of a turned plan meet the edge close together).
void drawTickCoordinate(QPainter& painter, const SheetRect& frame, const GridTick& tick,
                        std::vector<EdgeSpan>& written) {
    const QString text = numberText(tick.coordinate);
    const double half = sheetTextWidth(text, kGridTextHeight) / 2 + kGridTextGap;
    const bool upright = tick.edge == FrameEdge::Left || tick.edge == FrameEdge::Right;
    const double along = upright ? tick.at.y : tick.at.x;
    const EdgeSpan span{tick.edge, along - half, along + half};
    if (span.low < (upright ? frame.top : frame.left) - kGridTextGap ||
        span.high > (upright ? frame.bottom() : frame.right()) + kGridTextGap) {
        return;
    }
    for (const EdgeSpan& other : written) {
        if (other.edge == span.edge && other.low < span.high && span.low < other.high) return;
    }
    written.push_back(span);
    const double outside = kGridTextGap + kGridTextHeight;
    switch (tick.edge) {
        case FrameEdge::Left:
            return drawSheetText(painter, {frame.left - kGridTextGap, along}, text,
                                 Qt::AlignHCenter, kGridTextHeight, -90);
        case FrameEdge::Right:
            return drawSheetText(painter, {frame.right() + outside, along}, text, Qt::AlignHCenter,
                                 kGridTextHeight, -90);
        case FrameEdge::Top:
            return drawSheetText(painter, {along, frame.top - kGridTextGap}, text, Qt::AlignHCenter,
                                 kGridTextHeight);
        case FrameEdge::Bottom:
            return drawSheetText(painter, {along, frame.bottom() + outside}, text, Qt::AlignHCenter,
                                 kGridTextHeight);
    }
}

// A cross along the grid's lines with its X above and its Y below the right arm.
void drawCross(QPainter& painter, const GridCross& cross, QPointF north) {
    const QPointF at = toPoint(cross.at);
    const QPointF east(-north.y(), north.x());
    painter.drawLine(at - north * kCrossArm, at + north * kCrossArm);
    painter.drawLine(at - east * kCrossArm, at + east * kCrossArm);
    drawSheetText(painter, at + QPointF(1, -1), QStringLiteral("X ") + numberText(cross.x),
                  Qt::AlignLeft, kGridTextHeight);
    drawSheetText(painter, at + QPointF(1, 1 + kGridTextHeight),
                  QStringLiteral("Y ") + numberText(cross.y), Qt::AlignLeft, kGridTextHeight);
}

// The coordinate grid of a plan view at 1:N: crosses inside the frame, ticks with their
// coordinates on its edges.
void drawGrid(QPainter& painter, const SheetRect& frame, const ViewState& view, double scale) {
    const auto north = northOnBitmap(view);
    if (!north) return;
    const SheetGrid grid = sheetGrid(view, scale, frame, kCrossArm);
    painter.save();
    painter.setPen(QPen(Qt::black, kThinLine));
    std::vector<EdgeSpan> written;
    for (const GridTick& tick : grid.ticks) {
        const QPointF at = toPoint(tick.at);
        painter.drawLine(at, at + toPoint(tick.inward) * kTickLength);
        drawTickCoordinate(painter, frame, tick, written);
    }
    painter.setClipRect(QRectF(frame.left, frame.top, frame.width, frame.height));
    for (const GridCross& cross : grid.crosses) drawCross(painter, cross, toPoint(*north));
    painter.restore();
}

QPageLayout pageLayout(const PlanPaper& paper) {
    return QPageLayout(QPageSize(paper.size), paper.orientation, QMarginsF());
}

// The page of a picture, painted as the walk over the points goes (which a stop requested of
// the progress ends), or prepared by that walk before any painting.
class PlanPage {
public:
    PlanPage(QSizeF page, const PlanPicture& picture, double chosenScale)
        : picture_(picture), layout_(sheetLayout(page.width(), page.height())),
          scale_(sheetScale(layout_, picture.view, chosenScale)),
          view_(sheetView(picture.view, scale_, layout_.frame.width, layout_.frame.height)) {}

    // The walk over the points, for painting on device later.
    void prepare(const QPaintDevice& device, WorkProgress* progress) {
        prepared_.emplace(device, planPixels(), view_, picture_.selected, picture_.store,
                          picture_.labelFont, kPaperPalette, progress);
    }

    // On a painter whose unit is the millimetre, from the page's top left corner.
    void paint(QPainter& painter, WorkProgress* progress) const {
        const SheetRect& frame = layout_.frame;
        if (frame.width <= 0 || frame.height <= 0) return;
        painter.save();
        painter.translate(frame.left, frame.top);
        painter.scale(kPlanPixel, kPlanPixel);
        if (prepared_) {
            prepared_->paint(painter, progress);
        } else {
            DrawPlan(painter, planPixels(), view_, picture_.selected, picture_.store,
                     picture_.labelFont, kPaperPalette, progress);
        }
        painter.restore();
        drawGrid(painter, frame, view_, scale_);
        painter.setPen(QPen(Qt::black, kFrameLine));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(QRectF(frame.left, frame.top, frame.width, frame.height));

        drawScaleBlock(painter, layout_.scaleBlock, scale_);
        const SheetRect& arrow = layout_.northBlock;
        drawNorthArrow(painter, {arrow.left + arrow.width / 2, arrow.top + arrow.height / 2},
                       picture_.view);
        const SheetRect& caption = layout_.captionBlock;
        drawSheetText(painter, {caption.right(), caption.top + kTextHeight}, picture_.fileName,
                      Qt::AlignRight);
        drawSheetText(painter, {caption.right(), caption.top + 2 * kTextHeight + 2}, picture_.date,
                      Qt::AlignRight);
    }

private:
    // The plan is drawn in plan pixels of kPlanPixel millimetres.
    QSizeF planPixels() const {
        return {layout_.frame.width / kPlanPixel, layout_.frame.height / kPlanPixel};
    }

    const PlanPicture& picture_;
    SheetLayout layout_;
    double scale_;
    ViewState view_;
    std::optional<PaperPlan> prepared_;
};

}  // namespace

QSizeF pageMillimetres(const PlanPaper& paper) {
    return pageLayout(paper).fullRect(QPageLayout::Millimeter).size();
}

QByteArray planPdf(const PlanPaper& paper, const PlanPicture& picture, WorkProgress* progress) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    {
        QPdfWriter writer(&buffer);
        writer.setResolution(kPdfDotsPerInch);
        writer.setPageLayout(pageLayout(paper));
        writer.setTitle(picture.fileName);
        writer.setCreator(QStringLiteral("KORVELA"));
        const PlanPage page(pageMillimetres(paper), picture, paper.scale);
        QPainter painter(&writer);
        painter.scale(kPdfDotsPerInch / kMillimetresPerInch, kPdfDotsPerInch / kMillimetresPerInch);
        page.paint(painter, progress);
    }
    return bytes;
}

QByteArray planPng(const PlanPaper& paper, const PlanPicture& picture, WorkProgress* progress) {
    QImage image(pageLayout(paper).fullRectPixels(paper.dotsPerInch).size(), QImage::Format_RGB32);
    if (image.isNull()) return {};
    image.fill(Qt::white);
    const int dotsPerMetre =
        static_cast<int>(std::lround(paper.dotsPerInch * 1000 / kMillimetresPerInch));
    image.setDotsPerMeterX(dotsPerMetre);
    image.setDotsPerMeterY(dotsPerMetre);
    {
        const PlanPage page(pageMillimetres(paper), picture, paper.scale);
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.scale(paper.dotsPerInch / kMillimetresPerInch,
                      paper.dotsPerInch / kMillimetresPerInch);
        page.paint(painter, progress);
    }
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

bool printPlan(QPrinter& printer, const PlanPicture& picture, double chosenScale,
               WorkProgress* progress) {
    printer.setFullPage(true);
    // Stopping is possible until the printer is given the page, which it then prints whole.
    PlanPage page(printer.pageLayout().fullRect(QPageLayout::Millimeter).size(), picture,
                  chosenScale);
    page.prepare(printer, progress);
    QPainter painter;
    if (!painter.begin(&printer)) return false;
    const double dotsPerMillimetre = printer.resolution() / kMillimetresPerInch;
    painter.scale(dotsPerMillimetre, dotsPerMillimetre);
    page.paint(painter, nullptr);
    return painter.end();
}

}  // namespace korvela
