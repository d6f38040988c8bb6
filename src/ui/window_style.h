#pragma once

#include <QFont>

class QFrame;
class QWidget;

namespace korvela {

// The look the program's windows share.

// The decorative green strip beside the grids ("money green").
QFrame* createGreenBar(QWidget* parent, const char* name);

// The windows' font: DejaVu Sans, which has the Cyrillic glyphs, at a size in pixels.
QFont windowFont(int pixelSize);

}  // namespace korvela
