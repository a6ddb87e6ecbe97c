#pragma once

// Re-runs the clock logic for every clock host after a preference change: finds hosts in every
// window of every window scene (also ones never attached), updates every live host still in a
// window, then starts the clock's tick or stops it. Main thread only.
void LGClockRefreshAllHosts();
