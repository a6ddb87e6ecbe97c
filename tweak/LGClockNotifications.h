#pragma once

#include <limits>
#include <memory>

#include "platform/base/Geometry.h"
#include "platform/ui/View.h"

// "No notification": the largest finite double.
inline constexpr double kLGClockNoNotificationTop = std::numeric_limits<double>::max();

// The smallest top edge, in `reference`'s coordinates, of a visible notification platter that
// overlaps the clock's column (the rectangle widened by 32 points on each side) and reaches more
// than one point below the rectangle's top; kLGClockNoNotificationTop when there is none. Only the
// outermost platter of a notification counts. The walk covers the reference view's window (the
// reference view itself when it has none) and skips `excluded` and its subtree.
// kLGClockNoNotificationTop when either view is missing. Main thread only.
double LGClockNearestNotificationTop(const std::shared_ptr<ui::View>& excluded,
                                     const std::shared_ptr<ui::View>& reference,
                                     const base::Rect& rect);
