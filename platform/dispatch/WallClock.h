#pragma once

#include <chrono>

namespace dispatch {

// The date and time the device shows ("now" for clocks and date lines).
//
// By default it is the machine's real time. A host can pin it: from then on it reads the given
// date at the media time of the call and moves with the media clock, so that a manual clock that
// advances 60 seconds also moves the wall clock by one minute and a scripted scene shows the same
// time on every run.

using Date = std::chrono::system_clock::time_point;

Date wallClockNow();

// The wall clock reads `date` now and advances with media time from here on.
void setWallClock(Date date);

// Back to the machine's real time.
void resetWallClock();

// Whether the wall clock follows media time (setWallClock) rather than the machine's time.
bool isWallClockPinned();

}  // namespace dispatch
