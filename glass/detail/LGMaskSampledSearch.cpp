#include "glass/detail/LGMaskSampledSearch.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include "glass/detail/LGMaskBandThread.h"

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

// The search at one point of the mask, (u, v) in 0...1 across it, where the mask reads `alpha`.
LGMaskEdge search(const AlphaSampler& mask, const BelowHalfCounts& belowHalf, std::size_t width,
                  std::size_t height, float u, float v, float alpha) {
    LGMaskEdge edge;
    const float sizeX = static_cast<float>(width);
    const float sizeY = static_cast<float>(height);
    if (alpha < 0.01f) return edge;

    // Pass 1: the first step that can find an edge. A probe at step s reads texels at most s
    // away from the two on either side of the centre, so it can fall below half only if some
    // texel in that box does; none within reach, no edge.
    const auto cx = static_cast<long>(std::floor(std::clamp(u, 0.0f, 1.0f) * sizeX - 0.5f));
    const auto cy = static_cast<long>(std::floor(std::clamp(v, 0.0f, 1.0f) * sizeY - 0.5f));
    auto clampIndex = [](long i, std::size_t size) {
        return static_cast<std::size_t>(std::clamp(i, 0L, static_cast<long>(size) - 1));
    };
    auto anyBelowWithin = [&](long s) {
        return belowHalf.count(clampIndex(cx - s, width), clampIndex(cy - s, height),
                               clampIndex(cx + 1 + s, width), clampIndex(cy + 1 + s, height)) != 0;
    };
    if (!anyBelowWithin(kLGMaskEdgeReach)) return edge;
    long first = 1;
    for (long last = kLGMaskEdgeReach; first < last;) {
        const long middle = (first + last) / 2;
        if (anyBelowWithin(middle)) {
            last = middle;
        } else {
            first = middle + 1;
        }
    }

    // Pass 2: walk out along the eight directions. Only steps nearer than the best found so far
    // can change the minimum, so the walk stops there.
    const float texelX = 1.0f / sizeX;
    const float texelY = 1.0f / sizeY;
    int best = kLGMaskEdgeReach + 1;
    for (std::size_t d = 0; d < 8; ++d) {
        const Direction& direction = kProbeDirections[d];
        // The texels this direction's probes read lie on its side of the centre: along an axis,
        // in the centre's two rows (or columns) out to the reach; along a diagonal, in that
        // quadrant out to floor(10 / sqrt(2)) + 1. A read outside its box can take a texel beyond
        // only with the float rounding's weight, far too little to pull it below half.
        auto lo = [](float component, long reach) { return component < 0.0f ? -reach : 0L; };
        auto hi = [](float component, long reach) { return component > 0.0f ? reach : 0L; };
        const long reach = d < 4 ? kLGMaskEdgeReach + 1 : 8;
        if (belowHalf.count(clampIndex(cx + lo(direction.x, reach), width),
                            clampIndex(cy + lo(direction.y, reach), height),
                            clampIndex(cx + 1 + hi(direction.x, reach), width),
                            clampIndex(cy + 1 + hi(direction.y, reach), height)) == 0) {
            continue;
        }
        for (int probe = static_cast<int>(first); probe < best; ++probe) {
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

// Stores the edge found at drawable pixel (x, y) and keeps its tile's least distance.
void writeEdge(LGMaskEdgeFieldPixels& out, std::size_t x, std::size_t y, const LGMaskEdge& found) {
    LGMaskEdgeEncode(&out.field[((y - out.fieldY) * out.fieldWidth + x - out.fieldX) * 4], found);
    std::uint8_t* tile = LGMaskEdgeTileOf(out, x, y);
    if (tile[2] == 0 || found.distance < tile[2]) {
        tile[2] = static_cast<std::uint8_t>(found.distance);
    }
}

}  // namespace

void LGMaskSampledSearchWrite(const LGMaskPixels& mask, const LGMaskDrawnBounds& drawn,
                              LGMaskEdgeFieldPixels& out) {
    const std::size_t width = out.width;
    const std::size_t height = out.height;
    // A pixel whose filtered read takes no texel within the drawn texels' bounds has alpha of at
    // most 1 / 255: the glass neither draws it nor searches there.
    auto touches = [](float uv, std::size_t size, long first, long last) {
        const float at = std::floor(std::clamp(uv, 0.0f, 1.0f) * static_cast<float>(size) - 0.5f);
        const long top = static_cast<long>(size) - 1;
        const long a = std::clamp(static_cast<long>(at), 0L, top);
        const long b = std::clamp(static_cast<long>(at) + 1, 0L, top);
        return b >= first && a <= last;
    };
    // Pixel centres, computed as the fragment stage's interpolated coordinate is.
    auto centre = [](std::size_t i, std::size_t size) {
        return (static_cast<float>(i) + 0.5f) / static_cast<float>(size);
    };
    std::vector<bool> columns(width), rows(height);
    std::size_t first[2] = {width, height};
    std::size_t last[2] = {0, 0};
    for (std::size_t x = 0; x < width; ++x) {
        columns[x] = touches(centre(x, width), mask.width, drawn.x0, drawn.x1);
        if (columns[x]) {
            first[0] = std::min(first[0], x);
            last[0] = x;
        }
    }
    for (std::size_t y = 0; y < height; ++y) {
        rows[y] = touches(centre(y, height), mask.height, drawn.y0, drawn.y1);
        if (rows[y]) {
            first[1] = std::min(first[1], y);
            last[1] = y;
        }
    }
    if (first[0] > last[0] || first[1] > last[1]) return;
    LGMaskEdgeFieldCover(out, first[0], first[1], last[0], last[1]);
    const AlphaSampler sampler(mask.bgra, mask.width, mask.height, mask.bytesPerRow);
    const BelowHalfCounts belowHalf(sampler, mask.width, mask.height);
    LGMaskInTwoBands(first[1], last[1] + 1, [&](std::size_t from, std::size_t to) {
        for (std::size_t y = from; y < to; ++y) {
            if (!rows[y]) continue;
            const float v = centre(y, height);
            for (std::size_t x = first[0]; x <= last[0]; ++x) {
                if (!columns[x]) continue;
                const float u = centre(x, width);
                const float alpha = sampler.at(u, v);
                if (alpha >= 0.005f) LGMaskEdgeTileOf(out, x, y)[3] = 255;
                const LGMaskEdge found =
                    search(sampler, belowHalf, mask.width, mask.height, u, v, alpha);
                if (found.distance > 0) writeEdge(out, x, y, found);
            }
        }
    });
}
