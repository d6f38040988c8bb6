#pragma once

#include <functional>
#include <string>
#include <vector>

#include "points/view_state.h"

namespace korvela {

class PointStore;
class Workspace;

// Told of every change of the plan's view, after the change; `before` is the view as it was.
class PlanViewObserver {
public:
    virtual void viewChanged(const ViewState& before) = 0;

protected:
    ~PlanViewObserver() = default;
};

// The plan's view for the program's whole run: offsets, angles, scale, pans and the label
// settings. Every change goes through `set` or `change`, which take the new view and, when it
// differs, announce it once to the observers (the plan, the settings window, the rotation
// dialog). Undo and redo of a step that moved the view reach it as a ViewPlacement.
class PlanView final : public ViewPlacement {
public:
    PlanView() = default;
    PlanView(const PlanView&) = delete;
    PlanView& operator=(const PlanView&) = delete;

    const ViewState& state() const override { return state_; }

    void addObserver(PlanViewObserver& observer);
    void removeObserver(PlanViewObserver& observer);

    void set(const ViewState& view);
    // `edit` changes a copy of the view, which then becomes the view; when `edit` throws,
    // the view stays as it was.
    void change(const std::function<void(ViewState&)>& edit);
    // Where the plan looks becomes that of `placement`; the label settings stay.
    void place(const ViewState& placement) override;

private:
    ViewState state_;
    std::vector<PlanViewObserver*> observers_;
};

// The view angles are the whole degrees the rotation dialog's scroll bars show: position P
// stands for P − 1 degrees, and the bars run from 0 to 362.
inline constexpr int kViewScrollMinimum = 0;
inline constexpr int kViewScrollMaximum = 362;

// A change of a view scroll bar wraps 0 to 360 and 361 to 1; 362 stays.
int wrapViewScrollPosition(int position);

// The angle the scroll bars show for an angle read from a file: its whole degrees, held within
// the bars' range, then wrapped. A value that is no number at all leaves the view unturned.
double shownViewAngle(double degrees);

// Back to the reset values.
void ResetView(ViewState& view);

// After an import: reset, then, when the store holds more than ten points, look at the
// eleventh (offsets −x[10], −y[10] and z[10] − 20).
void CentreViewOnStore(ViewState& view, const PointStore& store);

// After opening a project: takes over scale, pans and depth offset; the rest stays.
void RestoreViewFromProject(ViewState& view, const ViewState& fromFile);

// The commands that replace every point set the view in one order: they keep the view they
// found for undo, set the view below through the PlanView (one announcement), then replace
// the points in one step that keeps the view found. The label settings in use survive Import
// and Close; Open takes the file's.

// Import: centred on the eleventh point (CentreViewOnStore), and showing every point when that
// leaves none on the plan.
ViewState viewAfterImport(const ViewState& current, const PointStore& points);
// Open Project: the file's scale, pans and depth offset (RestoreViewFromProject), its label
// settings and its angles as the scroll bars show them; the offsets in use stay, and every
// point is shown when none of the file's is on the plan.
ViewState viewAfterOpening(const ViewState& current, const ViewState& fromFile,
                           const PointStore& points);
// Close Project: the reset view.
ViewState viewAfterClosing(const ViewState& current);

// Points computed or joined beside the others, appended unselected in one step: when none of
// the points would then be on the plan, the view first shows them all, and the step keeps the
// view found.
void appendShowingPoints(Workspace& points, PlanView& view, const PointStore& added,
                         std::string stepName);

}  // namespace korvela
