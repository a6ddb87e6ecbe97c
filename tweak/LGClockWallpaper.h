#pragma once

#include "platform/graphics/Image.h"

// The wallpaper every clock overlay renders from: a fresh snapshot when the capture yields one,
// otherwise the kept snapshot. The first time no capture yields an image, one more capture is
// tried and its result kept; once kept, an image is never replaced or dropped. The origin that
// goes with it is LGWallpaperSnapshotOrigin(). Main thread only.
graphics::ImageRef LGClockCurrentWallpaper();
