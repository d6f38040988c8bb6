#include "exchange/tform10.h"

namespace korvela {

TForm10::TForm10(QWidget* parent) : QDialog(parent) {
    setObjectName("TForm10");
    setWindowTitle(QString::fromUtf8("Добавить много точек"));
}

}  // namespace korvela
