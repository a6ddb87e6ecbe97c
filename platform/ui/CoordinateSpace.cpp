#include "platform/ui/CoordinateSpace.h"

namespace ui {

namespace {
base::AffineTransform between(const CoordinateSpace& from, const CoordinateSpace& to) {
    return from.transformToScreen().concat(to.transformToScreen().inverted());
}
}  // namespace

base::Point CoordinateSpace::convertPointToCoordinateSpace(base::Point point,
                                                           const CoordinateSpace& to) const {
    return between(*this, to).apply(point);
}

base::Point CoordinateSpace::convertPointFromCoordinateSpace(base::Point point,
                                                             const CoordinateSpace& from) const {
    return between(from, *this).apply(point);
}

base::Rect CoordinateSpace::convertRectToCoordinateSpace(const base::Rect& rect,
                                                         const CoordinateSpace& to) const {
    return between(*this, to).apply(rect);
}

base::Rect CoordinateSpace::convertRectFromCoordinateSpace(const base::Rect& rect,
                                                           const CoordinateSpace& from) const {
    return between(from, *this).apply(rect);
}

}  // namespace ui
