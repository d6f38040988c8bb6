#include "plan/plan_image.h"

#include <QMouseEvent>
#include <QPainter>
#include <algorithm>
#include <cmath>

#include "plan/plan_renderer.h"
#include "points/workspace.h"

namespace korvela {

PlanImage::PlanImage(QWidget* parent, const Workspace& points, PlanView& view)
    : QWidget(parent), points_(points), view_(view),
      labelFont_(QStringLiteral("DejaVu Sans"), 9) {
    setObjectName("Image1");
    setCursor(Qt::CrossCursor);
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
    view_.addObserver(*this);
}

PlanImage::~PlanImage() { view_.removeObserver(*this); }

void PlanImage::viewChanged(const ViewState&) { redraw(); }

void PlanImage::redraw() {
    redrawPending_ = true;
    cursorShown_ = false;
    update();
}

void PlanImage::renderIfNeeded() {
    if (!redrawPending_) return;
    redrawPending_ = false;
    const PointStore& store = points_.store();
    const std::vector<std::int32_t> colours =
        codeColours_ && store.code().any()
            ? coloursByCode(store.code(), store.colour(), *codeColours_)
            : std::vector<std::int32_t>();
    Redraw(pickList_, bitmap_, view_.state(), points_.selected(), store, labelFont_, grid_,
           colours);
}

void PlanImage::setCodeColours(std::optional<CodeTable> table) {
    codeColours_ = std::move(table);
    redraw();
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
    size.width = std::clamp(size.width, 0, kLargestPlanBitmap);
    size.height = std::clamp(size.height, 0, kLargestPlanBitmap);
    if (width() > 0 && height() > 0) {
        keptWidthRatio_ = double(size.width) / width();
        keptHeightRatio_ = double(size.height) / height();
    }
    if (size == bitmapSize()) return;
    bitmap_ = QImage(size.width, size.height, QImage::Format_RGB32);
    redraw();
}

void PlanImage::followControlSize() {
    if (width() <= 0 || height() <= 0) return;
    const double widthRatio = keptWidthRatio_;
    const double heightRatio = keptHeightRatio_;
    setBitmapSize(
        {static_cast<int>(width() * widthRatio), static_cast<int>(height() * heightRatio)});
    // A bitmap held at its largest size keeps the ratio the user zoomed to.
    keptWidthRatio_ = widthRatio;
    keptHeightRatio_ = heightRatio;
}

double PlanImage::widthRatio() const { return width() > 0 ? double(bitmap_.width()) / width() : 1; }

double PlanImage::heightRatio() const {
    return height() > 0 ? double(bitmap_.height()) / height() : 1;
}

void PlanImage::drawCursor(int centreX, int centreY, int radius) {
    if (cursorShown_) update(cursorArea());
    // A circle larger than the bitmap looks no different from one just larger.
    const int largest = 2 * std::max({bitmap_.width(), bitmap_.height(), 1});
    cursorShown_ = true;
    cursorCentre_ = QPoint(centreX, centreY);
    cursorRadius_ = std::min(radius, largest);
    update(cursorArea());
}

void PlanImage::eraseCursor() {
    if (!cursorShown_) return;
    cursorShown_ = false;
    update(cursorArea());
}

// The control pixels the cursor covers, so that moving it repaints only there.
QRect PlanImage::cursorArea() const {
    if (bitmap_.width() == 0 || bitmap_.height() == 0) return rect();
    const double scaleX = double(width()) / bitmap_.width();
    const double scaleY = double(height()) / bitmap_.height();
    const int margin = 2 + static_cast<int>(std::ceil(std::max(scaleX, scaleY)));
    const QRectF area((cursorCentre_.x() - cursorRadius_) * scaleX,
                      (cursorCentre_.y() - cursorRadius_) * scaleY, 2.0 * cursorRadius_ * scaleX,
                      2.0 * cursorRadius_ * scaleY);
    return area.toAlignedRect().adjusted(-margin, -margin, margin, margin).intersected(rect());
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

void PlanImage::mouseReleaseEvent(QMouseEvent* event) {
    emit released(event->position().toPoint());
}

}  // namespace korvela
