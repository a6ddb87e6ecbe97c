#pragma once

#include "platform/base/Geometry.h"

namespace base {

// A 2-D affine map with the phone's conventions: points are row vectors, so
//   x' = a·x + c·y + tx,   y' = b·x + d·y + ty,
// and concat(t1, t2) applies t1 first, then t2.
struct AffineTransform {
    double a = 1, b = 0, c = 0, d = 1, tx = 0, ty = 0;

    static AffineTransform identity() { return {}; }
    static AffineTransform translation(double tx, double ty) { return {1, 0, 0, 1, tx, ty}; }
    static AffineTransform scale(double sx, double sy) { return {sx, 0, 0, sy, 0, 0}; }
    static AffineTransform rotation(double radians);

    bool isIdentity() const { return *this == identity(); }
    // Applies this transform, then `then`.
    AffineTransform concat(const AffineTransform& then) const;
    // The transform that scales (or translates, rotates) before applying this one, as the
    // phone's "translate"/"scale"/"rotate" on an existing transform do.
    AffineTransform translated(double tx, double ty) const;
    AffineTransform scaled(double sx, double sy) const;
    AffineTransform rotated(double radians) const;

    double determinant() const { return a * d - b * c; }
    bool isInvertible() const;
    // The inverse; a singular transform is returned unchanged, as the phone does.
    AffineTransform inverted() const;

    Point apply(Point p) const;
    Size apply(Size s) const;
    // The bounding box of the transformed corners; the null rectangle stays null.
    Rect apply(const Rect& r) const;

    friend bool operator==(const AffineTransform&, const AffineTransform&) = default;
};

}  // namespace base
