#include "platform/ui/detail/FrameGrid.h"

#include <algorithm>

namespace ui::detail {

// Whole seconds and the remainder are kept apart so that no product overflows, whatever the
// media time.

dispatch::Nanos frameTime(std::int64_t frame, int fps) {
    fps = std::max(fps, 1);
    const std::int64_t seconds = frame / fps;
    const std::int64_t rest = frame % fps;
    return seconds * dispatch::kNanosPerSecond +
           (2 * rest * dispatch::kNanosPerSecond + fps) / (2 * std::int64_t(fps));
}

std::int64_t nextFrameAfter(dispatch::Nanos time, int fps, int step) {
    fps = std::max(fps, 1);
    step = std::max(step, 1);
    time = std::max<dispatch::Nanos>(time, 0);
    std::int64_t k = (time / dispatch::kNanosPerSecond) * fps +
                     (time % dispatch::kNanosPerSecond) * fps / dispatch::kNanosPerSecond;
    // The estimate can be one off either way of the rounded grid; settle on it exactly.
    while (k > 0 && frameTime(k, fps) > time) --k;
    while (frameTime(k, fps) <= time) ++k;
    const std::int64_t rem = k % step;
    if (rem != 0) k += step - rem;
    return k;
}

}  // namespace ui::detail
