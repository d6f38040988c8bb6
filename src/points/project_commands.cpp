#include "points/project_commands.h"

#include <algorithm>
#include <cmath>
#include <variant>

#include "plan/plan_image.h"
#include "plan/plan_navigation.h"
#include "plan/tsettings.h"
#include "points/point_table_model.h"
#include "points/project_file.h"
#include "points/workspace.h"
#include "tasks/tform2.h"
#include "ui/busy_indicator.h"
#include "ui/korvela_application.h"
#include "ui/qt_text.h"
#include "ui/user_dialogs.h"

namespace korvela {
namespace {

// The scroll bar position of a view angle read from a file: its whole degrees plus 1. The bar
// holds positions 0 to 362; a value that is no number at all leaves the view unturned.
int scrollPositionOf(double angleDegrees) {
    if (!std::isfinite(angleDegrees)) return 1;
    return static_cast<int>(std::trunc(std::clamp(angleDegrees, -1000.0, 1000.0))) + 1;
}

}  // namespace

void ProjectCommands::Save21Click() {
    const Workspace& points = windows_.points;
    if (const auto refusal = unsavableNumberMessage(points.store())) {
        return windows_.dialogs.showMessage(&windows_.parent, fromUtf8(*refusal));
    }
    const std::optional<QString> path =
        windows_.dialogs.askSavePath(&windows_.parent, FileDialogRequest{});
    if (!path) return;
    BusyIndicator busy(&windows_.parent, QString::fromUtf8("Сохранение проекта"));
    const std::string localPath = toLocalPath(*path);
    if (const auto error = busy.run([&] {
            return saveProjectFile(localPath, windows_.view, points.selected(), points.store(),
                                   &busy.progress(), PipeWithoutReader::Refuse,
                                   &points.observations());
        })) {
        windows_.dialogs.showMessage(&windows_.parent, fromUtf8(error->message()));
    }
}

void ProjectCommands::Open11Click() {
    const std::optional<QString> path =
        windows_.dialogs.askOpenPath(&windows_.parent, FileDialogRequest{});
    if (!path) return;
    BusyIndicator busy(&windows_.parent, QString::fromUtf8("Открытие проекта"));
    const std::string localPath = toLocalPath(*path);
    auto opened = busy.run([&] { return openProjectFile(localPath, &busy.progress()); });
    if (const auto* error = std::get_if<FileError>(&opened)) {
        return windows_.dialogs.showMessage(&windows_.parent, fromUtf8(error->message()));
    }
    if (const auto* damaged = std::get_if<DamagedProjectFile>(&opened)) {
        return windows_.dialogs.showMessage(&windows_.parent, fromUtf8(damaged->message()));
    }
    ProjectContent& content = std::get<ProjectContent>(opened);
    const ViewState viewFound = windows_.view;
    windows_.points.replaceAll(std::move(content.store), std::move(content.observations),
                               std::move(content.selected), kNoFileStatus, "Открыть проект",
                               viewFound);
    RestoreViewFromProject(windows_.view, content.view);
    // The settings window and the rotation dialog show the file's choices; their handlers
    // carry them into the view, also when a control already showed the file's choice.
    windows_.settings.showChoices(content.view);
    reportingErrors([this] { windows_.settings.ShowNumberClick(); });
    windows_.form2.setRollPosition(scrollPositionOf(content.view.rollDeg));
    windows_.form2.setTiltPosition(scrollPositionOf(content.view.tiltDeg));
    windows_.form2.setAzimuthPosition(scrollPositionOf(content.view.azimuthDeg));
    // The file's view looks at the file's points from the offsets of the last import: when
    // none of them is on the plan, it shows them all.
    showAllWhenNoneOnPlan(windows_.view, {&windows_.points.store()});
    windows_.plan.setBitmapSize(windows_.plan.controlSize());
    windows_.plan.redraw();
    if (content.observationsDamaged) {
        windows_.dialogs.showMessage(&windows_.parent, fromUtf8(kObservationsUnreadable));
    }
}

// The settings window keeps its choices, as after an import.
void ProjectCommands::CloseProject1Click() {
    const ViewState viewFound = windows_.view;
    ResetView(windows_.view);
    windows_.points.replaceAll(PointStore(), ObservationList(), {}, std::string(), "Закрыть проект",
                               viewFound);
    reportingErrors([this] { windows_.settings.ShowNumberClick(); });
}

}  // namespace korvela
