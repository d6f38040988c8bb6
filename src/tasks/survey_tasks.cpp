#include "tasks/survey_tasks.h"

#include "app/forms.h"
#include "app/qt_text.h"
#include "app/tform1.h"
#include "app/user_dialogs.h"
#include "area/area_sheet.h"
#include "area/tgeop.h"
#include "common/number_parse.h"
#include "exchange/tform5.h"
#include "plan/tform7.h"
#include "points/point_table_model.h"
#include "points/program_data.h"
#include "tasks/measurement_reports.h"
#include "tasks/rotation.h"
#include "tasks/survey_join.h"
#include "tasks/tform11.h"
#include "tasks/tform2.h"
#include "tasks/tform8.h"
#include "tasks/tform9.h"

namespace korvela {
namespace {

const char* const kLengthCaption = "Длина";
const char* const kAnglesCaption = "Внутренние углы";
const char* const kDirectionalAngleCaption = "Дирекцинный угол";

}  // namespace

void SurveyTasks::Button1Click() {
    const ProgramData& data = main_.data();
    TGeop& area = *main_.forms().geop;
    area.handOver(areaHandOverSheet(data.store, data.selected));
    area.show();
}

void SurveyTasks::N8Click() {
    const ProgramData& data = main_.data();
    if (const auto refusal = lengthReportRefusal(data.selected)) {
        return main_.dialogs().showMessage(&main_, fromUtf8(*refusal));
    }
    main_.forms().form8->showReport(QString::fromUtf8(kLengthCaption),
                                    lengthReport(data.store, data.selected));
}

void SurveyTasks::N9Click() {
    const ProgramData& data = main_.data();
    main_.forms().form8->showReport(QString::fromUtf8(kAnglesCaption),
                                    interiorAnglesReport(data.store, data.selected));
}

void SurveyTasks::N14Click() {
    TForm9& numbers = *main_.forms().form9;
    numbers.useForDirectionalAngle();
    numbers.exec();
    const auto typed = numbers.numbers();
    numbers.restoreForJoin();
    main_.forms().form8->showReport(QString::fromUtf8(kDirectionalAngleCaption),
                                    directionalAngleReport(main_.data().store, typed[0], typed[1]));
}

void SurveyTasks::Button2Click() {
    const ProgramData& data = main_.data();
    main_.forms().form5->clearGrid();
    TForm2& dialog = *main_.forms().form2;
    dialog.setAngleText(fromUtf8(proposedRotationAngle(data.store, data.selected)));
    dialog.show();
}

void SurveyTasks::rotate() {
    const ProgramData& data = main_.data();
    TForm2& dialog = *main_.forms().form2;
    const double angle = toDoubleStrict(toUtf8(dialog.angleText()));
    TForm5& result = *main_.forms().form5;
    const std::vector<RotationRow> rows = rotatePoints(data.store, data.selected, angle);
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
    const TForm2& dialog = *main_.forms().form2;
    ViewState& view = main_.data().view;
    view.rollDeg = dialog.rollPosition() - 1;
    view.tiltDeg = dialog.tiltPosition() - 1;
    view.azimuthDeg = dialog.azimuthPosition() - 1;
    main_.redraw();
}

void SurveyTasks::AddtoProject1Click() {
    ProgramData& data = main_.data();
    TForm7& notice = *main_.forms().form7;
    const auto showNotice = [&notice](JoinNotice which) {
        notice.showNotice(fromUtf8(joinNoticeText(which)));
    };
    if (!joinBasePoints(data.selected)) return showNotice(JoinNotice::WrongBasePoints);
    const std::optional<QString> path =
        main_.dialogs().askOpenPath(&main_, TForm1::surveyOpenDialog());
    if (!path) return showNotice(JoinNotice::WrongBasePoints);
    PointStore second;
    if (const auto error = second.loadSurveyFile(toLocalPath(*path))) {
        return main_.dialogs().showMessage(&main_, fromUtf8(error->message()));
    }
    TForm9& numbers = *main_.forms().form9;
    numbers.exec();
    JoinOutcome outcome = computeJoin(data.store, data.selected, second, numbers.numbers());
    if (outcome.notice) return showNotice(*outcome.notice);
    appendJoinedPoints(data.store, data.selected, std::move(outcome.points));
    main_.table().pointsAppended();
    main_.table().rebuildCheckBoxes();
    main_.retickSelection();
    main_.redraw();
}

void SurveyTasks::N16Click() { main_.forms().form11->startPathMode(); }

void SurveyTasks::stationTicked(std::size_t point) {
    const ProgramData& data = main_.data();
    TForm11& traverse = *main_.forms().form11;
    if (traverse.pathModeOn() && data.store.kind()[point] == kKindStation &&
        data.selected[point] == 1) {
        traverse.addStation(std::string(data.store.number()[point]));
    }
}

void SurveyTasks::addSelectedStations() {
    const ProgramData& data = main_.data();
    TForm11& traverse = *main_.forms().form11;
    if (!traverse.pathModeOn()) return;
    for (std::size_t point = 0; point < data.store.count(); ++point) {
        if (data.store.kind()[point] == kKindStation && data.selected[point] != 0) {
            traverse.addStation(std::string(data.store.number()[point]));
        }
    }
    traverse.show();
}

}  // namespace korvela
