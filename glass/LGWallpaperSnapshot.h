#pragma once

#include "platform/base/Geometry.h"
#include "platform/graphics/Image.h"

// The picture of the home screen's wallpaper that the clock's glass refracts (tweak only).
//
// A capture draws the wallpaper window, at the main screen's scale, into a new image: the first
// "_SBWallpaperSecureWindow" (or subclass) of the application's window scenes, else the first
// "_SBWallpaperWindow". Captures are throttled on the media clock: within 2 s of the last attempt
// while an image is held, or 0.25 s while none is, the held image is returned without drawing.
// A capture of a window whose layer tree, place and scale have not changed since the held image
// was drawn returns the held image too, so an unchanged wallpaper is never a new image.
//
// Main thread only.

// The new image, or else the held one (nullptr before the first success).
graphics::ImageRef LGCaptureWallpaperSnapshot();

// The screen position of the captured window's top-left corner, held with the last successful
// capture ((0, 0) before the first). Asks for a capture first, subject to the same throttle.
base::Point LGWallpaperSnapshotOrigin();
