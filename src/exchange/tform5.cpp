#include "exchange/tform5.h"

namespace korvela {

TForm5::TForm5(QWidget* parent) : QDialog(parent) {
    setObjectName("TForm5");
    setWindowTitle(QString::fromUtf8("AutoCAD"));
}

}  // namespace korvela
