#include "plan/tform7.h"

namespace korvela {

TForm7::TForm7(QWidget* parent) : QDialog(parent) {
    setObjectName("TForm7");
    setWindowTitle(QString::fromUtf8("Выбрано сразу несколько точек"));
}

}  // namespace korvela
