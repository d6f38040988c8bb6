#pragma once

#include <QDialog>

namespace korvela {

// The base point numbers dialog.
class TForm9 : public QDialog {
    Q_OBJECT
public:
    explicit TForm9(QWidget* parent);
};

}  // namespace korvela
