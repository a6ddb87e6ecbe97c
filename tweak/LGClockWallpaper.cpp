#include "tweak/LGClockWallpaper.h"

#include "glass/LGWallpaperSnapshot.h"
#include "support/LGSharedSupport.h"

namespace {

graphics::ImageRef& keptSnapshot() {
    static graphics::ImageRef kept;
    return kept;
}

}  // namespace

graphics::ImageRef LGClockCurrentWallpaper() {
    if (graphics::ImageRef image = LGCaptureWallpaperSnapshot()) return image;
    LGAssertMainThread();
    graphics::ImageRef& kept = keptSnapshot();
    if (!kept) kept = LGCaptureWallpaperSnapshot();
    return kept;
}
