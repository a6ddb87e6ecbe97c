#pragma once

#include "platform/base/Geometry.h"

namespace ui {

class Layer;
class View;

// Geometry as it is on screen now, following running animations.

// Converts `rect` from `from`'s coordinates upward one superlayer at a time, using for each
// layer its presentation layer when it has one, until the layer matching `stop` (by model
// identity) is reached; the result is in that layer's coordinates. Without `stop`, or when
// `stop` is not an ancestor, the walk ends at the root and the result is in the root's
// coordinates.
base::Rect convertRectPresented(const Layer& from, const base::Rect& rect, const Layer* stop);

// The view's bounds as shown now, in its window's coordinates (its root's when it is not in a
// window).
base::Rect presentedRectInWindow(const View& view);

}  // namespace ui
