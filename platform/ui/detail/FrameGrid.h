#pragma once

#include <cstdint>

#include "platform/dispatch/Time.h"

namespace ui::detail {

// The display refreshes on a fixed grid of media time: refresh k of a display running at `fps`
// happens at k / fps seconds (rounded to the nanosecond). Every display link of the process
// ticks on this grid, so links at rates that divide the display's stay in step.

dispatch::Nanos frameTime(std::int64_t frame, int fps);
// The first refresh after `time` whose index is a multiple of `step`.
std::int64_t nextFrameAfter(dispatch::Nanos time, int fps, int step = 1);

}  // namespace ui::detail
