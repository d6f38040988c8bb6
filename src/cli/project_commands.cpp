#include "cli/project_commands.h"

#include <array>
#include <cstdint>
#include <string>
#include <variant>
#include <vector>

#include "cli/standard_input.h"
#include "cli/survey_commands.h"
#include "plan/plan_view.h"
#include "points/point_store.h"
#include "points/project_file.h"

namespace korvela::cli {
namespace {

// "Open Project" of the file, or of the standard input for `-`; the errors name the argument.
std::variant<ProjectContent, FileError, DamagedProjectFile> openProject(const std::string& argument,
                                                                        InputFiles& inputs) {
    auto opened = openProjectFile(inputs.path(argument));
    if (auto* error = std::get_if<FileError>(&opened)) error->path = argument;
    if (auto* damaged = std::get_if<DamagedProjectFile>(&opened)) damaged->path = argument;
    return opened;
}

}  // namespace

int runProject(CommandContext& context) {
    PointStore store;
    ObservationList observations;
    if (!importSurvey(context.arguments[0], store, context, &observations)) return kFileFailure;
    // The import centres the view; the settings window's start state equals the reset values,
    // so re-applying it changes nothing.
    ViewState view;
    CentreViewOnStore(view, store);
    const std::vector<std::int32_t> selected(store.count(), 0);
    if (const auto refusal = unsavableNumberMessage(store)) {
        context.err << *refusal << '\n';
        return kNotice;
    }
    if (const auto error = saveProjectFile(context.arguments[1], view, selected, store, nullptr,
                                           PipeWithoutReader::Wait, &observations)) {
        context.err << "korvela-cli: " << error->message() << '\n';
        return kFileFailure;
    }
    return kSuccess;
}

int runProjectPoints(CommandContext& context) {
    auto opened = openProject(context.arguments[0], context.inputs);
    if (const auto* error = std::get_if<FileError>(&opened)) {
        context.err << "korvela-cli: " << error->message() << '\n';
        return kFileFailure;
    }
    if (const auto* damaged = std::get_if<DamagedProjectFile>(&opened)) {
        context.err << "korvela-cli: " << damaged->message() << '\n';
        return kFileFailure;
    }
    const ProjectContent& project = std::get<ProjectContent>(opened);
    if (project.observationsDamaged) context.err << kObservationsUnreadable << '\n';
    const PointStore& store = project.store;
    const std::vector<std::int32_t> selected = selectionAfterOpening(project.selected);
    printPointLines(store, context.out, [&](std::size_t i) {
        return std::array<std::int32_t, 3>{store.active()[i], selected[i], store.colour()[i]};
    });
    return kSuccess;
}

}  // namespace korvela::cli
