#include "points/tform4.h"

namespace korvela {

TForm4::TForm4(QWidget* parent) : QDialog(parent) {
    setObjectName("TForm4");
    setWindowTitle(QString::fromUtf8("Form4"));
}

}  // namespace korvela
