#pragma once

#include <QDialog>

#include "plan/plan_paper.h"

class QComboBox;
class QSpinBox;

namespace korvela {

class PlanImage;
class UserDialogs;
struct ProgramData;

// The choices of "Сохранить план…": PDF or PNG, paper, orientation, PNG resolution.
class PlanPaperDialog : public QDialog {
    Q_OBJECT
public:
    explicit PlanPaperDialog(QWidget* parent);

    PlanPaper paper() const;

private:
    QComboBox* formatBox_ = nullptr;
    QComboBox* paperBox_ = nullptr;
    QComboBox* orientationBox_ = nullptr;
    QSpinBox* resolutionBox_ = nullptr;
};

// The page's content: the plan as the image control shows it, the name of the file the points
// came from (the status line) and today's date.
PlanPicture planPictureOf(const ProgramData& data, const PlanImage& plan);

// File ▸ "Сохранить план…": the choices, then the file; a file that cannot be written is
// reported in a message.
void SavePlanClick(QWidget* parent, UserDialogs& dialogs, const PlanPicture& picture);

// File ▸ "Печать плана": the print dialog, then the same page on the printer's paper.
void PrintPlanClick(QWidget* parent, UserDialogs& dialogs, const PlanPicture& picture);

}  // namespace korvela
