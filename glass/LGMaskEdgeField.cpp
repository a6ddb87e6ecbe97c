#include "glass/LGMaskEdgeField.h"

#include <cstring>

#include "glass/detail/LGMaskEdgeFieldWriting.h"
#include "glass/detail/LGMaskSampledSearch.h"
#include "glass/detail/LGMaskTexelSearch.h"
#include "platform/gpu/Device.h"
#include "platform/gpu/Texture.h"

namespace {

// The smallest rectangle holding every texel with alpha of 2 or more (0.005: the glass draws
// nothing with less); false when there is none. Most of a glyph mask is empty, so rows are read
// four texels at a time, their alpha bytes masked.
bool drawnBounds(const LGMaskPixels& mask, LGMaskDrawnBounds& bounds) {
    long x0 = long(mask.width);
    long y0 = long(mask.height);
    long x1 = -1;
    long y1 = -1;
    constexpr std::uint64_t kAlphaFrom2 = 0xFE000000FE000000u;
    auto anyDrawn = [&](const std::uint8_t* texels) {
        std::uint64_t a, b;
        std::memcpy(&a, texels, 8);
        std::memcpy(&b, texels + 8, 8);
        return ((a | b) & kAlphaFrom2) != 0;
    };
    const std::size_t quads = mask.width / 4;
    for (std::size_t y = 0; y < mask.height; ++y) {
        const std::uint8_t* row = mask.bgra + y * mask.bytesPerRow;
        auto drawnAt = [&](std::size_t x) { return row[x * 4 + 3] >= 2; };
        // The first drawn texel: whole quads, then the texels after them.
        std::size_t quad = 0;
        while (quad < quads && !anyDrawn(row + quad * 16)) ++quad;
        std::size_t x = quad * 4;
        while (x < mask.width && !drawnAt(x)) ++x;
        if (x == mask.width) continue;
        // The last: the texels after the whole quads, then quads back to the first.
        std::size_t last = mask.width - 1;
        while (last >= quads * 4 && !drawnAt(last)) --last;
        if (last < quads * 4) {
            std::size_t back = quads;
            while (back > 0 && !anyDrawn(row + (back - 1) * 16)) --back;
            last = back * 4 - 1;
            while (!drawnAt(last)) --last;
        }
        x0 = std::min(x0, long(x));
        x1 = std::max(x1, long(last));
        y0 = std::min(y0, long(y));
        y1 = long(y);
    }
    bounds = {x0, y0, x1, y1};
    return x1 >= 0;
}

}  // namespace

LGMaskEdgeFieldPixels LGMaskEdgeFieldCompute(const LGMaskPixels& mask, std::size_t width,
                                             std::size_t height) {
    LGMaskEdgeFieldPixels out;
    if (!mask.bgra || mask.width == 0 || mask.height == 0 || width == 0 || height == 0 ||
        mask.bytesPerRow < mask.width * 4) {
        return out;
    }
    out.width = width;
    out.height = height;
    out.tilesWide = (width + kLGMaskEdgeTileSize - 1) / kLGMaskEdgeTileSize;
    out.tilesHigh = (height + kLGMaskEdgeTileSize - 1) / kLGMaskEdgeTileSize;
    out.tiles.assign(out.tilesWide * out.tilesHigh * 4, 0);
    // A field of one texel with no edge, for a mask that draws nothing.
    out.fieldWidth = 1;
    out.fieldHeight = 1;
    out.field.assign(4, 0);
    LGMaskDrawnBounds drawn;
    if (!drawnBounds(mask, drawn)) return out;
    if (width == mask.width && height == mask.height) {
        LGMaskTexelSearchWrite(mask, drawn, out);
    } else {
        LGMaskSampledSearchWrite(mask, drawn, out);
    }
    return out;
}

const std::uint8_t* LGMaskEdgeFieldPixels::texel(std::size_t x, std::size_t y) const {
    static constexpr std::uint8_t kNoEdge[4] = {};
    if (x < fieldX || y < fieldY || x - fieldX >= fieldWidth || y - fieldY >= fieldHeight) {
        return kNoEdge;
    }
    return &field[((y - fieldY) * fieldWidth + x - fieldX) * 4];
}

LGMaskEdgeFieldPlacement LGMaskEdgeFieldPixels::placement() const {
    return {static_cast<std::int32_t>(width), static_cast<std::int32_t>(height),
            static_cast<std::int32_t>(fieldX), static_cast<std::int32_t>(fieldY)};
}

LGMaskEdge LGMaskEdgeFieldDecode(const std::uint8_t* texel) {
    const std::uint32_t x = (static_cast<std::uint32_t>(texel[2]) << 4) | (texel[1] >> 4);
    const std::uint32_t y = ((static_cast<std::uint32_t>(texel[1]) & 0xFu) << 8) | texel[0];
    LGMaskEdge edge;
    edge.distance = texel[3];
    if (edge.distance == 0) return edge;  // no edge, no direction stored
    edge.dirX = static_cast<float>(static_cast<int>(x) - 2048) / 2047.0f;
    edge.dirY = static_cast<float>(static_cast<int>(y) - 2048) / 2047.0f;
    return edge;
}

LGMaskEdgeFieldTextures LGMaskEdgeFieldUpload(const std::shared_ptr<gpu::Device>& device,
                                              const LGMaskPixels& mask, std::size_t width,
                                              std::size_t height) {
    if (!device) return {};
    const LGMaskEdgeFieldPixels pixels = LGMaskEdgeFieldCompute(mask, width, height);
    if (pixels.field.empty()) return {};
    auto upload = [&](const std::vector<std::uint8_t>& bytes, std::size_t w, std::size_t h) {
        auto texture = device->newTexture(
            gpu::TextureDescriptor::texture2D(w, h, gpu::TextureUsage::ShaderRead));
        if (texture && !texture->replaceRegion(texture->wholeRegion(), bytes.data(), w * 4)) {
            texture.reset();
        }
        return texture;
    };
    LGMaskEdgeFieldTextures textures;
    textures.field = upload(pixels.field, pixels.fieldWidth, pixels.fieldHeight);
    textures.tiles = upload(pixels.tiles, pixels.tilesWide, pixels.tilesHigh);
    textures.placement = pixels.placement();
    if (!textures) return {};
    return textures;
}
