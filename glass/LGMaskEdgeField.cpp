#include "glass/LGMaskEdgeField.h"

#include <algorithm>
#include <cmath>

#include "platform/gpu/Device.h"
#include "platform/gpu/Texture.h"

namespace {

// The mask's alpha as the GPU's sampler reads it: linear filtering, clamp-to-edge, texel centres
// at half integers. The arithmetic is the shader's, in float and in the same order, so that the
// field agrees with a per-pixel search to the last bit wherever the GPU does too.
class AlphaSampler {
  public:
    AlphaSampler(const std::uint8_t* bgra, std::size_t width, std::size_t height,
                 std::size_t bytesPerRow)
        : bgra_(bgra), width_(width), height_(height), bytesPerRow_(bytesPerRow) {}

    float at(float u, float v) const {
        u = std::clamp(u, 0.0f, 1.0f);
        v = std::clamp(v, 0.0f, 1.0f);
        const float x = u * static_cast<float>(width_) - 0.5f;
        const float y = v * static_cast<float>(height_) - 0.5f;
        const float x0 = std::floor(x);
        const float y0 = std::floor(y);
        const float fx = x - x0;
        const float fy = y - y0;
        const std::size_t xs[2] = {index(x0, width_), index(x0 + 1.0f, width_)};
        const std::size_t ys[2] = {index(y0, height_), index(y0 + 1.0f, height_)};
        const float wx[2] = {1.0f - fx, fx};
        const float wy[2] = {1.0f - fy, fy};
        float out = 0.0f;
        for (int j = 0; j < 2; ++j) {
            for (int i = 0; i < 2; ++i) {
                const float w = wx[i] * wy[j];
                out += w * static_cast<float>(alpha(xs[i], ys[j])) / 255.0f;
            }
        }
        return out;
    }

    std::uint8_t alpha(std::size_t x, std::size_t y) const {
        return bgra_[y * bytesPerRow_ + x * 4 + 3];
    }

  private:
    static std::size_t index(float i, std::size_t size) {
        return static_cast<std::size_t>(std::clamp(i, 0.0f, static_cast<float>(size - 1)));
    }

    const std::uint8_t* bgra_;
    std::size_t width_;
    std::size_t height_;
    std::size_t bytesPerRow_;
};

// Counts of mask texels below half coverage over rectangles, in constant time. A filtered read
// falls below one half only when one of its four texels does, so a pixel with none of them within
// the search's reach has no edge, and the search need not run there.
class BelowHalfCounts {
  public:
    explicit BelowHalfCounts(const AlphaSampler& mask, std::size_t width, std::size_t height)
        : stride_(width + 1), sums_((width + 1) * (height + 1), 0) {
        for (std::size_t y = 0; y < height; ++y) {
            std::uint32_t row = 0;
            for (std::size_t x = 0; x < width; ++x) {
                row += mask.alpha(x, y) < 128 ? 1u : 0u;
                sums_[(y + 1) * stride_ + x + 1] = sums_[y * stride_ + x + 1] + row;
            }
        }
    }

    // Texels below half in columns x0...x1 and rows y0...y1, both inclusive.
    std::uint32_t count(std::size_t x0, std::size_t y0, std::size_t x1, std::size_t y1) const {
        return sums_[(y1 + 1) * stride_ + x1 + 1] - sums_[y0 * stride_ + x1 + 1] -
               sums_[(y1 + 1) * stride_ + x0] + sums_[y0 * stride_ + x0];
    }

  private:
    std::size_t stride_;
    std::vector<std::uint32_t> sums_;
};

struct Direction {
    float x;
    float y;
};

Direction normalized(float x, float y) {
    const float l = std::sqrt(x * x + y * y);
    return {x / l, y / l};
}

// The probe directions in the search's order.
const Direction kProbeDirections[8] = {
    {1.0f, 0.0f},           {-1.0f, 0.0f},           {0.0f, 1.0f},
    {0.0f, -1.0f},          normalized(1.0f, 1.0f),  normalized(-1.0f, 1.0f),
    normalized(1.0f, -1.0f), normalized(-1.0f, -1.0f),
};

std::uint32_t quantize(float v) {
    const long q = std::lround(std::clamp(v, -1.0f, 1.0f) * 2047.0f) + 2048;
    return static_cast<std::uint32_t>(std::clamp(q, 1L, 4095L));
}

void encode(std::uint8_t* texel, const LGMaskEdge& edge) {
    const std::uint32_t x = quantize(edge.dirX);
    const std::uint32_t y = quantize(edge.dirY);
    texel[0] = static_cast<std::uint8_t>(y & 0xFFu);                       // blue
    texel[1] = static_cast<std::uint8_t>(((x & 0xFu) << 4) | (y >> 8));   // green
    texel[2] = static_cast<std::uint8_t>(x >> 4);                          // red
    texel[3] = static_cast<std::uint8_t>(edge.distance);                   // alpha
}

// The search at one point of the mask, `uv` in 0...1 across it.
LGMaskEdge search(const AlphaSampler& mask, const BelowHalfCounts& belowHalf, std::size_t width,
                  std::size_t height, float u, float v) {
    LGMaskEdge edge;
    const float sizeX = static_cast<float>(width);
    const float sizeY = static_cast<float>(height);
    if (mask.at(u, v) < 0.01f) return edge;

    // Pass 1: is there any texel below half within reach? The reads of the search lie within
    // kLGMaskEdgeReach texels of the centre, and each touches the texel after its own.
    const auto cx = static_cast<long>(std::floor(std::clamp(u, 0.0f, 1.0f) * sizeX - 0.5f));
    const auto cy = static_cast<long>(std::floor(std::clamp(v, 0.0f, 1.0f) * sizeY - 0.5f));
    auto clampIndex = [](long i, std::size_t size) {
        return static_cast<std::size_t>(std::clamp(i, 0L, static_cast<long>(size) - 1));
    };
    constexpr long kSpan = kLGMaskEdgeReach + 1;
    if (belowHalf.count(clampIndex(cx - kSpan, width), clampIndex(cy - kSpan, height),
                        clampIndex(cx + kSpan + 1, width), clampIndex(cy + kSpan + 1, height)) == 0) {
        return edge;
    }

    // Pass 2: walk out along the eight directions. Only steps nearer than the best found so far
    // can change the minimum, so the walk stops there.
    const float texelX = 1.0f / sizeX;
    const float texelY = 1.0f / sizeY;
    int best = kLGMaskEdgeReach + 1;
    for (const Direction& direction : kProbeDirections) {
        for (int probe = 1; probe < best; ++probe) {
            const float offsetX = static_cast<float>(probe) * texelX * direction.x;
            const float offsetY = static_cast<float>(probe) * texelY * direction.y;
            if (mask.at(u + offsetX, v + offsetY) < 0.5f) {
                best = probe;
                break;
            }
        }
    }
    if (best > kLGMaskEdgeReach) return edge;
    edge.distance = best;

    // Pass 3: the outward direction, only needed where there is an edge: without one the glass
    // neither displaces nor lights the pixel.
    const float gx = mask.at(u + texelX, v) - mask.at(u - texelX, v);
    const float gy = mask.at(u, v + texelY) - mask.at(u, v - texelY);
    const float gl = std::sqrt(gx * gx + gy * gy);
    if (gl > 0.0001f) {
        edge.dirX = -gx / gl;
        edge.dirY = -gy / gl;
    }
    return edge;
}

}  // namespace

std::vector<std::uint8_t> LGMaskEdgeFieldPixels(const std::uint8_t* bgra, std::size_t maskWidth,
                                                std::size_t maskHeight, std::size_t bytesPerRow,
                                                std::size_t gridWidth, std::size_t gridHeight) {
    if (!bgra || maskWidth == 0 || maskHeight == 0 || gridWidth == 0 || gridHeight == 0 ||
        bytesPerRow < maskWidth * 4) {
        return {};
    }
    const AlphaSampler mask(bgra, maskWidth, maskHeight, bytesPerRow);
    const BelowHalfCounts belowHalf(mask, maskWidth, maskHeight);
    std::vector<std::uint8_t> field(gridWidth * gridHeight * 4);
    for (std::size_t y = 0; y < gridHeight; ++y) {
        // Pixel centres, computed as the fragment stage's interpolated coordinate is.
        const float v = (static_cast<float>(y) + 0.5f) / static_cast<float>(gridHeight);
        for (std::size_t x = 0; x < gridWidth; ++x) {
            const float u = (static_cast<float>(x) + 0.5f) / static_cast<float>(gridWidth);
            encode(&field[(y * gridWidth + x) * 4],
                   search(mask, belowHalf, maskWidth, maskHeight, u, v));
        }
    }
    return field;
}

LGMaskEdge LGMaskEdgeFieldDecode(const std::uint8_t* texel) {
    const std::uint32_t x = (static_cast<std::uint32_t>(texel[2]) << 4) | (texel[1] >> 4);
    const std::uint32_t y = ((static_cast<std::uint32_t>(texel[1]) & 0xFu) << 8) | texel[0];
    LGMaskEdge edge;
    edge.distance = texel[3];
    edge.dirX = static_cast<float>(static_cast<int>(x) - 2048) / 2047.0f;
    edge.dirY = static_cast<float>(static_cast<int>(y) - 2048) / 2047.0f;
    return edge;
}

std::shared_ptr<gpu::Texture> LGMaskEdgeFieldTexture(const std::shared_ptr<gpu::Device>& device,
                                                     const std::uint8_t* bgra,
                                                     std::size_t maskWidth, std::size_t maskHeight,
                                                     std::size_t bytesPerRow,
                                                     std::size_t gridWidth,
                                                     std::size_t gridHeight) {
    if (!device) return nullptr;
    const std::vector<std::uint8_t> field =
        LGMaskEdgeFieldPixels(bgra, maskWidth, maskHeight, bytesPerRow, gridWidth, gridHeight);
    if (field.empty()) return nullptr;
    auto texture = device->newTexture(
        gpu::TextureDescriptor::texture2D(gridWidth, gridHeight, gpu::TextureUsage::ShaderRead));
    if (!texture || !texture->replaceRegion(texture->wholeRegion(), field.data(), gridWidth * 4)) {
        return nullptr;
    }
    return texture;
}
