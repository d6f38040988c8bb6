#pragma once

#include <QDialog>

namespace korvela {

// The window that shows the workbook while the user edits it.
class TForm10 : public QDialog {
    Q_OBJECT
public:
    explicit TForm10(QWidget* parent);
};

}  // namespace korvela
