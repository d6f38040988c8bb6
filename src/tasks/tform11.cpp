#include "tasks/tform11.h"

#include <QListWidget>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include "ui/qt_text.h"

namespace korvela {

TForm11::TForm11(QWidget* parent) : QDialog(parent) {
    setObjectName("TForm11");
    setWindowTitle(QStringLiteral("Form11"));
    resize(260, 360);
    ListBox1 = new QListWidget(this);
    ListBox1->setObjectName("ListBox1");
    Button1 = new QPushButton(QString::fromUtf8("Расчитать элементы хода"), this);
    Button1->setObjectName("Button1");
    connect(Button1, &QPushButton::clicked, this, &TForm11::Button1Click);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(ListBox1);
    layout->addWidget(Button1);

    // While the mode is on the window keeps coming back to the front, also after the user
    // closed it by its title bar.
    Timer1 = new QTimer(this);
    Timer1->setObjectName("Timer1");
    Timer1->setInterval(1000);
    connect(Timer1, &QTimer::timeout, this, &TForm11::Timer1Timer);
    Timer1->start();
}

void TForm11::startPathMode() {
    show();
    pathMode_ = true;
}

bool TForm11::ListContains(std::string_view number) const {
    return listed_.count(std::string(number)) > 0;
}

void TForm11::addStation(const std::string& number) {
    if (!listed_.insert(number).second) return;
    stations_.push_back(number);
    ListBox1->addItem(fromCp1251(number));
}

void TForm11::Button1Click() {
    pathMode_ = false;
    close();
}

void TForm11::Timer1Timer() {
    if (!pathMode_) return;
    show();
    raise();
}

}  // namespace korvela
