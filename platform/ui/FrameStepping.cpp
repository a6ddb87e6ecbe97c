#include "platform/ui/FrameStepping.h"

#include <algorithm>

#include "platform/ui/Screen.h"
#include "platform/ui/detail/FrameGrid.h"

namespace ui::testing {

dispatch::Nanos nextRefreshTime() {
    const int fps = std::max(Screen::main()->maximumFramesPerSecond(), 1);
    return detail::frameTime(detail::nextFrameAfter(dispatch::nowNanos(), fps), fps);
}

void runFrames(int n, dispatch::Mode mode) {
    for (int i = 0; i < n; ++i) dispatch::RunLoop::main().runUntil(nextRefreshTime(), mode);
}

}  // namespace ui::testing
