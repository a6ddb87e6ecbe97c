#pragma once

#include <string_view>

// The glass shader program as text (GLSL ES 3.00 in the GPU library's program format, from
// LGGlassShader.glsl), compiled at run time. Its stage entry points are "vertexShader" and
// "fragmentShader". The fragment stage reads texture 0 (blurred wallpaper) and texture 1 (shape
// mask) through sampler 0, and the `Uniforms` record (Uniforms.h) as buffer 0. Draw it as a
// triangle list of 6 vertices from vertex 0, into a BGRA target cleared to (0, 0, 0, 0), with
// blending: colour source alpha / one minus source alpha, alpha one / one minus source alpha.
std::string_view LGGlassShaderSource();
