#pragma once

#include <QMainWindow>

namespace korvela {

// The area calculation window: a parcel's area by the coordinate method.
class TGeop : public QMainWindow {
    Q_OBJECT
public:
    TGeop();
};

}  // namespace korvela
