#pragma once

#include <array>

#include "glass/Uniforms.h"

// The pure math of the glass shader in C++, float for float: the bezel profile and the colour
// conversions. Names match the shader's functions.
namespace LGGlassReference {

using RGB = std::array<float, 3>;  // sRGB-encoded, 0..1
using LCh = std::array<float, 3>;  // L 0..100, chroma, hue in radians

float surfaceConvexSquircle(float x);
LGFloat2 refractRay(LGFloat2 n, float eta);
float rawRefraction(float ratio, float thickness, float bezel, float eta);
float displacementAtRatio(float ratio, float thickness, float bezel, float eta);

float srgbToLinear(float c);
float linearToSrgb(float c);
LCh rgbToLch(RGB rgb);
// Back to sRGB, clamped to 0..1.
RGB lchToRgb(LCh lch);

float smoothstep(float edge0, float edge1, float x);

}  // namespace LGGlassReference
