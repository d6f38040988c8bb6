#pragma once

#include "plan/view_state.h"
#include "points/workspace.h"

namespace korvela {

// The data the program works on for its whole run, created before the first window: the
// points with their selection flags and status, then the plan's view.
struct ProgramData {
    Workspace points;
    ViewState view;
};

}  // namespace korvela
