#pragma once

#include "platform/base/Geometry.h"
#include "platform/ui/View.h"

namespace ui::detail {

// Where content of `size` points goes in `bounds` under a content mode: stretched, fitted or
// filled with its aspect kept (centred), or at its own size against an edge, a corner or the
// centre. Redraw stretches like ScaleToFill. Content with an empty size fills the bounds.
base::Rect placeContent(base::Size size, const base::Rect& bounds, ContentMode mode);

}  // namespace ui::detail
