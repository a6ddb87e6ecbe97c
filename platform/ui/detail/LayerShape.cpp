#include "platform/ui/detail/LayerShape.h"

#include <algorithm>
#include <cmath>

namespace ui::detail {

namespace {

// Distance of the middle of a circular corner of radius 1 from both edges.
constexpr double kCircleMiddle = 1 - 0.70710678118654752;

}  // namespace

graphics::Path roundedRectPath(const base::Rect& rect, double radius, CornerCurve curve) {
    graphics::Path path;
    if (rect.isNull() || rect.isEmpty()) return path;
    const base::Rect r = rect.standardized();
    const double half = std::min(r.width(), r.height()) / 2;
    const double rr = std::clamp(std::isfinite(radius) ? radius : 0.0, 0.0, half);
    if (rr <= 0) {
        path.addRect(r);
        return path;
    }
    // Without room to ease in (a capsule) the corner is exactly the circular one.
    const double e = std::min(kContinuousCornerExtent * rr, half);
    if (curve == CornerCurve::Circular || e <= rr) {
        path.addRoundedRect(r, rr);
        return path;
    }

    // Each corner is one cubic from e before the corner to e after it, with its inner control
    // points c from the corner along the edges. The middle of that cubic lies (e + 3c) / 8 from
    // both edges; c is chosen to put it where the circle's middle is. With room for the full
    // extent c is 0 (curvature eases in from zero); with e = r it is the circle's own control
    // distance, so short sides blend into a circular corner.
    const double c = std::max(0.0, (8 * kCircleMiddle * rr - e) / 3);
    const double x0 = r.minX(), y0 = r.minY(), x1 = r.maxX(), y1 = r.maxY();
    path.moveTo({x0 + e, y0});
    path.lineTo({x1 - e, y0});
    path.curveTo({x1 - c, y0}, {x1, y0 + c}, {x1, y0 + e});
    path.lineTo({x1, y1 - e});
    path.curveTo({x1, y1 - c}, {x1 - c, y1}, {x1 - e, y1});
    path.lineTo({x0 + e, y1});
    path.curveTo({x0 + c, y1}, {x0, y1 - c}, {x0, y1 - e});
    path.lineTo({x0, y0 + e});
    path.curveTo({x0, y0 + c}, {x0 + c, y0}, {x0 + e, y0});
    path.close();
    return path;
}

}  // namespace ui::detail
