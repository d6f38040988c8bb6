#pragma once

#include <QDialog>

#include "plan/plan_paper.h"

class QComboBox;
class QSpinBox;

namespace korvela {

class PlanImage;
class UserDialogs;
class Workspace;
struct ViewState;

// The choices of "Сохранить план…": PDF or PNG, paper, orientation, scale, PNG resolution;
// for printing only the scale (the print dialog has the rest). The first scale is the one the
// plan fits at, named with it once the paper is known; the dialog starts at the scale picked
// last.
class PlanPaperDialog : public QDialog {
    Q_OBJECT
public:
    enum class Use { Save, Print };
    PlanPaperDialog(QWidget* parent, const ViewState& view, Use use);

    PlanPaper paper() const;

private:
    void nameFittingScale();

    const ViewState& view_;
    Use use_;
    QComboBox* formatBox_ = nullptr;
    QComboBox* paperBox_ = nullptr;
    QComboBox* orientationBox_ = nullptr;
    QComboBox* scaleBox_ = nullptr;
    QSpinBox* resolutionBox_ = nullptr;
};

// The page's content: the plan as the image control shows it, the name of the file the points
// came from (the status line) and today's date.
PlanPicture planPictureOf(const Workspace& points, const ViewState& view, const PlanImage& plan);

// File ▸ "Сохранить план…": the choices, then the file; a file that cannot be written is
// reported in a message.
void SavePlanClick(QWidget* parent, UserDialogs& dialogs, const PlanPicture& picture);

// File ▸ "Печать плана": the print dialog, then the same page on the printer's paper.
void PrintPlanClick(QWidget* parent, UserDialogs& dialogs, const PlanPicture& picture);

}  // namespace korvela
