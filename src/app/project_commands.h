#pragma once

class QWidget;

namespace korvela {

class PlanImage;
class PlanView;
class UserDialogs;
class Workspace;

// What the project commands work with.
struct ProjectWindows {
    QWidget& parent;
    UserDialogs& dialogs;
    Workspace& points;
    PlanView& view;
    PlanImage& plan;
};

// The main window's File menu items that keep the work: "Save Project", "Open Project" and
// "Close Project". Open and Close set the view as plan/plan_view.h orders it.
class ProjectCommands {
public:
    explicit ProjectCommands(ProjectWindows windows) : windows_(windows) {}

    // File ▸ "Save Project": the view, the selection and every point into a file the user names.
    void Save21Click();
    // File ▸ "Open Project": replaces the work with a project file's: points, ticks, red rows,
    // the plan's scale and pan, the display settings and the view angles (whole degrees); the
    // offsets stay. A file that cannot be read or is damaged is reported and changes nothing.
    void Open11Click();
    // File ▸ "Close Project": empties the store and the table; nothing is saved.
    void CloseProject1Click();

private:
    ProjectWindows windows_;
};

}  // namespace korvela
