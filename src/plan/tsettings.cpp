#include "plan/tsettings.h"

namespace korvela {

TSettings::TSettings(QWidget* parent) : QDialog(parent) {
    setObjectName("TSettings");
    setWindowTitle(QString::fromUtf8("Settings"));
}

}  // namespace korvela
