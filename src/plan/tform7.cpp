#include "plan/tform7.h"

#include <QLabel>
#include <QPushButton>
#include <QTimer>

namespace korvela {

TForm7::TForm7(QWidget* parent) : QDialog(parent) {
    setObjectName("TForm7");
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    setFixedSize(550, 105);
    Label1 = new QLabel(this);
    Label1->setObjectName("Label1");
    Label1->setGeometry(12, 8, 526, 48);
    Label1->setAlignment(Qt::AlignCenter);
    Label1->setWordWrap(true);
    connect(this, &QWidget::windowTitleChanged, Label1, &QLabel::setText);
    setWindowTitle(QString::fromUtf8(kSeveralPointsCaption));
    Button1 = new QPushButton(QStringLiteral("Ok"), this);
    Button1->setObjectName("Button1");
    Button1->setGeometry(237, 64, 75, 28);
    connect(Button1, &QPushButton::clicked, this, &TForm7::Button1Click);
    Timer1 = new QTimer(this);
    Timer1->setObjectName("Timer1");
    Timer1->setInterval(500);
    connect(Timer1, &QTimer::timeout, this, &TForm7::Timer1Timer);
}

void TForm7::showNotice(const QString& caption) {
    setWindowTitle(caption);
    show();
}

void TForm7::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    ticks_ = 0;
    Timer1->start();
}

void TForm7::Timer1Timer() {
    ++ticks_;
    if (ticks_ >= kTicksShown) {
        Timer1->stop();
        close();
        return;
    }
    show();
    raise();
}

void TForm7::Button1Click() {
    close();
    Timer1->stop();
    ticks_ = kTicksShown;
}

}  // namespace korvela
