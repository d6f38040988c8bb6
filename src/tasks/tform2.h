#pragma once

#include <QDialog>

class QLineEdit;
class QPushButton;
class QScrollBar;

namespace korvela {

// The rotation dialog: the angle added to 90° for turning the selected points about the Y
// axis, and three scroll bars that turn the plan's view about its axes. Its title bar has no
// buttons: it is left through "Повернуть" or "Закрыть".
class TForm2 : public QDialog {
    Q_OBJECT
public:
    explicit TForm2(QWidget* parent);

    QString angleText() const;
    void setAngleText(const QString& text);

    // Scroll bar positions: position P stands for P − 1 degrees.
    int rollPosition() const;     // "y", ScrollBar1
    int tiltPosition() const;     // "x", ScrollBar2
    int azimuthPosition() const;  // "z", ScrollBar3
    void setRollPosition(int position);
    void setTiltPosition(int position);
    void setAzimuthPosition(int position);

    void Button1Click();  // "Повернуть"
    void Button2Click();  // "Закрыть"

signals:
    // "Повернуть": the dialog has closed; the points are to be turned by the angle text.
    void rotateRequested();
    // A view scroll bar moved (after wrapping): the view angles are to be applied.
    void viewAnglesChanged();

private:
    QScrollBar* addScrollBar(const char* name, const char* caption, int top);
    void ScrollBarChange(QScrollBar* bar, int position);

    QLineEdit* Edit1 = nullptr;
    QPushButton* Button1 = nullptr;
    QPushButton* Button2 = nullptr;
    QScrollBar* ScrollBar1 = nullptr;
    QScrollBar* ScrollBar2 = nullptr;
    QScrollBar* ScrollBar3 = nullptr;
};

}  // namespace korvela
