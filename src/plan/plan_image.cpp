#include "plan/plan_image.h"

#include <QMouseEvent>
#include <QPainter>

#include "plan/plan_renderer.h"
#include "points/program_data.h"

namespace korvela {

PlanImage::PlanImage(QWidget* parent, const ProgramData& data)
    : QWidget(parent), data_(data), labelFont_(QStringLiteral("DejaVu Sans"), 9) {
    setObjectName("Image1");
    setCursor(Qt::CrossCursor);
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void PlanImage::redraw() {
    redrawPending_ = true;
    cursorShown_ = false;
    update();
}

void PlanImage::renderIfNeeded() {
    if (!redrawPending_) return;
    redrawPending_ = false;
    Redraw(pickList_, bitmap_, data_.view, data_.selected, data_.store, labelFont_);
}

const QImage& PlanImage::bitmap() {
    renderIfNeeded();
    return bitmap_;
}

const PickList& PlanImage::pickList() {
    renderIfNeeded();
    return pickList_;
}

void PlanImage::setBitmapSize(PixelSize size) {
    if (size == bitmapSize()) return;
    bitmap_ = QImage(size.width, size.height, QImage::Format_RGB32);
    redraw();
}

double PlanImage::widthRatio() const { return width() > 0 ? double(bitmap_.width()) / width() : 1; }

double PlanImage::heightRatio() const {
    return height() > 0 ? double(bitmap_.height()) / height() : 1;
}

void PlanImage::drawCursor(int centreX, int centreY, int radius) {
    cursorShown_ = true;
    cursorCentre_ = QPoint(centreX, centreY);
    cursorRadius_ = radius;
    update();
}

void PlanImage::eraseCursor() {
    if (!cursorShown_) return;
    cursorShown_ = false;
    update();
}

// The cursor is painted over the stretched bitmap in bitmap coordinates, so it looks as if
// it were drawn into the bitmap, without touching the plan's pixels.
void PlanImage::paintEvent(QPaintEvent*) {
    renderIfNeeded();
    QPainter painter(this);
    if (bitmap_.isNull() || bitmap_.width() == 0 || bitmap_.height() == 0) {
        painter.fillRect(rect(), Qt::black);
        return;
    }
    painter.drawImage(rect(), bitmap_);
    if (!cursorShown_) return;
    painter.scale(double(width()) / bitmap_.width(), double(height()) / bitmap_.height());
    painter.setPen(QColor(255, 255, 0));
    painter.setBrush(Qt::NoBrush);
    const QPoint c = cursorCentre_;
    const int r = cursorRadius_;
    painter.drawLine(c.x(), c.y() - r, c.x(), c.y() + r);
    painter.drawLine(c.x() - r, c.y(), c.x() + r, c.y());
    painter.drawEllipse(QRect(c.x() - r, c.y() - r, 2 * r, 2 * r));
}

void PlanImage::mousePressEvent(QMouseEvent* event) { emit pressed(event->position().toPoint()); }

void PlanImage::mouseMoveEvent(QMouseEvent* event) { emit moved(event->position().toPoint()); }

void PlanImage::mouseReleaseEvent(QMouseEvent* event) { emit released(event->position().toPoint()); }

}  // namespace korvela
