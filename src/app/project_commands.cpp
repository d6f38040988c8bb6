#include "app/project_commands.h"

#include <variant>

#include "plan/plan_image.h"
#include "plan/plan_view.h"
#include "points/project_file.h"
#include "points/workspace.h"
#include "ui/busy_indicator.h"
#include "ui/qt_text.h"
#include "ui/user_dialogs.h"

namespace korvela {

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
            return saveProjectFile(localPath, windows_.view.state(), points.selected(), points.store(),
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
    const ViewState viewFound = windows_.view.state();
    windows_.plan.setBitmapSize(windows_.plan.controlSize());
    windows_.view.set(viewAfterOpening(viewFound, content.view, content.store));
    windows_.points.replaceAll(std::move(content.store), std::move(content.observations),
                               std::move(content.selected), kNoFileStatus, "Открыть проект",
                               viewFound);
    if (content.observationsDamaged) {
        windows_.dialogs.showMessage(&windows_.parent, fromUtf8(kObservationsUnreadable));
    }
}

void ProjectCommands::CloseProject1Click() {
    const ViewState viewFound = windows_.view.state();
    windows_.view.set(viewAfterClosing(viewFound));
    windows_.points.replaceAll(PointStore(), ObservationList(), {}, std::string(), "Закрыть проект",
                               viewFound);
}

}  // namespace korvela
