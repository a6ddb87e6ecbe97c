#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>

// The light direction every glass draw uses: 130 degrees, as the float with bits 0x4011361E.
inline constexpr float kLGSpecularAngle = 2.2689280f;

// Two 32-bit floats, laid out as a GLSL vec2 inside a std140 block (8-byte aligned).
struct alignas(8) LGFloat2 {
    float x = 0.0f;
    float y = 0.0f;
};

// The constant record of one glass draw, passed by value as fragment buffer 0. Its bytes are the
// std140 layout of the shader's `Uniforms` block, so the draw hands the struct over as it is.
// Sizes and positions are drawable pixels unless a field says otherwise.
struct Uniforms {
    LGFloat2 resolution;           // size of the glass
    LGFloat2 screenResolution;     // main screen size; the shader does not read it
    LGFloat2 cardOrigin;           // top-left of the glass on screen
    LGFloat2 wallpaperResolution;  // extent of the wallpaper on screen
    float radius = 0.0f;           // corner radius
    float bezelWidth = 0.0f;
    float glassThickness = 0.0f;  // unscaled
    float refractionScale = 0.0f;
    float refractiveIndex = 1.0f;
    float specularOpacity = 0.0f;
    float specularAngle = kLGSpecularAngle;  // light direction, radians
    float blur = 0.0f;         // baked into the wallpaper texture; the shader does not read it
    LGFloat2 wallpaperOrigin;  // screen position of the wallpaper's top-left corner
    float samplingOrientation = 1.0f;  // interface orientation code; 2, 3 and 4 rotate
    float hasShapeMask = 0.0f;         // 1 when texture 1 is a shape mask
};

static_assert(offsetof(Uniforms, resolution) == 0);
static_assert(offsetof(Uniforms, screenResolution) == 8);
static_assert(offsetof(Uniforms, cardOrigin) == 16);
static_assert(offsetof(Uniforms, wallpaperResolution) == 24);
static_assert(offsetof(Uniforms, radius) == 32);
static_assert(offsetof(Uniforms, bezelWidth) == 36);
static_assert(offsetof(Uniforms, glassThickness) == 40);
static_assert(offsetof(Uniforms, refractionScale) == 44);
static_assert(offsetof(Uniforms, refractiveIndex) == 48);
static_assert(offsetof(Uniforms, specularOpacity) == 52);
static_assert(offsetof(Uniforms, specularAngle) == 56);
static_assert(offsetof(Uniforms, blur) == 60);
static_assert(offsetof(Uniforms, wallpaperOrigin) == 64);
static_assert(offsetof(Uniforms, samplingOrientation) == 72);
static_assert(offsetof(Uniforms, hasShapeMask) == 76);
static_assert(sizeof(Uniforms) == 80);

static_assert(std::bit_cast<std::uint32_t>(kLGSpecularAngle) == 0x4011361Eu);
