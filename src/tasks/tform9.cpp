#include "tasks/tform9.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "ui/qt_text.h"

namespace korvela {
namespace {

const char* const kJoinCaption = "Номера базовых точек второй системы";
const char* const kDirectionalAngleCaption = "Дирекционный угол";

}  // namespace

TForm9::TForm9(QWidget* parent) : QDialog(parent) {
    setObjectName("TForm9");
    setWindowTitle(QString::fromUtf8(kJoinCaption));
    setFixedSize(320, 168);
    QLabel* unused = nullptr;
    Edit1 = addField("Edit1", "1-я", 12, &unused);
    Edit2 = addField("Edit2", "2-я", 44, &unused);
    Edit3 = addField("Edit3", "3-я", 76, &Label3);
    Button1 = new QPushButton(QString::fromUtf8("Ок"), this);
    Button1->setObjectName("Button1");
    Button1->setGeometry(120, 120, 80, 28);
    Button1->setDefault(true);
    connect(Button1, &QPushButton::clicked, this, &QDialog::accept);
}

QLineEdit* TForm9::addField(const char* name, const char* caption, int top, QLabel** label) {
    *label = new QLabel(QString::fromUtf8(caption), this);
    (*label)->setGeometry(16, top, 40, 24);
    auto* field = new QLineEdit(this);
    field->setObjectName(name);
    field->setGeometry(64, top, 236, 24);
    return field;
}

void TForm9::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    Edit1->setFocus(Qt::OtherFocusReason);
    Edit1->selectAll();
}

void TForm9::useForDirectionalAngle() {
    setWindowTitle(QString::fromUtf8(kDirectionalAngleCaption));
    Edit3->hide();
    Label3->hide();
}

void TForm9::restoreForJoin() {
    Edit3->show();
    Label3->show();
    setWindowTitle(QString::fromUtf8(kJoinCaption));
}

std::array<std::string, 3> TForm9::numbers() const {
    return {toCp1251(Edit1->text()), toCp1251(Edit2->text()), toCp1251(Edit3->text())};
}

}  // namespace korvela
