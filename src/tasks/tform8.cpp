#include "tasks/tform8.h"

namespace korvela {

TForm8::TForm8(QWidget* parent) : QDialog(parent) {
    setObjectName("TForm8");
    setWindowTitle(QString::fromUtf8("Form8"));
}

}  // namespace korvela
