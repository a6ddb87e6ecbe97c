#include "glass/LGMaskEdgeField.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <condition_variable>
#include <cstring>
#include <functional>
#include <mutex>
#include <system_error>
#include <thread>

#include <unistd.h>

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
    if (edge.dirX == 0.0f && edge.dirY == -1.0f) {
        // The default direction, where the mask is flat: the most common by far.
        texel[0] = 1;
        texel[1] = 0;
        texel[2] = 128;
        texel[3] = static_cast<std::uint8_t>(edge.distance);
        return;
    }
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

// The same search where the drawable and the mask have one size, so that every pixel centre is a
// texel centre. Reads along the axes then land on texel centres, and reads along a diagonal at step
// s land s / sqrt(2) texels out on both axes, between the same four texels with the same weights
// for every pixel; so the search works on the bytes with weights made once, instead of filtering
// every read. The GPU's and the filtered search's rounding move a read by far less than the glass's
// margins around its thresholds.
//
// Most texels of a glyph mask are far from any edge, and those near one find it at a step that
// the texels around them decide, so the search runs on bits, 64 texels of a row at a time: at
// each step, a texel whose axis probe reads a texel below half has its edge there; a diagonal
// probe whose four texels are all below half, or none, is decided without weights, and only a
// probe between texels on both sides of one half is filtered. A texel with no texel below half
// within ten texels in the chessboard metric (found by dilating the below-half texels one texel
// at a time) has no edge and is not searched at all. The planes are a copy of the mask with a
// margin that repeats its border, as clamp-to-edge would, so no read is checked against the
// mask's bounds.
class TexelField {
  public:
    // The margin covers every read of the search (ten texels out, one more for the gradient and
    // the diagonals' second texel) and the dilations that bound it.
    static constexpr long kMargin = kLGMaskEdgeReach + 2;

    // The planes for the texels from (x0, y0) to (x1, y1), inclusive, the ones whose edges write()
    // gives; the margin reads the mask's own texels around them where it has any.
    TexelField(const LGMaskPixels& mask, long x0, long y0, long x1, long y1)
        : x0_(x0 - kMargin),
          y0_(y0 - kMargin),
          width_(x1 - x0 + 1 + 2 * kMargin),
          height_(y1 - y0 + 1 + 2 * kMargin),
          words_((width_ + 63) / 64),
          rowWords_(words_ + 2),
          stride_(words_ * 64) {
        // Pass 1: the alpha plane, the border repeated into the margin, and the bits of what the
        // search asks of it, eight texels at a time. Bit planes have a zero word before and after
        // each row, so that a row's bits can be read shifted by up to 64 columns either way.
        const auto rows = static_cast<std::size_t>(height_);
        alpha_.assign(static_cast<std::size_t>(stride_) * rows, 0);
        const std::size_t planeWords = static_cast<std::size_t>(rowWords_) * rows;
        belowBits_.assign(planeWords, 0);
        drawn_.assign(planeWords, 0);
        searched_.assign(planeWords, 0);
        const long inFirst = std::max(0L, -x0_);
        const long inLast = std::min(width_, long(mask.width) - x0_);  // exclusive
        for (long j = 0; j < height_; ++j) {
            const std::uint8_t* row = mask.bgra + static_cast<std::size_t>(std::clamp(
                                                      y0_ + j, 0L, long(mask.height) - 1)) *
                                                      mask.bytesPerRow;
            std::uint8_t* alpha = &alpha_[static_cast<std::size_t>(j * stride_)];
            const std::uint8_t left = row[3];
            const std::uint8_t right = row[(mask.width - 1) * 4 + 3];
            for (long i = 0; i < inFirst; ++i) alpha[i] = left;
            const std::uint8_t* source = row + (x0_ + inFirst) * 4 + 3;
            for (long i = inFirst; i < inLast; ++i) alpha[i] = source[(i - inFirst) * 4];
            for (long i = inLast; i < width_; ++i) alpha[i] = right;

            std::uint64_t* belowBits = rowOf(belowBits_, j);
            std::uint64_t* drawnBits = rowOf(drawn_, j);
            std::uint64_t* searchedBits = rowOf(searched_, j);
            for (long i = 0; i < words_ * 8; ++i) {
                std::uint64_t a;
                std::memcpy(&a, alpha + i * 8, 8);
                const long shift = (i & 7) * 8;
                belowBits[i >> 3] |= packHighBits(~a) << shift;
                drawnBits[i >> 3] |= packHighBits(atLeast(a, 2)) << shift;
                searchedBits[i >> 3] |= packHighBits(atLeast(a, 3)) << shift;
            }
            // Past the plane's last column there is no mask.
            const long used = width_ - (words_ - 1) * 64;
            if (used < 64) {
                const std::uint64_t keep = (std::uint64_t{1} << used) - 1;
                belowBits[words_ - 1] &= keep;
                drawnBits[words_ - 1] &= keep;
                searchedBits[words_ - 1] &= keep;
            }
        }

        // Pass 2: plane k of near_ marks the texels with a texel below half within k texels in
        // the chessboard metric, one 3 x 3 dilation at a time.
        std::vector<std::uint64_t> across(planeWords, 0);
        near_[0] = belowBits_;
        for (int k = 1; k <= kLGMaskEdgeReach; ++k) {
            near_[k].assign(planeWords, 0);
            for (long j = 0; j < height_; ++j) {
                const std::uint64_t* in = rowOf(near_[k - 1], j);
                std::uint64_t* out = rowOf(across, j);
                for (long w = 0; w < words_; ++w) {
                    out[w] = in[w] | shifted(in, w, -1) | shifted(in, w, 1);
                }
            }
            for (long j = 0; j < height_; ++j) {
                const std::uint64_t* mid = rowOf(across, j);
                const std::uint64_t* up = j > 0 ? mid - rowWords_ : mid;
                const std::uint64_t* down = j + 1 < height_ ? mid + rowWords_ : mid;
                std::uint64_t* out = rowOf(near_[k], j);
                for (long w = 0; w < words_; ++w) out[w] = up[w] | mid[w] | down[w];
            }
        }

        // Pass 3: the 2 x 2 blocks (by their top-left texel) with any, and with all, texels below
        // half.
        anyBlock_.assign(planeWords, 0);
        allBlock_.assign(planeWords, 0);
        for (long j = 0; j + 1 < height_; ++j) {
            const std::uint64_t* top = rowOf(belowBits_, j);
            const std::uint64_t* bottom = rowOf(belowBits_, j + 1);
            std::uint64_t* any = rowOf(anyBlock_, j);
            std::uint64_t* all = rowOf(allBlock_, j);
            for (long w = 0; w < words_; ++w) {
                const std::uint64_t topRight = shifted(top, w, 1);
                const std::uint64_t bottomRight = shifted(bottom, w, 1);
                any[w] = top[w] | topRight | bottom[w] | bottomRight;
                all[w] = top[w] & topRight & bottom[w] & bottomRight;
            }
        }

        const Direction diagonal = normalized(1.0f, 1.0f);
        for (int s = 1; s <= kLGMaskEdgeReach; ++s) {
            const float offset = static_cast<float>(s) * diagonal.x;
            const float whole = std::floor(offset);
            steps_[s] = {static_cast<long>(whole), offset - whole};
        }
    }

    // Writes the field and tiles of `out` for the plane's texels, which the field must cover. Marks
    // as drawn the tile of each texel with alpha of 2 or more (the glass may draw it), and the
    // least distance found in each tile.
    void write(LGMaskEdgeFieldPixels& out) const {
        // The margin's columns repeat the mask's border; they are not texels of their own.
        std::vector<std::uint64_t> inner(static_cast<std::size_t>(words_), 0);
        for (long i = kMargin; i < width_ - kMargin; ++i) {
            inner[static_cast<std::size_t>(i >> 6)] |= std::uint64_t{1} << (i & 63);
        }
        const auto fieldStride = static_cast<long>(out.fieldWidth) * 4;
        const auto tileStride = static_cast<long>(out.tilesWide) * 4;
        const auto fieldX = static_cast<long>(out.fieldX);
        const auto fieldY = static_cast<long>(out.fieldY);
        for (long j = kMargin; j < height_ - kMargin; ++j) {
            Row row{&out.field[static_cast<std::size_t>((y0_ + j - fieldY) * fieldStride +
                                                        (x0_ + kMargin - fieldX) * 4)],
                    &out.tiles[static_cast<std::size_t>((y0_ + j) / kTile * tileStride)]};
            for (long w = 0; w < words_; ++w) {
                const std::uint64_t columns = inner[static_cast<std::size_t>(w)];
                for (std::uint64_t bits = rowOf(drawn_, j)[w] & columns; bits != 0;) {
                    const long x = x0_ + w * 64 + std::countr_zero(bits);
                    row.tiles[x / kTile * 4 + 3] = 255;
                    const long end = (x / kTile + 1) * kTile - x0_ - w * 64;
                    bits = end >= 64 ? 0 : bits & ~((std::uint64_t{1} << end) - 1);
                }
                // Texels the glass discards, or with no texel below half in reach, have none.
                const std::uint64_t open =
                    rowOf(searched_, j)[w] & rowOf(near_[kLGMaskEdgeReach], j)[w] & columns;
                if (open != 0) searchWord(j, w, open, row);
            }
        }
    }

  private:
    static constexpr long kTile = static_cast<long>(kLGMaskEdgeTileSize);

    struct Step {
        long whole;  // texels passed on each axis
        float fraction;
    };

    // One plane row's texels in the field, from the first inner column, and its tiles' row.
    struct Row {
        std::uint8_t* field;
        std::uint8_t* tiles;
    };

    // Bit i of the result is the high bit of byte i of v.
    static std::uint64_t packHighBits(std::uint64_t v) {
        return (((v >> 7) & 0x0101010101010101u) * 0x0102040810204080u) >> 56;
    }

    // The high bit of each byte of v set where that byte is at least n (1...127).
    static std::uint64_t atLeast(std::uint64_t v, std::uint8_t n) {
        const std::uint64_t high = 0x8080808080808080u;
        // With each byte's high bit forced on, subtracting n borrows across no byte, and leaves
        // the high bit on exactly where the low seven bits were at least n.
        const std::uint64_t low = ((v | high) - 0x0101010101010101u * n) & high;
        return (v & high) | low;
    }

    // Bit i: the bit of `row` at column w * 64 + i + d, |d| <= 64.
    static std::uint64_t shifted(const std::uint64_t* row, long w, long d) {
        const long first = w * 64 + d;
        const long word = first >> 6;  // rounds down, also below zero
        const long shift = first & 63;
        // Two shifts for the high part keep a shift of 0 defined without a branch.
        return (row[word] >> shift) | ((row[word + 1] << 1) << (63 - shift));
    }

    std::uint64_t* rowOf(std::vector<std::uint64_t>& plane, long j) const {
        return &plane[static_cast<std::size_t>(j * rowWords_ + 1)];
    }
    const std::uint64_t* rowOf(const std::vector<std::uint64_t>& plane, long j) const {
        return &plane[static_cast<std::size_t>(j * rowWords_ + 1)];
    }

    // The search for the texels `open` of word w of plane row j, all steps in order: a texel's
    // first hit is its least distance.
    void searchWord(long j, long w, std::uint64_t open, const Row& row) const {
        // No probe at a step nearer than a texel's nearest texel below half can hit: the axis
        // probe at step s reads a texel s away, the diagonal one texels at most s away. So the
        // word starts at the step its nearest texel can first reach.
        int first = 1;
        while (!(rowOf(near_[first], j)[w] & open)) ++first;
        for (int s = first; s <= kLGMaskEdgeReach && open != 0; ++s) {
            std::uint64_t hit =
                open & (shifted(rowOf(belowBits_, j), w, s) | shifted(rowOf(belowBits_, j), w, -s) |
                        rowOf(belowBits_, j + s)[w] | rowOf(belowBits_, j - s)[w]);
            // Diagonal probes, for the texels the axes left open that have a texel below half as
            // near as the probe's farther texels. Going up or left the read lies between texel
            // -(whole + 1) and -whole, nearer the second by the fraction.
            const Step& step = steps_[s];
            const std::uint64_t nearEnough = rowOf(near_[step.whole + 1], j)[w];
            for (const auto& [dx, dy] :
                 {std::pair{1L, 1L}, std::pair{-1L, 1L}, std::pair{1L, -1L}, std::pair{-1L, -1L}}) {
                const std::uint64_t left = open & ~hit & nearEnough;
                if (left == 0) break;
                const long ox = dx > 0 ? step.whole : -step.whole - 1;
                const long oy = dy > 0 ? step.whole : -step.whole - 1;
                const std::uint64_t any = shifted(rowOf(anyBlock_, j + oy), w, ox);
                const std::uint64_t all = shifted(rowOf(allBlock_, j + oy), w, ox);
                hit |= left & all;
                for (std::uint64_t mixed = left & any & ~all; mixed != 0; mixed &= mixed - 1) {
                    const long i = w * 64 + std::countr_zero(mixed);
                    const auto q = static_cast<std::size_t>((j + oy) * stride_ + i + ox);
                    if (filteredBelowHalf(q, dx > 0, dy > 0, step)) hit |= mixed & -mixed;
                }
            }
            // Most texels with an edge lie where the mask is flat and keep the default direction.
            const std::uint8_t flat[4] = {1, 0, 128, static_cast<std::uint8_t>(s)};
            for (std::uint64_t bits = hit; bits != 0; bits &= bits - 1) {
                const long i = w * 64 + std::countr_zero(bits);
                const auto p = static_cast<std::size_t>(j * stride_ + i);
                const std::uint8_t* a = &alpha_[p];
                std::uint8_t* texel = row.field + (i - kMargin) * 4;
                if (a[1] == a[-1] && a[stride_] == a[-stride_]) {
                    std::memcpy(texel, flat, 4);
                } else {
                    encode(texel, found(p, s));
                }
                std::uint8_t& nearest = row.tiles[(x0_ + i) / kTile * 4 + 2];
                if (nearest == 0 || s < nearest) nearest = static_cast<std::uint8_t>(s);
            }
            open &= ~hit;
        }
    }

    // The edge at plane texel p, found at step s: the outward direction from the texels on either
    // side. Most texels with an edge lie where the mask is flat, and keep the default.
    LGMaskEdge found(std::size_t p, int s) const {
        LGMaskEdge edge;
        edge.distance = s;
        const std::uint8_t* a = &alpha_[p];
        if (a[1] == a[-1] && a[stride_] == a[-stride_]) return edge;
        const float gx = (static_cast<float>(a[1]) - static_cast<float>(a[-1])) / 255.0f;
        const float gy =
            (static_cast<float>(a[stride_]) - static_cast<float>(a[-stride_])) / 255.0f;
        const float gl = std::sqrt(gx * gx + gy * gy);
        if (gl > 0.0001f) {
            edge.dirX = -gx / gl;
            edge.dirY = -gy / gl;
        }
        return edge;
    }

    // The filtered read of the block with top-left texel q, below half? Weighted as a diagonal
    // probe's read at `step` going right (or left) and down (or up).
    bool filteredBelowHalf(std::size_t q, bool right, bool down, const Step& step) const {
        const float fx = right ? step.fraction : 1.0f - step.fraction;
        const float fy = down ? step.fraction : 1.0f - step.fraction;
        const auto next = static_cast<std::size_t>(stride_);
        const float top =
            (1.0f - fx) * static_cast<float>(alpha_[q]) + fx * static_cast<float>(alpha_[q + 1]);
        const float bottom = (1.0f - fx) * static_cast<float>(alpha_[q + next]) +
                             fx * static_cast<float>(alpha_[q + next + 1]);
        return (1.0f - fy) * top + fy * bottom < 127.5f;
    }

    long x0_;
    long y0_;
    long width_;
    long height_;
    long words_;     // words of 64 texels in a row of the plane
    long rowWords_;  // the same with the zero word on either side
    long stride_;    // bytes from one row of the byte planes to the next
    std::vector<std::uint8_t> alpha_;
    std::vector<std::uint64_t> belowBits_;  // alpha below half
    std::vector<std::uint64_t> drawn_;      // alpha of 2 or more: the glass may draw the texel
    std::vector<std::uint64_t> searched_;   // alpha of 3 or more: the glass keeps the pixel
    std::vector<std::uint64_t> near_[kLGMaskEdgeReach + 1];
    std::vector<std::uint64_t> anyBlock_;  // some texel of the 2 x 2 block below half
    std::vector<std::uint64_t> allBlock_;  // every texel of it below half
    Step steps_[kLGMaskEdgeReach + 1] = {};
};

// The smallest rectangle holding every texel with alpha of 2 or more (0.005: the glass draws
// nothing with less); false when there is none. Most of a glyph mask is empty, so rows are read
// four texels at a time, their alpha bytes masked.
bool drawnBounds(const LGMaskPixels& mask, long& x0, long& y0, long& x1, long& y1) {
    x0 = long(mask.width);
    y0 = long(mask.height);
    x1 = -1;
    y1 = -1;
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
    return x1 >= 0;
}

// A thread kept for the second band of a search, so that an upload does not pay for starting one
// (about as long as a plain mask upload takes). It sleeps while there is no work.
class BandThread {
  public:
    // The process's band thread; nullptr when none could be started.
    static BandThread* shared() {
        static BandThread* const thread = [] {
            auto made = std::make_unique<BandThread>();
            try {
                made->thread_ = std::thread([raw = made.get()] { raw->serve(); });
            } catch (const std::system_error&) {
                return static_cast<BandThread*>(nullptr);
            }
            // Never destroyed: a thread joined from a static destructor could outlive the code
            // it runs, and the thread holds nothing that must be released.
            return made.release();
        }();
        // A child forked without exec has the object but not the thread.
        return thread && thread->owner_ == ::getpid() ? thread : nullptr;
    }

    // Runs work on the thread and returns at once; false, and nothing run, when the thread is
    // busy with another caller's work.
    bool start(const std::function<void()>& work) {
        std::lock_guard<std::mutex> lock(mutex_);
        if (work_) return false;
        work_ = work;
        done_ = false;
        wake_.notify_one();
        return true;
    }

    // Returns when the work that start() took is done: true when it ran to its end, false when
    // it threw (out of memory), and the caller must do it.
    bool wait() {
        std::unique_lock<std::mutex> lock(mutex_);
        finished_.wait(lock, [&] { return done_; });
        work_ = nullptr;
        return !failed_;
    }

  private:
    void serve() {
        std::unique_lock<std::mutex> lock(mutex_);
        for (;;) {
            wake_.wait(lock, [&] { return work_ && !done_; });
            const std::function<void()> work = work_;
            lock.unlock();
            bool failed = false;
            try {
                work();
            } catch (...) {
                failed = true;
            }
            lock.lock();
            failed_ = failed;
            done_ = true;
            finished_.notify_all();
        }
    }

    const pid_t owner_ = ::getpid();
    std::mutex mutex_;
    std::condition_variable wake_;
    std::condition_variable finished_;
    std::function<void()> work_;
    bool done_ = true;
    bool failed_ = false;
    std::thread thread_;
};

// Runs work(y0, y1) over drawable rows first...last - 1 in two bands, the second on the band
// thread when there are enough rows to repay handing it over. The bands meet on a tile boundary,
// so each writes rows of the field and of the tiles that the other does not touch, and the result
// does not depend on how the threads run. Without the thread, one band after the other.
template <typename Work>
void inTwoBands(std::size_t first, std::size_t last, const Work& work) {
    constexpr std::size_t kFewestRowsForThreads = 4 * kLGMaskEdgeTileSize;
    const std::size_t middle = (first + last) / 2 / kLGMaskEdgeTileSize * kLGMaskEdgeTileSize;
    BandThread* thread = nullptr;
    if (last - first >= kFewestRowsForThreads && middle > first) thread = BandThread::shared();
    if (!thread || !thread->start([&] { work(middle, last); })) {
        work(first, last);
        return;
    }
    try {
        work(first, middle);
    } catch (...) {
        // The second band reads what the caller owns: it must end before the caller unwinds.
        thread->wait();
        throw;
    }
    if (!thread->wait()) work(middle, last);
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
    // Pixels with an edge are ones the glass keeps, so they lie where drawn texels are; the field
    // covers pixels x0...x1, y0...y1 and starts as zeros, a texel with no edge.
    auto cover = [&](std::size_t x0, std::size_t y0, std::size_t x1, std::size_t y1) {
        out.fieldX = x0;
        out.fieldY = y0;
        out.fieldWidth = x1 - x0 + 1;
        out.fieldHeight = y1 - y0 + 1;
        out.field.assign(out.fieldWidth * out.fieldHeight * 4, 0);
    };

    auto tileOf = [&](std::size_t x, std::size_t y) {
        return &out.tiles[((y / kLGMaskEdgeTileSize) * out.tilesWide + x / kLGMaskEdgeTileSize) *
                          4];
    };
    auto drawn = [&](std::size_t x, std::size_t y) { tileOf(x, y)[3] = 255; };
    auto edge = [&](std::size_t x, std::size_t y, const LGMaskEdge& found) {
        encode(&out.field[((y - out.fieldY) * out.fieldWidth + x - out.fieldX) * 4], found);
        std::uint8_t* tile = tileOf(x, y);
        if (tile[2] == 0 || found.distance < tile[2]) {
            tile[2] = static_cast<std::uint8_t>(found.distance);
        }
    };

    if (width == mask.width && height == mask.height) {
        // Outside the drawn texels' bounds the glass draws nothing and the field holds no edge.
        long x0, y0, x1, y1;
        if (!drawnBounds(mask, x0, y0, x1, y1)) return out;
        cover(std::size_t(x0), std::size_t(y0), std::size_t(x1), std::size_t(y1));
        inTwoBands(std::size_t(y0), std::size_t(y1) + 1, [&](std::size_t from, std::size_t to) {
            TexelField(mask, x0, long(from), x1, long(to) - 1).write(out);
        });
        return out;
    }

    // A pixel whose filtered read takes no texel within the drawn texels' bounds has alpha of at
    // most 1 / 255: the glass neither draws it nor searches there.
    long x0, y0, x1, y1;
    if (!drawnBounds(mask, x0, y0, x1, y1)) return out;
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
        columns[x] = touches(centre(x, width), mask.width, x0, x1);
        if (columns[x]) {
            first[0] = std::min(first[0], x);
            last[0] = x;
        }
    }
    for (std::size_t y = 0; y < height; ++y) {
        rows[y] = touches(centre(y, height), mask.height, y0, y1);
        if (rows[y]) {
            first[1] = std::min(first[1], y);
            last[1] = y;
        }
    }
    if (first[0] > last[0] || first[1] > last[1]) return out;
    cover(first[0], first[1], last[0], last[1]);
    const AlphaSampler sampler(mask.bgra, mask.width, mask.height, mask.bytesPerRow);
    const BelowHalfCounts belowHalf(sampler, mask.width, mask.height);
    inTwoBands(first[1], last[1] + 1, [&](std::size_t from, std::size_t to) {
        for (std::size_t y = from; y < to; ++y) {
            if (!rows[y]) continue;
            const float v = centre(y, height);
            for (std::size_t x = first[0]; x <= last[0]; ++x) {
                if (!columns[x]) continue;
                const float u = centre(x, width);
                const float alpha = sampler.at(u, v);
                if (alpha >= 0.005f) drawn(x, y);
                const LGMaskEdge found =
                    search(sampler, belowHalf, mask.width, mask.height, u, v, alpha);
                if (found.distance > 0) edge(x, y, found);
            }
        }
    });
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
