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
// The field is a BGRA texture with one texel per pixel of the drawable's part that the mask's drawn
// texels can reach; every pixel outside it has no edge, and the fragment stage reads it as such.
// Most of a clock's mask is empty, so the field is a fraction of the drawable. Red holds the top 8
// bits of the direction's x, green its low 4 bits and the top 4 bits of y, blue the low 8 bits of
// y, each component stored as round(v * 2047) + 2048; alpha holds the distance. A pixel with no
// edge is all zero: the glass neither displaces nor lights it, so it has no use for a direction,
// and the field can start as zeros and be written only where edges are.
//
// The edge tiles summarise the field for the glass's draws: one texel per square of
// kLGMaskEdgeTileSize x kLGMaskEdgeTileSize drawable pixels (the last row and column may be cut
// short). Red holds the least distance in the tile, 0 when no pixel has an edge; alpha is 255 when
// some pixel of the tile may be drawn (mask alpha of at least 0.005, half the glass's discard
// threshold), 0 when the glass would discard them all.
//
// Doing the search once per mask, not once per pixel and frame, is what makes mask glass cost
// about what rectangle glass costs; the tiles let the glass spend the full computation only where
// an edge is near.

// One decoded texel of the field.
struct LGMaskEdge {
    int distance = 0;  // whole mask texels; 0 when no probe left the shape within ten texels
    float dirX = 0.0f;
    float dirY = -1.0f;
};

// The farthest the search looks, in mask texels.
inline constexpr int kLGMaskEdgeReach = 10;
// Drawable pixels per side of an edge tile; the shader's kEdgeTileSize.
inline constexpr std::size_t kLGMaskEdgeTileSize = 16;

// The mask an edge field is made from: 8-bit premultiplied BGRA, rows bytesPerRow apart; only
// alpha is read.
struct LGMaskPixels {
    const std::uint8_t* bgra = nullptr;
    std::size_t width = 0;
    std::size_t height = 0;
    std::size_t bytesPerRow = 0;
};

// Where the field lies in the drawable, as the fragment stage reads it: the glass's buffer 1, the
// shader's EdgeFieldPlacement block (std140: two ivec2).
struct LGMaskEdgeFieldPlacement {
    std::int32_t drawableWidth = 0;
    std::int32_t drawableHeight = 0;
    std::int32_t originX = 0;  // the drawable pixel of the field's first texel
    std::int32_t originY = 0;
};
static_assert(sizeof(LGMaskEdgeFieldPlacement) == 16);

// The field and its tiles as BGRA texels, rows packed.
struct LGMaskEdgeFieldPixels {
    std::size_t width = 0;  // the drawable's size
    std::size_t height = 0;
    // The field's texels cover fieldWidth x fieldHeight pixels from (fieldX, fieldY); at least
    // one, so that there is always a texture to bind.
    std::size_t fieldX = 0;
    std::size_t fieldY = 0;
    std::size_t fieldWidth = 0;
    std::size_t fieldHeight = 0;
    std::vector<std::uint8_t> field;
    std::size_t tilesWide = 0;
    std::size_t tilesHigh = 0;
    std::vector<std::uint8_t> tiles;

    // The texel of drawable pixel (x, y): inside the field its own, elsewhere one with no edge.
    const std::uint8_t* texel(std::size_t x, std::size_t y) const;
    LGMaskEdgeFieldPlacement placement() const;
};

// The field of `mask` for a drawable of width x height pixels. Empty (no texels) when a size is
// 0, the mask has no pixels or its rows are shorter than its width. A tall field is made in two
// bands, one of them on a thread kept for it; the bytes are the same either way.
LGMaskEdgeFieldPixels LGMaskEdgeFieldCompute(const LGMaskPixels& mask, std::size_t width,
                                             std::size_t height);

// One texel of the field as the fragment stage reads it; with no edge, the default direction.
LGMaskEdge LGMaskEdgeFieldDecode(const std::uint8_t* texel);

// The field and its tiles as shader-read textures, bound as the glass's textures 2 and 3, and
// where the field lies, bound as its buffer 1.
struct LGMaskEdgeFieldTextures {
    std::shared_ptr<gpu::Texture> field;
    std::shared_ptr<gpu::Texture> tiles;
    LGMaskEdgeFieldPlacement placement;
    explicit operator bool() const { return field && tiles; }
};

// Computes and uploads the field. Both textures null when LGMaskEdgeFieldCompute refuses the
// input or the device cannot make a texture.
LGMaskEdgeFieldTextures LGMaskEdgeFieldUpload(const std::shared_ptr<gpu::Device>& device,
                                              const LGMaskPixels& mask, std::size_t width,
                                              std::size_t height);
