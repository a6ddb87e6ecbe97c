#pragma once

#include "platform/graphics/Image.h"

// The system's own default wallpaper, drawn by code so that it needs no artwork: a deep
// multi-hue gradient with soft light blooms, a band of bold diagonal colour stripes where the
// lock-screen clock sits, a fine grid of light lines over everything, concentric rings and
// scattered discs. Straight lines, hard colour edges and strong hue changes are there on purpose:
// they make the glass's refraction, dispersion and rim plain to see.
//
// The picture is laid out in fractions of the image, so any size gives the same composition; the
// pattern's feature sizes follow the height. Deterministic: the same size gives the same pixels.
//
// nullptr when a side is not positive or the scale is not a positive finite number.
graphics::ImageRef QVMakeDefaultWallpaper(int pixelWidth, int pixelHeight, double scale);
