#include "points/project_commands.h"

#include <algorithm>
#include <cmath>
#include <variant>

#include "app/forms.h"
#include "app/qt_text.h"
#include "app/tform1.h"
#include "app/user_dialogs.h"
#include "plan/plan_image.h"
#include "plan/tsettings.h"
#include "points/point_table_model.h"
#include "points/program_data.h"
#include "points/project_file.h"
#include "tasks/tform2.h"

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
    const ProgramData& data = main_.data();
    if (const auto refusal = unsavableNumberMessage(data.store)) {
        return main_.dialogs().showMessage(&main_, fromUtf8(*refusal));
    }
    const std::optional<QString> path = main_.dialogs().askSavePath(&main_, FileDialogRequest{});
    if (!path) return;
    if (const auto error =
            saveProjectFile(toLocalPath(*path), data.view, data.selected, data.store)) {
        main_.dialogs().showMessage(&main_, fromUtf8(error->message()));
    }
}

void ProjectCommands::Open11Click() {
    const std::optional<QString> path = main_.dialogs().askOpenPath(&main_, FileDialogRequest{});
    if (!path) return;
    auto opened = openProjectFile(toLocalPath(*path));
    if (const auto* error = std::get_if<FileError>(&opened)) {
        return main_.dialogs().showMessage(&main_, fromUtf8(error->message()));
    }
    if (const auto* damaged = std::get_if<DamagedProjectFile>(&opened)) {
        return main_.dialogs().showMessage(&main_, fromUtf8(damaged->message()));
    }
    ProjectContent& content = std::get<ProjectContent>(opened);
    ProgramData& data = main_.data();
    Forms& forms = main_.forms();

    data.store = std::move(content.store);
    data.selected = selectionAfterOpening(content.selected);
    main_.table().fillTable();
    RestoreViewFromProject(data.view, content.view);
    // The settings window and the rotation dialog show the file's choices; their handlers
    // carry them into the view.
    forms.settings->showChoices(content.view);
    forms.form2->setRollPosition(scrollPositionOf(content.view.rollDeg));
    forms.form2->setTiltPosition(scrollPositionOf(content.view.tiltDeg));
    forms.form2->setAzimuthPosition(scrollPositionOf(content.view.azimuthDeg));
    main_.plan().setBitmapSize(main_.plan().controlSize());
    main_.setStatusText(QString::fromUtf8(kNoFileStatus));
    main_.retickSelection();
    main_.redraw();
}

void ProjectCommands::CloseProject1Click() {
    ProgramData& data = main_.data();
    ResetView(data.view);
    main_.table().clearTable();
    main_.setStatusText(QString());
    data.store.clear();
    data.selected.clear();
    main_.redraw();
}

}  // namespace korvela
