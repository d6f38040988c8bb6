#include "tasks/tform2.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>

#include <QSignalBlocker>

namespace korvela {

TForm2::TForm2(QWidget* parent, PlanView& view) : QDialog(parent), view_(view) {
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

    ScrollBar2 = addScrollBar("ScrollBar2", "x", 80, &ViewState::tiltDeg);
    ScrollBar1 = addScrollBar("ScrollBar1", "y", 124, &ViewState::rollDeg);
    ScrollBar3 = addScrollBar("ScrollBar3", "z", 168, &ViewState::azimuthDeg);
    angleBars_ = {{{ScrollBar1, &ViewState::rollDeg},
                   {ScrollBar2, &ViewState::tiltDeg},
                   {ScrollBar3, &ViewState::azimuthDeg}}};
    viewChanged(view_.state());
    view_.addObserver(*this);
}

TForm2::~TForm2() { view_.removeObserver(*this); }

QScrollBar* TForm2::addScrollBar(const char* name, const char* caption, int top,
                                 double ViewState::*angle) {
    auto* label = new QLabel(QString::fromLatin1(caption), this);
    label->setGeometry(12, top, 16, 24);
    auto* bar = new QScrollBar(Qt::Horizontal, this);
    bar->setObjectName(name);
    bar->setGeometry(32, top, 286, 22);
    bar->setRange(kViewScrollMinimum, kViewScrollMaximum);
    bar->setPageStep(0);
    connect(bar, &QScrollBar::valueChanged, this,
            [this, bar, angle](int position) { ScrollBarChange(bar, position, angle); });
    return bar;
}

// 0 wraps to 360 and 361 to 1; setting the wrapped position changes the bar once more.
void TForm2::ScrollBarChange(QScrollBar* bar, int position, double ViewState::*angle) {
    const int wrapped = wrapViewScrollPosition(position);
    if (wrapped != position) {
        bar->setValue(wrapped);
        return;
    }
    view_.change([&](ViewState& view) { view.*angle = position - 1; });
}

void TForm2::viewChanged(const ViewState&) {
    for (const AngleBar& shown : angleBars_) {
        const QSignalBlocker quiet(shown.bar);
        shown.bar->setValue(static_cast<int>(view_.state().*shown.angle) + 1);
    }
}

QString TForm2::angleText() const { return Edit1->text(); }

void TForm2::setAngleText(const QString& text) { Edit1->setText(text); }


void TForm2::Button1Click() {
    close();
    emit rotateRequested();
}

void TForm2::Button2Click() { close(); }

}  // namespace korvela
