#pragma once

#include <cstddef>
#include <cstdint>

namespace ui::detail {

// How far a Gaussian of standard deviation sigma reaches before its weights no longer matter:
// the blur reads this many pixels on each side.
int gaussianReach(double sigma);

// Blurs an 8-bit alpha plane in place with a Gaussian of standard deviation `sigma` pixels,
// separably (rows, then columns). Pixels outside the plane count as transparent, so a shape
// touching the edge fades there as it would over empty space. Sigmas below 0.1 leave the plane
// as it is.
void gaussianBlurAlpha(std::uint8_t* data, int width, int height, std::size_t stride, double sigma);

}  // namespace ui::detail
