#include "glass/detail/LGMaskTexelSearch.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <utility>
#include <vector>

#include "glass/detail/LGMaskBandThread.h"
#include "glass/detail/LGMaskEdgeFieldWriting.h"

namespace {

// The bit planes of the mask around the texels being searched, and the search over them.
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

        // A diagonal's unit step on each axis, as the filtered search normalises (1, 1).
        const float diagonal = 1.0f / std::sqrt(2.0f);
        for (int s = 1; s <= kLGMaskEdgeReach; ++s) {
            const float offset = static_cast<float>(s) * diagonal;
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
                    LGMaskEdgeEncode(texel, found(p, s));
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

}  // namespace

void LGMaskTexelSearchWrite(const LGMaskPixels& mask, const LGMaskDrawnBounds& drawn,
                            LGMaskEdgeFieldPixels& out) {
    // Outside the drawn texels' bounds the glass draws nothing and the field holds no edge.
    LGMaskEdgeFieldCover(out, std::size_t(drawn.x0), std::size_t(drawn.y0), std::size_t(drawn.x1),
                         std::size_t(drawn.y1));
    LGMaskInTwoBands(std::size_t(drawn.y0), std::size_t(drawn.y1) + 1,
                     [&](std::size_t from, std::size_t to) {
                         TexelField(mask, drawn.x0, long(from), drawn.x1, long(to) - 1).write(out);
                     });
}
