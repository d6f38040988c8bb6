#include "plan/plan_image.h"

#include <QMouseEvent>
#include <QPainter>

namespace korvela {

PlanImage::PlanImage(QWidget* parent) : QWidget(parent) {
    setObjectName("Image1");
    setCursor(Qt::CrossCursor);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void PlanImage::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    if (bitmap_.isNull()) {
        painter.fillRect(rect(), Qt::black);
        return;
    }
    painter.drawImage(rect(), bitmap_);
}

void PlanImage::mousePressEvent(QMouseEvent* event) {
    emit clicked();
    event->accept();
}

}  // namespace korvela
