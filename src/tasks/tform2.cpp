#include "tasks/tform2.h"

namespace korvela {

TForm2::TForm2(QWidget* parent) : QDialog(parent) {
    setObjectName("TForm2");
    setWindowTitle(QString::fromUtf8("Поворот"));
}

}  // namespace korvela
