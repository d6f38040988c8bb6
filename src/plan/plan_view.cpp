#include "plan/plan_view.h"

#include <algorithm>
#include <cmath>

#include "plan/plan_navigation.h"
#include "points/point_store.h"
#include "points/workspace.h"

namespace korvela {
namespace {

constexpr std::size_t kCentrePoint = 10;  // the eleventh point
constexpr double kCentreHeightLift = 20.0;
// Angles beyond this many degrees are held here before their conversion to a bar position.
constexpr double kLargestFileAngle = 1000.0;

}  // namespace

void PlanView::addObserver(PlanViewObserver& observer) { observers_.push_back(&observer); }

void PlanView::removeObserver(PlanViewObserver& observer) { std::erase(observers_, &observer); }

void PlanView::set(const ViewState& view) {
    if (view == state_) return;
    const ViewState before = std::exchange(state_, view);
    for (PlanViewObserver* observer : observers_) observer->viewChanged(before);
}

void PlanView::change(const std::function<void(ViewState&)>& edit) {
    ViewState view = state_;
    edit(view);
    set(view);
}

void PlanView::place(const ViewState& placement) {
    change([&](ViewState& view) { takePlacement(view, placement); });
}

int wrapViewScrollPosition(int position) {
    if (position == 0) return 360;
    if (position == 361) return 1;
    return position;
}

double shownViewAngle(double degrees) {
    if (!std::isfinite(degrees)) return 0;
    const double whole = std::trunc(std::clamp(degrees, -kLargestFileAngle, kLargestFileAngle));
    const int position = std::clamp(static_cast<int>(whole) + 1, kViewScrollMinimum,
                                    kViewScrollMaximum);
    return wrapViewScrollPosition(position) - 1;
}

void ResetView(ViewState& view) { view = ViewState(); }

void CentreViewOnStore(ViewState& view, const PointStore& store) {
    ResetView(view);
    if (store.count() <= kCentrePoint) return;
    view.offsetX = -store.x()[kCentrePoint];
    view.offsetY = -store.y()[kCentrePoint];
    view.offsetZ = store.z()[kCentrePoint] - kCentreHeightLift;
}

void RestoreViewFromProject(ViewState& view, const ViewState& fromFile) {
    // A scale the plan cannot draw with (a damaged or foreign file) falls back to the reset one.
    const bool usableScale = std::isfinite(fromFile.scale) && fromFile.scale > 0;
    view.scale = usableScale ? fromFile.scale : ViewState().scale;
    view.panDown = fromFile.panDown;
    view.panRight = fromFile.panRight;
    view.depthOffset = fromFile.depthOffset;
}

ViewState viewAfterImport(const ViewState& current, const PointStore& points) {
    ViewState centred;
    CentreViewOnStore(centred, points);
    ViewState view = current;
    takePlacement(view, centred);
    showAllWhenNoneOnPlan(view, {&points});
    return view;
}

ViewState viewAfterOpening(const ViewState& current, const ViewState& fromFile,
                           const PointStore& points) {
    ViewState view = fromFile;
    takePlacement(view, current);  // the file's label settings where the plan looks now
    RestoreViewFromProject(view, fromFile);
    view.rollDeg = shownViewAngle(fromFile.rollDeg);
    view.tiltDeg = shownViewAngle(fromFile.tiltDeg);
    view.azimuthDeg = shownViewAngle(fromFile.azimuthDeg);
    showAllWhenNoneOnPlan(view, {&points});
    return view;
}

ViewState viewAfterClosing(const ViewState& current) {
    ViewState view = current;
    takePlacement(view, ViewState());
    return view;
}

void appendShowingPoints(Workspace& points, PlanView& view, const PointStore& added,
                         std::string stepName) {
    const ViewState viewFound = view.state();
    view.change([&](ViewState& shown) { showAllWhenNoneOnPlan(shown, {&points.store(), &added}); });
    points.append(added, false, std::move(stepName), viewFound);
}

}  // namespace korvela
