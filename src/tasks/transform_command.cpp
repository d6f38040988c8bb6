#include "tasks/transform_command.h"

#include <algorithm>

#include "app/qt_text.h"
#include "app/user_dialogs.h"
#include "points/point_store.h"
#include "tasks/tform8.h"

namespace korvela {

std::optional<std::vector<TransformedPoint>> runCommonPointTransform(
    QWidget* parent, UserDialogs& dialogs, const FileDialogRequest& openDialog, TForm8& report,
    const PointStore& store, const std::vector<std::int32_t>& selected) {
    const QString caption = fromUtf8(kTransformCaption);
    TransformOutcome outcome;
    // Without two selected points there can be no two common points: no file is asked for.
    if (std::count_if(selected.begin(), selected.end(), [](std::int32_t flag) { return flag; }) <
        2) {
        outcome.notice = TransformNotice::TooFewCommonPoints;
        report.showReport(caption, transformReport(outcome));
        return std::nullopt;
    }
    const std::optional<QString> path = dialogs.askOpenPath(parent, openDialog);
    if (!path) return std::nullopt;
    PointStore second;
    if (const auto error = second.loadSurveyFile(toLocalPath(*path))) {
        dialogs.showMessage(parent, fromUtf8(error->message()));
        return std::nullopt;
    }
    outcome = computeCommonPointTransform(store, selected, second);
    report.showReport(caption, transformReport(outcome));
    if (outcome.notice) return std::nullopt;
    return std::move(outcome.points);
}

}  // namespace korvela
