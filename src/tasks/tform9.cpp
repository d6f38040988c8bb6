#include "tasks/tform9.h"

namespace korvela {

TForm9::TForm9(QWidget* parent) : QDialog(parent) {
    setObjectName("TForm9");
    setWindowTitle(QString::fromUtf8("Номера базовых точек второй системы"));
}

}  // namespace korvela
