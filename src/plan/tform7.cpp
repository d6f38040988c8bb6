#include "plan/tform7.h"

#include <QPushButton>
#include <QTimer>

namespace korvela {

TForm7::TForm7(QWidget* parent) : QDialog(parent) {
    setObjectName("TForm7");
    setWindowTitle(QString::fromUtf8(kSeveralPointsCaption));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    setFixedSize(550, 65);
    Button1 = new QPushButton(QStringLiteral("Ok"), this);
    Button1->setObjectName("Button1");
    Button1->setGeometry(237, 18, 75, 28);
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
