#include "platform/base/AffineTransform.h"

#include <algorithm>
#include <cmath>

namespace base {

AffineTransform AffineTransform::rotation(double radians) {
    const double s = std::sin(radians);
    const double co = std::cos(radians);
    return {co, s, -s, co, 0, 0};
}

AffineTransform AffineTransform::concat(const AffineTransform& t) const {
    return {a * t.a + b * t.c, a * t.b + b * t.d,          c * t.a + d * t.c,
            c * t.b + d * t.d, tx * t.a + ty * t.c + t.tx, tx * t.b + ty * t.d + t.ty};
}

AffineTransform AffineTransform::translated(double x, double y) const {
    return translation(x, y).concat(*this);
}

AffineTransform AffineTransform::scaled(double sx, double sy) const {
    return scale(sx, sy).concat(*this);
}

AffineTransform AffineTransform::rotated(double radians) const {
    return rotation(radians).concat(*this);
}

bool AffineTransform::isInvertible() const {
    const double det = determinant();
    return det != 0 && std::isfinite(det);
}

AffineTransform AffineTransform::inverted() const {
    if (!isInvertible()) return *this;
    const double det = determinant();
    const double ia = d / det, ib = -b / det, ic = -c / det, id = a / det;
    return {ia, ib, ic, id, -(tx * ia + ty * ic), -(tx * ib + ty * id)};
}

Point AffineTransform::apply(Point p) const {
    return {a * p.x + c * p.y + tx, b * p.x + d * p.y + ty};
}

Size AffineTransform::apply(Size s) const {
    return {a * s.width + c * s.height, b * s.width + d * s.height};
}

Rect AffineTransform::apply(const Rect& r) const {
    if (r.isNull()) return Rect::null();
    const Point corners[4] = {apply(Point{r.minX(), r.minY()}), apply(Point{r.maxX(), r.minY()}),
                              apply(Point{r.minX(), r.maxY()}), apply(Point{r.maxX(), r.maxY()})};
    double x1 = corners[0].x, x2 = corners[0].x, y1 = corners[0].y, y2 = corners[0].y;
    for (const Point& p : corners) {
        x1 = std::min(x1, p.x);
        x2 = std::max(x2, p.x);
        y1 = std::min(y1, p.y);
        y2 = std::max(y2, p.y);
    }
    return {x1, y1, x2 - x1, y2 - y1};
}

}  // namespace base
