#include "ui/window_style.h"

#include <QFrame>
#include <QPalette>

namespace korvela {
namespace {

const QColor kMoneyGreen(192, 220, 192);

}  // namespace

QFrame* createGreenBar(QWidget* parent, const char* name) {
    auto* bar = new QFrame(parent);
    bar->setObjectName(name);
    bar->setAutoFillBackground(true);
    QPalette palette = bar->palette();
    palette.setColor(QPalette::Window, kMoneyGreen);
    bar->setPalette(palette);
    return bar;
}

QFont windowFont(int pixelSize) {
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(pixelSize);
    return font;
}

}  // namespace korvela
