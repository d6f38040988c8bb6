#pragma once

#include <QDialog>

namespace korvela {

// The display settings of the plan.
class TSettings : public QDialog {
    Q_OBJECT
public:
    explicit TSettings(QWidget* parent);
};

}  // namespace korvela
