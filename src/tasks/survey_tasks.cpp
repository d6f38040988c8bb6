#include "tasks/survey_tasks.h"

#include "plan/plan_view.h"
#include "plan/tform7.h"
#include "points/survey_open_dialog.h"
#include "points/workspace.h"
#include "tasks/measurement_reports.h"
#include "tasks/survey_join.h"
#include "tasks/tform11.h"
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

void N8Click(QWidget* parent, UserDialogs& dialogs, const Workspace& points, TForm8& report) {
    if (const auto refusal = lengthReportRefusal(points.selected())) {
        return dialogs.showMessage(parent, fromUtf8(*refusal));
    }
    report.showReport(QString::fromUtf8(kLengthCaption),
                      lengthReport(points.store(), points.selected()));
}

void N9Click(const Workspace& points, TForm8& report) {
    report.showReport(QString::fromUtf8(kAnglesCaption),
                      interiorAnglesReport(points.store(), points.selected()));
}

void N14Click(const Workspace& points, TForm9& numbers, TForm8& report) {
    numbers.useForDirectionalAngle();
    numbers.exec();
    const auto typed = numbers.numbers();
    numbers.restoreForJoin();
    report.showReport(QString::fromUtf8(kDirectionalAngleCaption),
                      directionalAngleReport(points.store(), typed[0], typed[1]));
}

void AddtoProject1Click(QWidget* parent, UserDialogs& dialogs, Workspace& points, PlanView& view,
                        TForm7& notice, TForm9& numbers) {
    const auto showNotice = [&notice](JoinNotice which) {
        notice.showNotice(fromUtf8(joinNoticeText(which)));
    };
    if (!joinBasePoints(points.selected())) return showNotice(JoinNotice::WrongBasePoints);
    const std::optional<QString> path = dialogs.askOpenPath(parent, surveyOpenDialog());
    if (!path) return showNotice(JoinNotice::WrongBasePoints);
    PointStore second;
    if (const auto error = loadSurveyWhileBusy(parent, *path, second)) {
        return dialogs.showMessage(parent, fromUtf8(error->message()));
    }
    numbers.exec();
    JoinOutcome outcome =
        computeJoin(points.store(), points.selected(), second, numbers.numbers(), read(kJoinLimit));
    if (outcome.notice) return showNotice(*outcome.notice);
    // A message box: the notice closes before a point's number and a distance can be read.
    if (outcome.departure) {
        return dialogs.showMessage(parent, fromUtf8(joinDepartureText(*outcome.departure)));
    }
    appendShowingPoints(points, view, joinedPoints(std::move(outcome.points)),
                        "Добавить к проекту");
}

void TraversePath::N16Click() { traverse_.startPathMode(); }

void TraversePath::stationTicked(std::size_t point) {
    if (traverse_.pathModeOn() && points_.store().kind()[point] == kKindStation &&
        points_.selected()[point] == 1) {
        traverse_.addStation(std::string(points_.store().number()[point]));
    }
}

void TraversePath::stationsTicked(const PointRuns& runs) {
    if (!traverse_.pathModeOn()) return;
    for (const auto& [first, end] : runs) {
        for (std::size_t point = first; point < end; ++point) stationTicked(point);
    }
}

void TraversePath::addSelectedStations(bool showWindow) {
    if (!traverse_.pathModeOn()) return;
    const PointStore& store = points_.store();
    for (std::size_t point = 0; point < store.count(); ++point) {
        if (store.kind()[point] == kKindStation && points_.selected()[point] != 0) {
            traverse_.addStation(std::string(store.number()[point]));
        }
    }
    if (showWindow) traverse_.show();
}

void TraversePath::traverseRequested() {
    TraverseRequest request = traverse_.request();
    request.settings = readTraverseSettings();
    auto outcome = computeTraverse(points_.store(), points_.observations(), request);
    if (const auto* refusal = std::get_if<TraverseRefusal>(&outcome)) {
        return dialogs_.showMessage(&parent_, fromUtf8(refusal->message));
    }
    const auto& result = std::get<TraverseResult>(outcome);
    report_.showReport(QString::fromUtf8(kTraverseCaption), traverseReport(result));
    if (result.writesNothing()) return;
    if (!result.withinLimits &&
        !dialogs_.askYesNo(&parent_, QString::fromUtf8(kBeyondLimitsQuestion))) {
        return;
    }
    writeTraverse(result);
}

// Points already in the store get their coordinates; inner stations that are none yet are
// appended as stations (the same traverse computed again changes nothing and is no step).
void TraversePath::writeTraverse(const TraverseResult& result) {
    std::vector<PointCoordinates> changed;
    PointStore appended;
    for (const auto* adjusted : {&result.stations, &result.recomputed}) {
        for (const AdjustedPoint& point : *adjusted) {
            if (point.point == kNewPoint) {
                appended.append(point.number, point.x, point.y, point.z, kColourAqua,
                                kKindStation);
            } else {
                changed.push_back({point.point, point.x, point.y, point.z});
            }
        }
    }
    points_.setCoordinates(changed, appended, kTraverseStepName);
}

}  // namespace korvela
