#include "tasks/survey_tasks.h"

#include "area/area_sheet.h"
#include "area/tgeop.h"
#include "common/number_parse.h"
#include "exchange/tform5.h"
#include "plan/plan_image.h"
#include "plan/plan_navigation.h"
#include "plan/tform7.h"
#include "points/survey_open_dialog.h"
#include "points/workspace.h"
#include "tasks/measurement_reports.h"
#include "tasks/rotation.h"
#include "tasks/survey_join.h"
#include "tasks/tform11.h"
#include "tasks/tform2.h"
#include "tasks/tform8.h"
#include "tasks/tform9.h"
#include "tasks/traverse.h"
#include "ui/qt_text.h"
#include "ui/tolerances.h"
#include "ui/user_dialogs.h"

namespace korvela {
namespace {

const char* const kLengthCaption = "Длина";
const char* const kAnglesCaption = "Внутренние углы";
const char* const kDirectionalAngleCaption = "Дирекцинный угол";
const char* const kTraverseCaption = "Элементы хода";
const char* const kBeyondLimitsQuestion =
    "Невязки хода выходят за допуски (см. ведомость). Записать вычисленные координаты?";
const char* const kTraverseStepName = "Уравнивание хода";

// The sheets one after another, as the report window shows them.
std::string traverseReport(const TraverseResult& result) {
    if (result.accuracySheet.empty()) return result.sheet;
    return result.sheet + "\r\n" + result.accuracySheet;
}


}  // namespace

void SurveyTasks::Button1Click() {
    const Workspace& data = windows_.points;
    TGeop& area = windows_.geop;
    area.handOver(areaHandOverSheet(data.store(), data.selected()));
    area.show();
}

void SurveyTasks::N8Click() {
    const Workspace& data = windows_.points;
    if (const auto refusal = lengthReportRefusal(data.selected())) {
        return windows_.dialogs.showMessage(&windows_.parent, fromUtf8(*refusal));
    }
    windows_.form8.showReport(QString::fromUtf8(kLengthCaption),
                              lengthReport(data.store(), data.selected()));
}

void SurveyTasks::N9Click() {
    const Workspace& data = windows_.points;
    windows_.form8.showReport(QString::fromUtf8(kAnglesCaption),
                              interiorAnglesReport(data.store(), data.selected()));
}

void SurveyTasks::N14Click() {
    TForm9& numbers = windows_.form9;
    numbers.useForDirectionalAngle();
    numbers.exec();
    const auto typed = numbers.numbers();
    numbers.restoreForJoin();
    windows_.form8.showReport(QString::fromUtf8(kDirectionalAngleCaption),
                              directionalAngleReport(windows_.points.store(), typed[0], typed[1]));
}

void SurveyTasks::Button2Click() {
    const Workspace& data = windows_.points;
    windows_.form5.clearGrid();
    TForm2& dialog = windows_.form2;
    dialog.setAngleText(fromUtf8(proposedRotationAngle(data.store(), data.selected())));
    dialog.show();
}

void SurveyTasks::rotate() {
    const Workspace& data = windows_.points;
    TForm2& dialog = windows_.form2;
    const double angle = toDoubleStrict(toUtf8(dialog.angleText()));
    TForm5& result = windows_.form5;
    const std::vector<RotationRow> rows = rotatePoints(data.store(), data.selected(), angle);
    for (std::size_t k = 0; k < rows.size(); ++k) {
        result.setRow(static_cast<int>(k) + 1, rows[k].number, rows[k].x, rows[k].y, rows[k].z);
    }
    result.setRowCount(static_cast<int>(rows.size()) + 1);
    // The plan turns with the points: the "y" scroll bar follows the angle.
    dialog.setRollPosition(rollScrollPositionAfterRotation(angle));
    applyViewAngles();
    result.show();
}

void SurveyTasks::applyViewAngles() {
    const TForm2& dialog = windows_.form2;
    ViewState& view = windows_.view;
    view.rollDeg = dialog.rollPosition() - 1;
    view.tiltDeg = dialog.tiltPosition() - 1;
    view.azimuthDeg = dialog.azimuthPosition() - 1;
    windows_.plan.redraw();
}

void SurveyTasks::AddtoProject1Click() {
    Workspace& data = windows_.points;
    TForm7& notice = windows_.form7;
    const auto showNotice = [&notice](JoinNotice which) {
        notice.showNotice(fromUtf8(joinNoticeText(which)));
    };
    if (!joinBasePoints(data.selected())) return showNotice(JoinNotice::WrongBasePoints);
    const std::optional<QString> path =
        windows_.dialogs.askOpenPath(&windows_.parent, surveyOpenDialog());
    if (!path) return showNotice(JoinNotice::WrongBasePoints);
    PointStore second;
    if (const auto error = loadSurveyWhileBusy(&windows_.parent, *path, second)) {
        return windows_.dialogs.showMessage(&windows_.parent, fromUtf8(error->message()));
    }
    TForm9& numbers = windows_.form9;
    numbers.exec();
    JoinOutcome outcome =
        computeJoin(data.store(), data.selected(), second, numbers.numbers(), read(kJoinLimit));
    if (outcome.notice) return showNotice(*outcome.notice);
    // A message box: the notice closes before a point's number and a distance can be read.
    if (outcome.departure) {
        return windows_.dialogs.showMessage(&windows_.parent,
                                            fromUtf8(joinDepartureText(*outcome.departure)));
    }
    const PointStore joined = joinedPoints(std::move(outcome.points));
    const ViewState viewFound = windows_.view;
    showAllWhenNoneOnPlan(windows_.view, {&data.store(), &joined});
    data.append(joined, false, "Добавить к проекту", viewFound);
}

void SurveyTasks::N16Click() { windows_.form11.startPathMode(); }

void SurveyTasks::stationTicked(std::size_t point) {
    const Workspace& data = windows_.points;
    TForm11& traverse = windows_.form11;
    if (traverse.pathModeOn() && data.store().kind()[point] == kKindStation &&
        data.selected()[point] == 1) {
        traverse.addStation(std::string(data.store().number()[point]));
    }
}

void SurveyTasks::stationsTicked(const PointRuns& runs) {
    if (!windows_.form11.pathModeOn()) return;
    for (const auto& [first, end] : runs) {
        for (std::size_t point = first; point < end; ++point) stationTicked(point);
    }
}

void SurveyTasks::addSelectedStations(bool showWindow) {
    const Workspace& data = windows_.points;
    TForm11& traverse = windows_.form11;
    if (!traverse.pathModeOn()) return;
    for (std::size_t point = 0; point < data.store().count(); ++point) {
        if (data.store().kind()[point] == kKindStation && data.selected()[point] != 0) {
            traverse.addStation(std::string(data.store().number()[point]));
        }
    }
    if (showWindow) traverse.show();
}

void SurveyTasks::traverseRequested() {
    const Workspace& data = windows_.points;
    TraverseRequest request = windows_.form11.request();
    request.settings = readTraverseSettings();
    auto outcome = computeTraverse(data.store(), data.observations(), request);
    if (const auto* refusal = std::get_if<TraverseRefusal>(&outcome)) {
        return windows_.dialogs.showMessage(&windows_.parent, fromUtf8(refusal->message));
    }
    const auto& result = std::get<TraverseResult>(outcome);
    windows_.form8.showReport(QString::fromUtf8(kTraverseCaption), traverseReport(result));
    if (result.writesNothing()) return;
    if (!result.withinLimits &&
        !windows_.dialogs.askYesNo(&windows_.parent, QString::fromUtf8(kBeyondLimitsQuestion))) {
        return;
    }
    writeTraverse(result);
}

// Points already in the store get their coordinates; inner stations that are none yet are
// appended as stations.
void SurveyTasks::writeTraverse(const TraverseResult& result) {
    std::vector<PointCoordinates> changed;
    PointStore appended;
    for (const auto* points : {&result.stations, &result.recomputed}) {
        for (const AdjustedPoint& point : *points) {
            if (point.point == kNewPoint) {
                appended.append(point.number, point.x, point.y, point.z, kColourAqua,
                                kKindStation);
            } else {
                changed.push_back({point.point, point.x, point.y, point.z});
            }
        }
    }
    windows_.points.setCoordinates(changed, appended, kTraverseStepName);
}

}  // namespace korvela
