#include "tasks/tform11.h"

namespace korvela {

TForm11::TForm11(QWidget* parent) : QDialog(parent) {
    setObjectName("TForm11");
    setWindowTitle(QString::fromUtf8("Form11"));
}

}  // namespace korvela
