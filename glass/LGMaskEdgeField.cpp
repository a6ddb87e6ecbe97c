#include "glass/LGMaskEdgeField.h"

#include <algorithm>
#include <cmath>

#include "platform/gpu/Device.h"
#include "platform/gpu/Texture.h"

namespace {

// The mask's alpha as the GPU's sampler reads it: linear filtering, clamp-to-edge, texel centres
// at half integers, in float. The GPU filters with fixed-point weights; the two differ by far less
// than the glass's margins around its thresholds, so the search finds what the GPU's would.
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
    {1.0f, 0.0f},
    {-1.0f, 0.0f},
    {0.0f, 1.0f},
    {0.0f, -1.0f},
    normalized(1.0f, 1.0f),
    normalized(-1.0f, 1.0f),
    normalized(1.0f, -1.0f),
    normalized(-1.0f, -1.0f),
};

// round(v * 2047) + 2048, 1...4095: the sum is positive, so adding a half and truncating rounds.
std::uint32_t quantize(float v) {
    return static_cast<std::uint32_t>(std::clamp(v, -1.0f, 1.0f) * 2047.0f + 2048.5f);
}

void encode(std::uint8_t* texel, const LGMaskEdge& edge) {
    const std::uint32_t x = quantize(edge.dirX);
    const std::uint32_t y = quantize(edge.dirY);
    texel[0] = static_cast<std::uint8_t>(y & 0xFFu);                     // blue
    texel[1] = static_cast<std::uint8_t>(((x & 0xFu) << 4) | (y >> 8));  // green
    texel[2] = static_cast<std::uint8_t>(x >> 4);                        // red
    texel[3] = static_cast<std::uint8_t>(edge.distance);                 // alpha
}

// The search at one point of the mask, (u, v) in 0...1 across it, where the mask reads `alpha`.
LGMaskEdge search(const AlphaSampler& mask, const BelowHalfCounts& belowHalf, std::size_t width,
                  std::size_t height, float u, float v, float alpha) {
    LGMaskEdge edge;
    const float sizeX = static_cast<float>(width);
    const float sizeY = static_cast<float>(height);
    if (alpha < 0.01f) return edge;

    // Pass 1: is there any texel below half within reach? The reads of the search lie within
    // kLGMaskEdgeReach texels of the centre, and each touches the texel after its own.
    const auto cx = static_cast<long>(std::floor(std::clamp(u, 0.0f, 1.0f) * sizeX - 0.5f));
    const auto cy = static_cast<long>(std::floor(std::clamp(v, 0.0f, 1.0f) * sizeY - 0.5f));
    auto clampIndex = [](long i, std::size_t size) {
        return static_cast<std::size_t>(std::clamp(i, 0L, static_cast<long>(size) - 1));
    };
    constexpr long kSpan = kLGMaskEdgeReach + 1;
    if (belowHalf.count(clampIndex(cx - kSpan, width), clampIndex(cy - kSpan, height),
                        clampIndex(cx + kSpan + 1, width),
                        clampIndex(cy + kSpan + 1, height)) == 0) {
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

// The same search where the drawable and the mask have one size, so that every pixel centre is a
// texel centre. Reads along the axes then land on texel centres, and reads along a diagonal at step
// s land s / sqrt(2) texels out on both axes, between the same four texels with the same weights
// for every pixel; so the search works on the bytes with weights made once, instead of filtering
// every read. The GPU's and the filtered search's rounding move a read by far less than the glass's
// margins around its thresholds.
class TexelSearch {
  public:
    TexelSearch(const LGMaskPixels& mask, const BelowHalfCounts& belowHalf)
        : mask_(mask), belowHalf_(belowHalf) {
        const Direction diagonal = normalized(1.0f, 1.0f);
        for (int s = 1; s <= kLGMaskEdgeReach; ++s) {
            const float offset = static_cast<float>(s) * diagonal.x;
            const float whole = std::floor(offset);
            steps_[s] = {static_cast<long>(whole), offset - whole};
        }
    }

    std::uint8_t alpha(long x, long y) const {
        x = std::clamp(x, 0L, static_cast<long>(mask_.width) - 1);
        y = std::clamp(y, 0L, static_cast<long>(mask_.height) - 1);
        return mask_.bgra[static_cast<std::size_t>(y) * mask_.bytesPerRow +
                          static_cast<std::size_t>(x) * 4 + 3];
    }

    LGMaskEdge search(long x, long y) const {
        // Away from the mask's borders no read needs clamping.
        constexpr long kSpan = kLGMaskEdgeReach + 1;
        const bool inner = x >= kSpan && y >= kSpan && x + kSpan < static_cast<long>(mask_.width) &&
                           y + kSpan < static_cast<long>(mask_.height);
        return inner ? search<false>(x, y) : search<true>(x, y);
    }

  private:
    struct Step {
        long whole;  // texels passed on each axis
        float fraction;
    };

    template <bool Clamped>
    std::uint8_t at(long x, long y) const {
        if constexpr (Clamped) return alpha(x, y);
        return mask_.bgra[static_cast<std::size_t>(y) * mask_.bytesPerRow +
                          static_cast<std::size_t>(x) * 4 + 3];
    }

    template <bool Clamped>
    LGMaskEdge search(long x, long y) const {
        LGMaskEdge edge;
        // alpha < 0.01: the glass discards the pixel.
        if (at<Clamped>(x, y) < 3) return edge;

        // Pass 1: no texel below half within reach, no edge.
        constexpr long kSpan = kLGMaskEdgeReach + 1;
        auto clampIndex = [](long i, std::size_t size) {
            return static_cast<std::size_t>(std::clamp(i, 0L, static_cast<long>(size) - 1));
        };
        if (belowHalf_.count(
                clampIndex(x - kSpan, mask_.width), clampIndex(y - kSpan, mask_.height),
                clampIndex(x + kSpan, mask_.width), clampIndex(y + kSpan, mask_.height)) == 0) {
            return edge;
        }

        // Pass 2: along the axes, whole texels; along the diagonals, four texels weighted.
        int best = kLGMaskEdgeReach + 1;
        constexpr long kAxes[4][2] = {{1, 0}, {-1, 0}, {0, 1}, {0, -1}};
        for (const auto& axis : kAxes) {
            for (int s = 1; s < best; ++s) {
                if (at<Clamped>(x + axis[0] * s, y + axis[1] * s) < 128) {
                    best = s;
                    break;
                }
            }
        }
        constexpr long kDiagonals[4][2] = {{1, 1}, {-1, 1}, {1, -1}, {-1, -1}};
        for (const auto& diagonal : kDiagonals) {
            for (int s = 1; s < best; ++s) {
                if (diagonalBelowHalf<Clamped>(x, y, diagonal[0], diagonal[1], s)) {
                    best = s;
                    break;
                }
            }
        }
        if (best > kLGMaskEdgeReach) return edge;
        edge.distance = best;

        // Pass 3: the outward direction from the texels on either side.
        const float gx = (static_cast<float>(at<Clamped>(x + 1, y)) -
                          static_cast<float>(at<Clamped>(x - 1, y))) /
                         255.0f;
        const float gy = (static_cast<float>(at<Clamped>(x, y + 1)) -
                          static_cast<float>(at<Clamped>(x, y - 1))) /
                         255.0f;
        const float gl = std::sqrt(gx * gx + gy * gy);
        if (gl > 0.0001f) {
            edge.dirX = -gx / gl;
            edge.dirY = -gy / gl;
        }
        return edge;
    }

    // The filtered read s steps out along the diagonal (dx, dy), below half?
    template <bool Clamped>
    bool diagonalBelowHalf(long x, long y, long dx, long dy, int s) const {
        const Step& step = steps_[s];
        // Going up or left the read lies between texel -(whole + 1) and -whole, nearer the second
        // by the fraction.
        const long x0 = dx > 0 ? x + step.whole : x - step.whole - 1;
        const long y0 = dy > 0 ? y + step.whole : y - step.whole - 1;
        const float fx = dx > 0 ? step.fraction : 1.0f - step.fraction;
        const float fy = dy > 0 ? step.fraction : 1.0f - step.fraction;
        const float top = (1.0f - fx) * static_cast<float>(at<Clamped>(x0, y0)) +
                          fx * static_cast<float>(at<Clamped>(x0 + 1, y0));
        const float bottom = (1.0f - fx) * static_cast<float>(at<Clamped>(x0, y0 + 1)) +
                             fx * static_cast<float>(at<Clamped>(x0 + 1, y0 + 1));
        return (1.0f - fy) * top + fy * bottom < 127.5f;
    }

    const LGMaskPixels& mask_;
    const BelowHalfCounts& belowHalf_;
    Step steps_[kLGMaskEdgeReach + 1] = {};
};

}  // namespace

LGMaskEdgeFieldPixels LGMaskEdgeFieldCompute(const LGMaskPixels& mask, std::size_t width,
                                             std::size_t height) {
    LGMaskEdgeFieldPixels out;
    if (!mask.bgra || mask.width == 0 || mask.height == 0 || width == 0 || height == 0 ||
        mask.bytesPerRow < mask.width * 4) {
        return out;
    }
    const AlphaSampler sampler(mask.bgra, mask.width, mask.height, mask.bytesPerRow);
    const BelowHalfCounts belowHalf(sampler, mask.width, mask.height);
    out.width = width;
    out.height = height;
    out.field.resize(width * height * 4);
    out.tilesWide = (width + kLGMaskEdgeTileSize - 1) / kLGMaskEdgeTileSize;
    out.tilesHigh = (height + kLGMaskEdgeTileSize - 1) / kLGMaskEdgeTileSize;
    out.tiles.assign(out.tilesWide * out.tilesHigh * 4, 0);
    // Most pixels have no edge: start from that and write the others.
    std::uint8_t none[4];
    encode(none, LGMaskEdge{});
    for (std::size_t i = 0; i < width * height; ++i) std::copy(none, none + 4, &out.field[i * 4]);

    const bool aligned = width == mask.width && height == mask.height;
    const TexelSearch texels(mask, belowHalf);
    for (std::size_t y = 0; y < height; ++y) {
        // Pixel centres, computed as the fragment stage's interpolated coordinate is.
        const float v = (static_cast<float>(y) + 0.5f) / static_cast<float>(height);
        for (std::size_t x = 0; x < width; ++x) {
            float alpha;
            LGMaskEdge edge;
            if (aligned) {
                const std::uint8_t a = texels.alpha(static_cast<long>(x), static_cast<long>(y));
                if (a == 0) continue;  // no alpha to filter, no edge, nothing to draw
                alpha = static_cast<float>(a) / 255.0f;
                edge = texels.search(static_cast<long>(x), static_cast<long>(y));
            } else {
                const float u = (static_cast<float>(x) + 0.5f) / static_cast<float>(width);
                alpha = sampler.at(u, v);
                edge = search(sampler, belowHalf, mask.width, mask.height, u, v, alpha);
            }
            if (edge.distance > 0) encode(&out.field[(y * width + x) * 4], edge);

            std::uint8_t* tile =
                &out.tiles[((y / kLGMaskEdgeTileSize) * out.tilesWide + x / kLGMaskEdgeTileSize) *
                           4];
            if (alpha >= 0.005f) tile[3] = 255;
            if (edge.distance > 0 && (tile[2] == 0 || edge.distance < tile[2])) {
                tile[2] = static_cast<std::uint8_t>(edge.distance);
            }
        }
    }
    return out;
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
    textures.field = upload(pixels.field, pixels.width, pixels.height);
    textures.tiles = upload(pixels.tiles, pixels.tilesWide, pixels.tilesHigh);
    if (!textures) return {};
    return textures;
}
