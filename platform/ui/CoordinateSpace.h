#pragma once

#include "platform/base/AffineTransform.h"
#include "platform/base/Geometry.h"

namespace ui {

// Anything points can be expressed in: a view, or a screen's coordinate space. Every space knows
// how its points map to the screen's points, so any two spaces convert through the screen.
class CoordinateSpace {
  public:
    virtual ~CoordinateSpace() = default;

    // Maps this space's points to the screen's coordinate space.
    virtual base::AffineTransform transformToScreen() const = 0;
    virtual base::Rect coordinateSpaceBounds() const = 0;

    base::Point convertPointToCoordinateSpace(base::Point point, const CoordinateSpace& to) const;
    base::Point convertPointFromCoordinateSpace(base::Point point,
                                                const CoordinateSpace& from) const;
    // The bounding box of the converted corners; the null rectangle stays null.
    base::Rect convertRectToCoordinateSpace(const base::Rect& rect,
                                            const CoordinateSpace& to) const;
    base::Rect convertRectFromCoordinateSpace(const base::Rect& rect,
                                              const CoordinateSpace& from) const;
};

}  // namespace ui
