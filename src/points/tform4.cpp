#include "points/tform4.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "points/point_table_text.h"
#include "ui/korvela_application.h"
#include "ui/qt_text.h"
#include "ui/window_style.h"

namespace korvela {
namespace {

constexpr int kLabelLeft = 16;
constexpr int kFieldLeft = 64;
constexpr int kFieldWidth = 136;
constexpr int kRowHeight = 32;

}  // namespace

TForm4::TForm4(QWidget* parent) : QDialog(parent) {
    setObjectName("TForm4");
    setWindowTitle(QStringLiteral("Form4"));
    setFont(windowFont(13));
    setFixedSize(216, 181);

    Edit1 = addField("Edit1", "номер", 12);
    Edit2 = addField("Edit2", "x", 12 + kRowHeight);
    Edit3 = addField("Edit3", "y", 12 + 2 * kRowHeight);
    Edit4 = addField("Edit4", "z", 12 + 3 * kRowHeight);
    Button1 = new QPushButton(QStringLiteral("Ok"), this);
    Button1->setObjectName("Button1");
    Button1->setGeometry(kFieldLeft, 12 + 4 * kRowHeight, 75, 28);
    Button1->setDefault(true);
    connectCommand(Button1, &QPushButton::clicked, this, [this] { Button1Click(); });
}

QLineEdit* TForm4::addField(const char* name, const char* caption, int top) {
    auto* label = new QLabel(QString::fromUtf8(caption), this);
    label->setGeometry(kLabelLeft, top, kFieldLeft - kLabelLeft, 24);
    auto* field = new QLineEdit(this);
    field->setObjectName(name);
    field->setGeometry(kFieldLeft, top, kFieldWidth, 24);
    return field;
}

void TForm4::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    Edit1->setFocus(Qt::OtherFocusReason);
    Edit1->selectAll();
}

void TForm4::Button1Click() {
    TypedPoint point;
    point.number = toCp1251(Edit1->text());
    point.x = toTypedCoordinateStrict(toUtf8(Edit2->text()));
    point.y = toTypedCoordinateStrict(toUtf8(Edit3->text()));
    point.z = toTypedCoordinateStrict(toUtf8(Edit4->text()));
    accepted_ = std::move(point);
    accept();
}

}  // namespace korvela
