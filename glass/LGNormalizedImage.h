#pragma once

#include "platform/graphics/Image.h"

// The image standing upright: an image whose orientation is "up" is returned as it is (the same
// object, so caches keyed on it keep hitting); any other is redrawn at its own size and scale into
// a new "up" image, a new object on every call. nullptr for nullptr; when the redraw fails the
// image passed in is returned.
graphics::ImageRef LGNormalizedImage(const graphics::ImageRef& image);
