#pragma once

#include "platform/dispatch/Time.h"

namespace dispatch::detail {

inline Nanos saturatingAdd(Nanos a, Nanos b) {
    return b > 0 && a > kNever - b ? kNever : a + b;
}

// The first point of the grid `deadline + k * interval` (k >= 1) that lies after `now`: where a
// repeating timer goes next. A timer that fell behind skips the points it missed.
inline Nanos nextOnGrid(Nanos deadline, Nanos interval, Nanos now) {
    const Nanos next = saturatingAdd(deadline, interval);
    if (next > now || next == kNever) return next;
    const Nanos missed = (now - deadline) / interval;
    if (missed >= kNever / interval - 1) return kNever;
    return saturatingAdd(deadline, (missed + 1) * interval);
}

}  // namespace dispatch::detail
