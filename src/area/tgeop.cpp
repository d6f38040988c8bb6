#include "area/tgeop.h"

namespace korvela {

TGeop::TGeop() {
    setObjectName("TGeop");
    setWindowTitle(QString::fromUtf8("Вычисление площадей"));
}

}  // namespace korvela
