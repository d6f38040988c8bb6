#pragma once

#include <QDialog>

#include "plan/plan_view.h"

class QCheckBox;
class QLineEdit;
class QPushButton;
class QTabWidget;

namespace korvela {

class PlanImage;
class UserDialogs;
struct ToleranceField;

// The display settings of the plan: which labels selected points get, the pointer's pick
// radius, the wheel's zoom mode and the label font. Every change takes effect at once.
// The page "допуски" holds the numbers that decide the survey tasks' results: the join's
// limit, the blunder test's probability and the traverse's limits, k and σ's, kept as
// preferences. The controls show the view's label settings whenever they change.
class TSettings : public QDialog, private PlanViewObserver {
    Q_OBJECT
public:
    TSettings(QWidget* parent, PlanView& view, PlanImage& plan, UserDialogs& dialogs);
    ~TSettings() override;

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

private:
    // The controls show the settings that changed; their handlers do not run.
    void viewChanged(const ViewState& before) override;
    // The sub-boxes' choices go into `view`.
    void takeLabels(ViewState& view) const;
    void createControls();
    void createToleranceFields();
    void applyCodeColours();
    void toleranceEdited(QLineEdit& field, const ToleranceField& entry);

    PlanView& view_;
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
