#pragma once

#include "plan/plan_view.h"
#include "points/workspace.h"

namespace korvela {

// The data the program works on for its whole run, created before the first window: the
// points with their selection flags and status, then the plan's view, which the points' undo
// history sets back where a step moved it.
struct ProgramData {
    ProgramData() { points.attachView(&view); }
    ProgramData(const ProgramData&) = delete;
    ProgramData& operator=(const ProgramData&) = delete;

    Workspace points;
    PlanView view;
};

}  // namespace korvela
