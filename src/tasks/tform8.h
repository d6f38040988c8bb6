#pragma once

#include <QDialog>

namespace korvela {

// The report window of the survey tasks.
class TForm8 : public QDialog {
    Q_OBJECT
public:
    explicit TForm8(QWidget* parent);
};

}  // namespace korvela
