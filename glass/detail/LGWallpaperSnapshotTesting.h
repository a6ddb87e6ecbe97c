#pragma once

// Forgets the held snapshot and the throttle, so that each test starts as a new process does.
void LGWallpaperSnapshotResetForTesting();
