#pragma once

#include "platform/base/Geometry.h"
#include "platform/graphics/Path.h"
#include "platform/ui/Layer.h"

namespace ui::detail {

// How far along each edge a continuous corner of radius r starts, in units of r. Chosen so that
// the corner's middle lies exactly where a circular corner's does: a cubic from (−e, 0) to
// (0, e) whose inner control points sit on the corner has its middle at e/8 from both edges, and
// a circle of radius r passes at r(1 − 1/√2).
inline constexpr double kContinuousCornerExtent = 8 * (1 - 0.70710678118654752);

// The outline of a rounded rectangle as the compositor fills and clips it.
//
// Circular corners are quarter circles. Continuous corners ease in from the straight edges (the
// curvature starts at zero where the edge ends) and reach the same middle point as a circle of
// the same radius. When the sides are too short for the eased corner, it blends smoothly into
// the circular one, which it becomes once the radius is half the shorter side (a capsule). The
// radius is clamped to half the shorter side; 0 gives a plain rectangle. An empty
// or null rectangle gives an empty path.
graphics::Path roundedRectPath(const base::Rect& rect, double radius, CornerCurve curve);

}  // namespace ui::detail
