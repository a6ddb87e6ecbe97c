#pragma once

#include "glass/LGDisplayLinkHub.h"

// The clock's place on the shared display-link hub: its client record, which lives as long as the
// process, and the busy deadline. Until the deadline passes the clock ticks at its full rate,
// min(clock frame rate, 30); afterwards a tick that finds nothing changed drops it to one per
// second.
//
// Main thread only.

// The record (zero until attached); its activeCount equals the number of registered hosts.
LGDisplayLinkClient& LGClockDisplayLinkClient();

// The clock's full tick rate: "Quorvane.Clock.FPS" (default 30, at least 10, at most the screen's
// maximum), capped at 30.
std::int64_t LGClockBusyFramesPerSecond();

// The media time (seconds) until which the clock counts as busy; 0 before anything was marked.
double LGClockBusyDeadline();

// Extends the busy deadline to at least now + duration (it never shrinks) and, while the record
// is attached, puts the clock back on its full rate.
void LGClockMarkBusy(double duration);
