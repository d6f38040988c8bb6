#include "tasks/transform_command.h"

#include <algorithm>

#include "plan/plan_view.h"
#include "points/survey_open_dialog.h"
#include "points/workspace.h"
#include "tasks/common_point_transform.h"
#include "tasks/tform8.h"
#include "ui/qt_text.h"
#include "ui/tolerances.h"
#include "ui/user_dialogs.h"

namespace korvela {

void TransformClick(QWidget* parent, UserDialogs& dialogs, TForm8& report, Workspace& points,
                    PlanView& view) {
    const QString caption = fromUtf8(kTransformCaption);
    const std::vector<std::int32_t>& selected = points.selected();
    // Without two selected points there can be no two common points: no file is asked for.
    if (std::count_if(selected.begin(), selected.end(), [](std::int32_t flag) { return flag; }) <
        2) {
        TransformOutcome tooFew;
        tooFew.notice = TransformNotice::TooFewCommonPoints;
        return report.showReport(caption, transformReport(tooFew));
    }
    const std::optional<QString> path = dialogs.askOpenPath(parent, surveyOpenDialog());
    if (!path) return;
    PointStore second;
    if (const auto error = loadSurveyWhileBusy(parent, *path, second)) {
        return dialogs.showMessage(parent, fromUtf8(error->message()));
    }
    TransformOutcome outcome =
        computeCommonPointTransform(points.store(), selected, second, read(kBlunderConfidence));
    report.showReport(caption, transformReport(outcome));
    if (outcome.notice) return;
    const PointStore transformed = transformedPoints(std::move(outcome.points));
    appendShowingPoints(points, view, transformed, "Трансформация по общим точкам");
}

}  // namespace korvela
