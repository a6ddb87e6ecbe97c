#pragma once

#include <vector>

#include "platform/base/AffineTransform.h"
#include "platform/base/Geometry.h"

namespace graphics {

// A shape made of sub-paths of lines and cubic curves, in the coordinates of whoever builds it.
// Quadratic curves are stored as the equivalent cubics.
class Path {
  public:
    enum class Verb { Move, Line, Cubic, Close };
    struct Element {
        Verb verb;
        base::Point points[3];  // Move/Line use points[0]; Cubic uses all three
    };

    void moveTo(base::Point p);
    // A line or curve with no current point starts a sub-path at its first point instead.
    void lineTo(base::Point p);
    void quadTo(base::Point control, base::Point end);
    void curveTo(base::Point control1, base::Point control2, base::Point end);
    void close();

    void addRect(const base::Rect& rect);
    // Corner radius clamped to half the shorter side; a radius of 0 gives a plain rectangle.
    void addRoundedRect(const base::Rect& rect, double radius);
    void addEllipse(const base::Rect& rect);
    void addPath(const Path& other, const base::AffineTransform& transform = {});

    bool isEmpty() const { return elements_.empty(); }
    const std::vector<Element>& elements() const { return elements_; }

    // Smallest rectangle holding the drawn shape (curve extremes, not control points); the null
    // rectangle for a path without points.
    base::Rect bounds() const;

    friend bool operator==(const Path&, const Path&);

  private:
    std::vector<Element> elements_;
    base::Point start_{};    // of the current sub-path, where close() returns to
    base::Point current_{};  // end of the last element
    bool hasCurrent_ = false;
};

}  // namespace graphics
