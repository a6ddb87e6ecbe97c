#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace gpu {
class Device;
class Texture;
}  // namespace gpu

// The edge field of a shape mask: for every pixel of a drawable, what the glass's mask edge search
// finds at that pixel's centre. The search reads the mask as the GPU's sampler does (linear
// filtering, clamp-to-edge) at the pixel's centre in mask coordinates; the outward direction is
// the negated, normalised central difference of alpha one mask texel to either side ((0, -1) where
// it is flat); the distance is the fewest whole mask texels, along the eight directions (1, 0),
// (-1, 0), (0, 1), (0, -1) and the four diagonals, at which alpha falls below one half, looking at
// most ten texels out. Pixels whose alpha is below 0.01 have no edge: the glass discards them.
//
// The field is a BGRA texture of the drawable's size, one texel per pixel. Red holds the top 8
// bits of the direction's x, green its low 4 bits and the top 4 bits of y, blue the low 8 bits of
// y, each component stored as round(v * 2047) + 2048; alpha holds the distance, 0 for none.
//
// Doing the search once per mask, not once per pixel and frame, is what makes mask glass cost
// about what rectangle glass costs.

// One decoded texel of the field.
struct LGMaskEdge {
    int distance = 0;  // whole mask texels; 0 when no probe left the shape within ten texels
    float dirX = 0.0f;
    float dirY = -1.0f;
};

// The farthest the search looks, in mask texels.
inline constexpr int kLGMaskEdgeReach = 10;

// The field's texels (gridWidth x gridHeight, BGRA, rows packed) for the mask `bgra` (8-bit
// premultiplied BGRA, maskWidth x maskHeight, rows bytesPerRow apart; only alpha is read). Empty
// when a size is 0, the mask is null or its rows are shorter than its width.
std::vector<std::uint8_t> LGMaskEdgeFieldPixels(const std::uint8_t* bgra, std::size_t maskWidth,
                                                std::size_t maskHeight, std::size_t bytesPerRow,
                                                std::size_t gridWidth, std::size_t gridHeight);

// One texel of the field as the fragment stage reads it.
LGMaskEdge LGMaskEdgeFieldDecode(const std::uint8_t* texel);

// The field uploaded as a shader-read texture of the grid's size. nullptr when
// LGMaskEdgeFieldPixels refuses the input or the device cannot make the texture.
std::shared_ptr<gpu::Texture> LGMaskEdgeFieldTexture(const std::shared_ptr<gpu::Device>& device,
                                                     const std::uint8_t* bgra,
                                                     std::size_t maskWidth, std::size_t maskHeight,
                                                     std::size_t bytesPerRow,
                                                     std::size_t gridWidth, std::size_t gridHeight);
