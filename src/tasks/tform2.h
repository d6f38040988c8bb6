#pragma once

#include <QDialog>

namespace korvela {

// The rotation dialog: the added angle and the three view scroll bars.
class TForm2 : public QDialog {
    Q_OBJECT
public:
    explicit TForm2(QWidget* parent);
};

}  // namespace korvela
