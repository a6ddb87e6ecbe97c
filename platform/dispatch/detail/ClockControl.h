#pragma once

#include "platform/dispatch/Time.h"

// What the main loop needs from the media clock beyond reading it.
namespace dispatch::detail {

bool manualClockActive();

// Moves an installed manual clock forward to `time`, handing due timers as ManualClock::setNanos
// does. No effect under real time.
void advanceManualClockTo(Nanos time);

}  // namespace dispatch::detail
