#include "tasks/tform2.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>

#include "tasks/rotation.h"

namespace korvela {

TForm2::TForm2(QWidget* parent) : QDialog(parent) {
    setObjectName("TForm2");
    setWindowTitle(QString::fromUtf8("Поворот"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    setFixedSize(330, 230);

    auto* caption = new QLabel(QString::fromUtf8("Добавочный к 90 угол:"), this);
    caption->setGeometry(12, 10, 200, 22);
    Edit1 = new QLineEdit(this);
    Edit1->setObjectName("Edit1");
    Edit1->setGeometry(12, 34, 140, 24);
    Button1 = new QPushButton(QString::fromUtf8("Повернуть"), this);
    Button1->setObjectName("Button1");
    Button1->setGeometry(166, 32, 74, 28);
    Button2 = new QPushButton(QString::fromUtf8("Закрыть"), this);
    Button2->setObjectName("Button2");
    Button2->setGeometry(244, 32, 74, 28);
    connect(Button1, &QPushButton::clicked, this, &TForm2::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &TForm2::Button2Click);

    ScrollBar2 = addScrollBar("ScrollBar2", "x", 80);
    ScrollBar1 = addScrollBar("ScrollBar1", "y", 124);
    ScrollBar3 = addScrollBar("ScrollBar3", "z", 168);
}

QScrollBar* TForm2::addScrollBar(const char* name, const char* caption, int top) {
    auto* label = new QLabel(QString::fromLatin1(caption), this);
    label->setGeometry(12, top, 16, 24);
    auto* bar = new QScrollBar(Qt::Horizontal, this);
    bar->setObjectName(name);
    bar->setGeometry(32, top, 286, 22);
    bar->setRange(kViewScrollMinimum, kViewScrollMaximum);
    bar->setPageStep(0);
    bar->setValue(1);
    connect(bar, &QScrollBar::valueChanged, this,
            [this, bar](int position) { ScrollBarChange(bar, position); });
    return bar;
}

// 0 wraps to 360 and 361 to 1; setting the wrapped position changes the bar once more.
void TForm2::ScrollBarChange(QScrollBar* bar, int position) {
    const int wrapped = wrapViewScrollPosition(position);
    if (wrapped != position) {
        bar->setValue(wrapped);
        return;
    }
    emit viewAnglesChanged();
}

QString TForm2::angleText() const { return Edit1->text(); }

void TForm2::setAngleText(const QString& text) { Edit1->setText(text); }

int TForm2::rollPosition() const { return ScrollBar1->value(); }
int TForm2::tiltPosition() const { return ScrollBar2->value(); }
int TForm2::azimuthPosition() const { return ScrollBar3->value(); }
void TForm2::setRollPosition(int position) { ScrollBar1->setValue(position); }
void TForm2::setTiltPosition(int position) { ScrollBar2->setValue(position); }
void TForm2::setAzimuthPosition(int position) { ScrollBar3->setValue(position); }

void TForm2::Button1Click() {
    close();
    emit rotateRequested();
}

void TForm2::Button2Click() { close(); }

}  // namespace korvela
