#pragma once

#include <QDialog>

class QCheckBox;
class QLineEdit;
class QPushButton;
class QTabWidget;

namespace korvela {

class PlanImage;
class UserDialogs;
struct ToleranceField;
struct ViewState;

// The display settings of the plan: which labels selected points get, the pointer's pick
// radius, the wheel's zoom mode and the label font. Every change takes effect at once.
// The page "допуски" holds the numbers that decide the survey tasks' results: the join's
// limit, the blunder test's probability and the traverse's limits, k and σ's, kept as
// preferences.
class TSettings : public QDialog {
    Q_OBJECT
public:
    TSettings(QWidget* parent, ViewState& view, PlanImage& plan, UserDialogs& dialogs);

    // The master box "Показывать надписи" switches both sub-boxes.
    void ShowNumberHightClick();
    // Either sub-box, the scaling box or the radius text changed: all four go to the view.
    // A radius that is not an integer throws the conversion error after the labels were taken.
    void ShowNumberClick();
    // "Изменить шрифт": the label font, used from the next redraw on.
    void Button2Click();
    void Button1Click();  // "OK": closes the window
    // "Цвета по кодам": the plan's points in their codes' colours (kept as a preference).
    void CodeColoursClick();

    // Sets the controls to the choices of a view record (an opened project), in the order
    // numbers, heights, radius, scaling; each control that changes runs its handler.
    void showChoices(const ViewState& view);

private:
    void createControls();
    void createToleranceFields();
    void applyCodeColours();
    void toleranceEdited(QLineEdit& field, const ToleranceField& entry);

    ViewState& view_;
    PlanImage& plan_;
    UserDialogs& dialogs_;
    QTabWidget* PageControl1 = nullptr;
    QCheckBox* ShowNumberHight = nullptr;
    QCheckBox* ShowNumber = nullptr;
    QCheckBox* ShowHight = nullptr;
    QCheckBox* CheckBox1 = nullptr;
    QCheckBox* CodeColours = nullptr;
    QLineEdit* Cursor = nullptr;
    QPushButton* Button2 = nullptr;
    QPushButton* Button1 = nullptr;
};

}  // namespace korvela
