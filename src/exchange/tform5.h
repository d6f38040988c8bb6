#pragma once

#include <QDialog>

namespace korvela {

// The rotation result window, written on to DXF.
class TForm5 : public QDialog {
    Q_OBJECT
public:
    explicit TForm5(QWidget* parent);
};

}  // namespace korvela
