#pragma once

#include <QDialog>

namespace korvela {

// The traverse window.
class TForm11 : public QDialog {
    Q_OBJECT
public:
    explicit TForm11(QWidget* parent);
};

}  // namespace korvela
