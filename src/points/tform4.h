#pragma once

#include <QDialog>

namespace korvela {

// The add-one-point dialog.
class TForm4 : public QDialog {
    Q_OBJECT
public:
    explicit TForm4(QWidget* parent);
};

}  // namespace korvela
