#include "platform/ui/detail/AlphaBlur.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace ui::detail {

namespace {

// Weights in 1/65536 that sum to exactly 65536, so flat areas keep their value.
std::vector<std::uint32_t> kernel(double sigma, int reach) {
    std::vector<double> w(static_cast<std::size_t>(2 * reach + 1));
    double sum = 0;
    for (int i = -reach; i <= reach; ++i) {
        w[std::size_t(i + reach)] = std::exp(-(double(i) * i) / (2 * sigma * sigma));
        sum += w[std::size_t(i + reach)];
    }
    std::vector<std::uint32_t> fixed(w.size());
    std::uint32_t total = 0;
    for (std::size_t i = 0; i < w.size(); ++i) {
        fixed[i] = std::uint32_t(std::lround(w[i] / sum * 65536));
        total += fixed[i];
    }
    // Rounding leaves the sum a few units off; the centre tap absorbs the difference.
    fixed[std::size_t(reach)] += 65536 - total;
    return fixed;
}

std::uint8_t rounded(std::uint32_t acc) {
    return std::uint8_t((acc + 32768) >> 16);
}

// acc[i] += weight × src[i]. The blocks of 16 with non-aliasing pointers let the compiler use
// vector instructions at the default optimisation level.
void addWeighted(std::uint32_t* __restrict acc, const std::uint8_t* __restrict src,
                 std::size_t count, std::uint32_t weight) {
    std::size_t i = 0;
    for (; i + 16 <= count; i += 16) {
        for (std::size_t j = 0; j < 16; ++j) acc[i + j] += weight * src[i + j];
    }
    for (; i < count; ++i) acc[i] += weight * src[i];
}

struct Span {
    int begin = 0, end = 0;  // half-open
    bool empty() const { return end <= begin; }
};

}  // namespace

int gaussianReach(double sigma) {
    if (!(sigma >= 0.1)) return 0;
    return int(std::ceil(3 * sigma));
}

void gaussianBlurAlpha(std::uint8_t* data, int width, int height, std::size_t stride,
                       double sigma) {
    const int reach = gaussianReach(sigma);
    if (reach == 0 || data == nullptr || width <= 0 || height <= 0) return;
    const std::vector<std::uint32_t> k = kernel(sigma, reach);
    const auto row = [&](int y) { return data + std::size_t(y) * stride; };

    // Pass 1: where the ink is. Only pixels within reach of it can change.
    Span xs{width, 0}, ys{height, 0};
    for (int y = 0; y < height; ++y) {
        const std::uint8_t* r = row(y);
        for (int x = 0; x < width; ++x) {
            if (r[x] == 0) continue;
            xs = {std::min(xs.begin, x), std::max(xs.end, x + 1)};
            ys = {std::min(ys.begin, y), std::max(ys.end, y + 1)};
        }
    }
    if (xs.empty()) return;
    const Span outX{std::max(0, xs.begin - reach), std::min(width, xs.end + reach)};
    const Span outY{std::max(0, ys.begin - reach), std::min(height, ys.end + reach)};
    const std::size_t w = std::size_t(outX.end - outX.begin);

    // Both passes add whole shifted rows times one weight, which keeps the inner loops
    // contiguous (and vectorisable) whatever the direction.
    std::vector<std::uint32_t> acc(w);

    // Pass 2: rows. Each inked row, padded with transparent pixels, into the window.
    std::vector<std::uint8_t> padded(w + 2 * std::size_t(reach), 0);
    for (int y = ys.begin; y < ys.end; ++y) {
        std::uint8_t* r = row(y);
        std::fill(padded.begin(), padded.end(), 0);
        std::copy(r + outX.begin, r + outX.end, padded.begin() + reach);
        std::fill(acc.begin(), acc.end(), 0);
        for (std::size_t t = 0; t < k.size(); ++t)
            addWeighted(acc.data(), padded.data() + t, w, k[t]);
        for (std::size_t x = 0; x < w; ++x) r[std::size_t(outX.begin) + x] = rounded(acc[x]);
    }

    // Pass 3: columns, one output row at a time from the row-blurred rows within reach. The
    // rows are read from a copy, since the output overwrites them.
    const std::size_t rowsIn = std::size_t(ys.end - ys.begin);
    std::vector<std::uint8_t> blurredRows(rowsIn * w);
    for (std::size_t i = 0; i < rowsIn; ++i) {
        const std::uint8_t* r = row(ys.begin + int(i)) + outX.begin;
        std::copy(r, r + w, blurredRows.begin() + std::ptrdiff_t(i * w));
    }
    for (int y = outY.begin; y < outY.end; ++y) {
        std::fill(acc.begin(), acc.end(), 0);
        const int from = std::max(ys.begin, y - reach), to = std::min(ys.end, y + reach + 1);
        for (int s = from; s < to; ++s) {
            addWeighted(acc.data(), blurredRows.data() + std::size_t(s - ys.begin) * w, w,
                        k[std::size_t(s - y + reach)]);
        }
        std::uint8_t* out = row(y) + outX.begin;
        for (std::size_t x = 0; x < w; ++x) out[x] = rounded(acc[x]);
    }
}

}  // namespace ui::detail
