#pragma once

#include <string>

#include "platform/graphics/Context.h"
#include "platform/graphics/Image.h"

namespace ui {

class Layer;
class View;

// Turning view trees into pixels.
//
// The compositor draws a layer tree as it is shown at the current media time (presentation
// values while animations run): backgrounds, gradients, image contents placed by the view's
// content mode, label text, GPU surfaces (their last presented frame), borders, corner radii
// (circular or continuous), clipping, opacity (a translucent subtree composites as one group),
// transforms, shadows (following the content or a shadow path; a ring-shaped path gives an inner
// shadow), mask views and compositing filters. Hidden layers and layers with opacity 0 draw
// nothing, with everything below them. Layout is not run: callers lay out first if they need to.
//
// Main thread only.

// Draws `layer` and its visible sublayers into `context` in the layer's own coordinate system
// (its bounds coordinates; its position and transform are not applied), multiplied by the
// context's alpha. The context's state is left as it was.
void renderLayer(const Layer& layer, graphics::Context& context);

// An image of the view's bounds as shown now at `scale` pixels per point (0: the main screen's),
// transparent where nothing is drawn. nullptr when the bounds are empty or not finite, the scale
// is negative or not finite, or the image would exceed 16384 pixels on a side.
graphics::ImageRef renderViewImage(const View& view, double scale = 0);

// The same for a layer's bounds.
graphics::ImageRef renderLayerImage(const Layer& layer, double scale = 0);

// The main screen as shown now: every visible window on it at its frame, lower window levels
// first (windows of one level in the order they were made), over transparent black. nullptr for
// an invalid scale.
graphics::ImageRef renderScreenImage(double scale = 0);

// renderViewImage / renderScreenImage written as a PNG file. False, with `reason` set, when no
// image could be made or the file cannot be written.
bool writeViewPNG(const View& view, double scale, const std::string& path,
                  std::string* reason = nullptr);
bool writeScreenPNG(double scale, const std::string& path, std::string* reason = nullptr);

}  // namespace ui
