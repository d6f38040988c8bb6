#pragma once

#include <optional>

#include "plan/view_transform.h"

namespace korvela {

struct ViewState;

// The measures a plan on paper states beside the picture. The view maps the same extent onto
// the bitmap's width and onto its height, so a square frame of `side` pixels shows the plan
// true to scale in both directions.

// Bitmap pixels per metre of the survey in such a square frame (exact for a plan, that is with
// the tilt and roll angles at 0).
double pixelsPerMetre(const ViewState& view, double side);

// The direction in which +X (north) points on the bitmap, a unit vector (x right, y down);
// nothing when the view looks along the X axis.
std::optional<ScreenPoint> northOnBitmap(const ViewState& view);

// The longest round length (1, 2 or 5 times a power of ten) not over `longest` metres, for a
// scale bar; 0 when longest is not a positive finite length.
double scaleBarLength(double longest);

}  // namespace korvela
