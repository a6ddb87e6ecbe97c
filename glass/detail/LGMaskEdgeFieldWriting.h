#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>

#include "glass/LGMaskEdgeField.h"

// What the edge field's two searches share: how a found edge is stored in a texel, the part of the
// drawable the field covers, and the tile a pixel belongs to.

// The drawn texels' bounds in the mask, inclusive: every texel with alpha of 2 or more lies inside.
struct LGMaskDrawnBounds {
    long x0 = 0;
    long y0 = 0;
    long x1 = -1;
    long y1 = -1;
};

// A direction component as stored: round(v * 2047) + 2048, 1...4095: the sum is positive, so adding
// a half and truncating rounds.
inline std::uint32_t LGMaskEdgeQuantize(float v) {
    return static_cast<std::uint32_t>(std::clamp(v, -1.0f, 1.0f) * 2047.0f + 2048.5f);
}

// Writes `edge` into one BGRA texel of the field, encoded as glass/LGMaskEdgeField.h describes.
// Inline: the searches call it for every texel with an edge.
inline void LGMaskEdgeEncode(std::uint8_t* texel, const LGMaskEdge& edge) {
    if (edge.dirX == 0.0f && edge.dirY == -1.0f) {
        // The default direction, where the mask is flat: the most common by far.
        texel[0] = 1;
        texel[1] = 0;
        texel[2] = 128;
        texel[3] = static_cast<std::uint8_t>(edge.distance);
        return;
    }
    const std::uint32_t x = LGMaskEdgeQuantize(edge.dirX);
    const std::uint32_t y = LGMaskEdgeQuantize(edge.dirY);
    texel[0] = static_cast<std::uint8_t>(y & 0xFFu);                     // blue
    texel[1] = static_cast<std::uint8_t>(((x & 0xFu) << 4) | (y >> 8));  // green
    texel[2] = static_cast<std::uint8_t>(x >> 4);                        // red
    texel[3] = static_cast<std::uint8_t>(edge.distance);                 // alpha
}

// Makes the field of `out` cover drawable pixels x0...x1, y0...y1 (inclusive), every one with no
// edge. Pixels with an edge are ones the glass keeps, so they lie where drawn texels are.
inline void LGMaskEdgeFieldCover(LGMaskEdgeFieldPixels& out, std::size_t x0, std::size_t y0,
                                 std::size_t x1, std::size_t y1) {
    out.fieldX = x0;
    out.fieldY = y0;
    out.fieldWidth = x1 - x0 + 1;
    out.fieldHeight = y1 - y0 + 1;
    out.field.assign(out.fieldWidth * out.fieldHeight * 4, 0);
}

// The tile texel of drawable pixel (x, y).
inline std::uint8_t* LGMaskEdgeTileOf(LGMaskEdgeFieldPixels& out, std::size_t x, std::size_t y) {
    return &out.tiles[((y / kLGMaskEdgeTileSize) * out.tilesWide + x / kLGMaskEdgeTileSize) * 4];
}
