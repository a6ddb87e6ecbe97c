#pragma once

#include "platform/dispatch/RunLoop.h"
#include "platform/dispatch/Time.h"

namespace ui::testing {

// Stepping the main loop refresh by refresh, for tests on a manual clock (it works on the real
// clock too, waiting for each refresh).

// Media time of the main screen's next refresh after now.
dispatch::Nanos nextRefreshTime();

// n times: moves to the main screen's next refresh (timers due on the way fire in order) and
// runs the main loop until it has nothing left to do at that instant. Display links, layout and
// animation completions all run as they would on the device.
void runFrames(int n, dispatch::Mode mode = dispatch::Mode::Default);

}  // namespace ui::testing
