#pragma once

#include <QDialog>
#include <array>

#include "plan/plan_view.h"

class QLineEdit;
class QPushButton;
class QScrollBar;

namespace korvela {

// The rotation dialog: the angle added to 90° for turning the selected points about the Y
// axis, and three scroll bars that turn the plan's view about its axes and show its angles
// (position P stands for P − 1 degrees) whoever changed them. Its title bar has no buttons: it
// is left through "Повернуть" or "Закрыть".
class TForm2 : public QDialog, private PlanViewObserver {
    Q_OBJECT
public:
    TForm2(QWidget* parent, PlanView& view);
    ~TForm2() override;

    QString angleText() const;
    void setAngleText(const QString& text);

    void Button1Click();  // "Повернуть"
    void Button2Click();  // "Закрыть"

signals:
    // "Повернуть": the dialog has closed; the points are to be turned by the angle text.
    void rotateRequested();

private:
    // A scroll bar and the view angle it shows.
    struct AngleBar {
        QScrollBar* bar;
        double ViewState::*angle;
    };

    QScrollBar* addScrollBar(const char* name, const char* caption, int top,
                             double ViewState::*angle);
    // A bar moved: wrapped, then its angle goes into the view.
    void ScrollBarChange(QScrollBar* bar, int position, double ViewState::*angle);
    void viewChanged(const ViewState& before) override;

    PlanView& view_;
    std::array<AngleBar, 3> angleBars_{};

    QLineEdit* Edit1 = nullptr;
    QPushButton* Button1 = nullptr;
    QPushButton* Button2 = nullptr;
    QScrollBar* ScrollBar1 = nullptr;
    QScrollBar* ScrollBar2 = nullptr;
    QScrollBar* ScrollBar3 = nullptr;
};

}  // namespace korvela
