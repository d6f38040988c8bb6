#pragma once

#include <QDialog>

namespace korvela {

// The self-closing notice.
class TForm7 : public QDialog {
    Q_OBJECT
public:
    explicit TForm7(QWidget* parent);
};

}  // namespace korvela
