#pragma once

#include <optional>

#include "plan/point_grid.h"
#include "points/view_state.h"

namespace korvela {

struct ScreenPoint {
    double x = 0;
    double y = 0;
};

// The view transform from survey coordinates to bitmap pixels, with the sines and cosines
// of the view angles worked out once. cx and cy are half the bitmap's width and height.
// With the angles at 0 it is a plan: Y to the right, X up, Z without effect; other angles
// give an oblique parallel view in which heights move points on the screen.
class ViewTransform {
public:
    ViewTransform(const ViewState& view, double cx, double cy);

    // The same view true to scale in both directions, for paper: one metre is scale times the
    // shorter half size pixels across and down, so a square shows what the plan's bitmap of
    // that side shows.
    static ViewTransform trueToScale(const ViewState& view, double cx, double cy);

    // In the header: the plan projects millions of points in a row.
    ScreenPoint project(double x, double y, double z) const {
        const double l = x + offsetX_;
        const double m = y + offsetY_;
        const double n = z + offsetZ_ + kHeightLift;
        const double u = cosA_ * l - sinA_ * m;
        const double v = sinA_ * l + cosA_ * m;
        const double p = cosB_ * u + sinB_ * n;
        const double q = -sinB_ * u + cosB_ * n;
        const double r = cosC_ * v - sinC_ * q;
        return {cx_ + zoomX_ * (p + panRight_), cy_ + zoomY_ * (r + panDown_)};
    }

    // The survey rectangle holding every point (X, Y) that this view projects into the
    // bitmap rectangle from (left, top) to (right, bottom), whatever its height; nothing when
    // heights move points on the screen (a tilted or rolled view) or the view has no extent.
    std::optional<SurveyBox> surveyBoxOf(double left, double top, double right,
                                         double bottom) const;

private:
    static constexpr double kHeightLift = 20;  // added to every height before projection

    // zoomX and zoomY: pixels per metre across and down.
    ViewTransform(const ViewState& view, double cx, double cy, double zoomX, double zoomY);

    double cx_, cy_;
    double offsetX_, offsetY_, offsetZ_;
    double zoomX_, zoomY_, panRight_, panDown_;
    double cosA_, sinA_, cosB_, sinB_, cosC_, sinC_;
};

// One point through the view transform.
ScreenPoint ProjectPoint(const ViewState& view, double cx, double cy, double x, double y, double z);

}  // namespace korvela
