#include "plan/plan_paper.h"

#include <QBuffer>
#include <QFontMetricsF>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QPdfWriter>
#include <QPrinter>
#include <cmath>

#include "common/number_text.h"
#include "plan/plan_renderer.h"
#include "plan/plan_scale.h"

namespace korvela {
namespace {

constexpr double kMargin = 10;        // mm around everything
constexpr double kLegendHeight = 22;  // mm under the frame
constexpr double kTextHeight = 3.5;   // mm
constexpr double kBarHeight = 2;      // mm
constexpr double kArrowLength = 14;   // mm
constexpr double kMillimetresPerInch = 25.4;
constexpr int kPdfDotsPerInch = 1200;  // placement grid of the vector drawing

constexpr int kLegendFontPixels = 100;  // drawn scaled down: pixel sizes are whole numbers

QFont legendFont() {
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(kLegendFontPixels);
    return font;
}

// Text of kTextHeight millimetres with its baseline at `at`.
void drawLegendText(QPainter& painter, QPointF at, const QString& text,
                    Qt::Alignment align = Qt::AlignLeft) {
    painter.save();
    painter.translate(at);
    painter.scale(kTextHeight / kLegendFontPixels, kTextHeight / kLegendFontPixels);
    painter.setFont(legendFont());
    const double width = QFontMetricsF(painter.font()).horizontalAdvance(text);
    const double shift = align == Qt::AlignRight     ? -width
                         : align == Qt::AlignHCenter ? -width / 2
                                                     : 0;
    painter.drawText(QPointF(shift, 0), text);
    painter.restore();
}

QString metresText(double metres) { return formatNumber(metres).c_str() + QStringLiteral(" м"); }

// A bar of a round length no longer than a quarter of the frame, black and white halves.
void drawScaleBar(QPainter& painter, QPointF origin, double millimetresPerMetre, double frame) {
    const double metres = scaleBarLength(frame / 4 / millimetresPerMetre);
    if (metres == 0) return;
    const double length = metres * millimetresPerMetre;
    painter.setPen(QPen(Qt::black, 0.2));
    painter.setBrush(Qt::white);
    painter.drawRect(QRectF(origin, QSizeF(length, kBarHeight)));
    painter.setBrush(Qt::black);
    painter.drawRect(QRectF(origin, QSizeF(length / 2, kBarHeight)));
    const double baseline = origin.y() + kBarHeight + kTextHeight + 1;
    drawLegendText(painter, {origin.x(), baseline}, QStringLiteral("0"), Qt::AlignHCenter);
    drawLegendText(painter, {origin.x() + length, baseline}, metresText(metres), Qt::AlignHCenter);
    const double denominator = std::round(1000 / millimetresPerMetre);
    drawLegendText(painter, {origin.x(), baseline + kTextHeight + 2},
                   QString::fromUtf8("Масштаб 1:") + formatNumber(denominator).c_str());
}

// An arrow towards north on the plan, with the letter "С" at its head.
void drawNorthArrow(QPainter& painter, QPointF centre, const ViewState& view) {
    const auto north = northOnBitmap(view);
    if (!north) return;
    const QPointF direction(north->x, north->y);
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
    drawLegendText(painter, letter, QString::fromUtf8("С"), Qt::AlignHCenter);
}

// The page's pixel size at a resolution.
QSize pagePixels(const PlanPaper& paper, int dotsPerInch) {
    const QPageLayout layout(QPageSize(paper.size), paper.orientation, QMarginsF());
    return layout.fullRectPixels(dotsPerInch).size();
}

QSizeF pageMillimetres(const PlanPaper& paper) {
    const QPageLayout layout(QPageSize(paper.size), paper.orientation, QMarginsF());
    return layout.fullRect(QPageLayout::Millimeter).size();
}

}  // namespace

void paintPlanPage(QPainter& painter, QSizeF page, const PlanPicture& picture) {
    const double frame =
        std::min(page.width() - 2 * kMargin, page.height() - 2 * kMargin - kLegendHeight);
    if (frame <= 0 || picture.side <= 0) return;
    const QPointF topLeft((page.width() - frame) / 2, kMargin);
    painter.save();
    painter.translate(topLeft);
    painter.scale(frame / picture.side, frame / picture.side);
    DrawPlan(painter, QSize(picture.side, picture.side), picture.view, picture.selected,
             picture.store, picture.labelFont);
    painter.restore();

    const double legendTop = topLeft.y() + frame + 5;
    const double millimetresPerMetre =
        pixelsPerMetre(picture.view, picture.side) * frame / picture.side;
    if (std::isfinite(millimetresPerMetre) && millimetresPerMetre > 0) {
        drawScaleBar(painter, {topLeft.x(), legendTop}, millimetresPerMetre, frame);
    }
    drawNorthArrow(painter, {topLeft.x() + frame / 2, legendTop + kArrowLength / 2}, picture.view);
    const double right = topLeft.x() + frame;
    drawLegendText(painter, {right, legendTop + kTextHeight}, picture.fileName, Qt::AlignRight);
    drawLegendText(painter, {right, legendTop + 2 * kTextHeight + 2}, picture.date, Qt::AlignRight);
}

QByteArray planPdf(const PlanPaper& paper, const PlanPicture& picture) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    {
        QPdfWriter writer(&buffer);
        writer.setResolution(kPdfDotsPerInch);
        writer.setPageLayout(QPageLayout(QPageSize(paper.size), paper.orientation, QMarginsF()));
        writer.setTitle(picture.fileName);
        writer.setCreator(QStringLiteral("KORVELA"));
        QPainter painter(&writer);
        painter.scale(kPdfDotsPerInch / kMillimetresPerInch, kPdfDotsPerInch / kMillimetresPerInch);
        paintPlanPage(painter, pageMillimetres(paper), picture);
    }
    return bytes;
}

QByteArray planPng(const PlanPaper& paper, const PlanPicture& picture) {
    QImage image(pagePixels(paper, paper.dotsPerInch), QImage::Format_RGB32);
    if (image.isNull()) return {};
    image.fill(Qt::white);
    const int dotsPerMetre =
        static_cast<int>(std::lround(paper.dotsPerInch * 1000 / kMillimetresPerInch));
    image.setDotsPerMeterX(dotsPerMetre);
    image.setDotsPerMeterY(dotsPerMetre);
    {
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.scale(paper.dotsPerInch / kMillimetresPerInch,
                      paper.dotsPerInch / kMillimetresPerInch);
        paintPlanPage(painter, pageMillimetres(paper), picture);
    }
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

bool printPlan(QPrinter& printer, const PlanPicture& picture) {
    printer.setFullPage(true);
    QPainter painter;
    if (!painter.begin(&printer)) return false;
    const double dotsPerMillimetre = printer.resolution() / kMillimetresPerInch;
    painter.scale(dotsPerMillimetre, dotsPerMillimetre);
    paintPlanPage(painter, printer.pageLayout().fullRect(QPageLayout::Millimeter).size(), picture);
    return painter.end();
}

}  // namespace korvela
