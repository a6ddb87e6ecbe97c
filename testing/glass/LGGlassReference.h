#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "glass/Uniforms.h"
#include "testing/glass/LGGlassReferenceMath.h"

// A C++ reference of the glass fragment stage, used to check the GPU's pixels. It reads textures
// the way the GPU's sampler does (linear filtering, clamp-to-edge, texel centres at half
// integers) and follows the shader step by step.
namespace LGGlassReference {

// A read-only view of 8-bit BGRA pixels, row 0 at the top.
struct Image {
    std::size_t width = 0;
    std::size_t height = 0;
    const std::uint8_t* bgra = nullptr;
    std::size_t bytesPerRow = 0;
};

using RGBA = std::array<float, 4>;

// Linear filtering with clamp-to-edge at texture coordinate (u, v).
RGBA sampleLinear(const Image& image, float u, float v);

struct MaskEdgeInfo {
    float distance = 1e6f;  // mask texels to the nearest edge; 1e6 when none was found
    LGFloat2 dir;           // unit direction out of the shape
    float alpha = 0.0f;
};

// What the GPU computes for one pixel, with the intermediate values the tests look at.
struct Fragment {
    bool discarded = false;
    RGBA color{};  // straight alpha, as the fragment stage returns it
    // A decision for this pixel (a discard, a region, a tie, a mask probe) was taken on a value
    // so close to its threshold that the GPU's rounding may take the other branch.
    bool nearThreshold = false;

    float distFromSide = 0.0f;
    float edgeBand = 0.0f;
    float edgeOpacity = 0.0f;
    float maskDistance = 1e6f;
    float normDisp = 0.0f;
    LGFloat2 dispPx;
    LGFloat2 uv;
    float dispersionAmount = 0.0f;
    LGFloat2 redUV;
    LGFloat2 blueUV;
    float highlight = 0.0f;
};

// Tracks how close the branch decisions of one pixel came to their thresholds.
class Margins {
  public:
    void note(float value, float threshold, float tolerance);
    void flag() { near_ = true; }
    bool near() const { return near_; }

  private:
    bool near_ = false;
};

MaskEdgeInfo estimateMaskEdgeDistance(const Image& mask, LGFloat2 uv, Margins& margins);

// The fragment stage for the pixel at `localUV`. `mask` is read only when
// uniforms.hasShapeMask > 0.5.
Fragment shade(const Uniforms& uniforms, LGFloat2 localUV, const Image& wallpaper,
               const Image& mask);

}  // namespace LGGlassReference
