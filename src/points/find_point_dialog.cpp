#include "points/find_point_dialog.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "points/point_store.h"
#include "ui/qt_text.h"

namespace korvela {
namespace {

const char* const kCaption = "Найти точку";
const char* const kNumberLabel = "номер";
const char* const kFindButton = "Найти";
const char* const kNotFound = "Точки с номером «%1» нет.";

}  // namespace

FindPointDialog::FindPointDialog(QWidget* parent, const PointStore& store)
    : QDialog(parent), store_(store) {
    setObjectName("FindPointDialog");
    setWindowTitle(QString::fromUtf8(kCaption));
    auto* layout = new QFormLayout(this);
    number_ = new QLineEdit(this);
    number_->setObjectName("number");
    layout->addRow(QString::fromUtf8(kNumberLabel), number_);
    notFound_ = new QLabel(this);
    notFound_->setObjectName("notFound");
    layout->addRow(notFound_);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Cancel, this);
    QPushButton* find =
        buttons->addButton(QString::fromUtf8(kFindButton), QDialogButtonBox::AcceptRole);
    find->setObjectName("find");
    find->setDefault(true);
    layout->addRow(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &FindPointDialog::findClick);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

void FindPointDialog::findClick() {
    const auto point = findPointNumbered(store_, toCp1251(number_->text()));
    if (!point) {
        notFound_->setText(QString::fromUtf8(kNotFound).arg(number_->text()));
        number_->selectAll();
        return;
    }
    found_ = *point;
    accept();
}

}  // namespace korvela
