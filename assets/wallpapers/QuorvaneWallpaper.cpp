#include "assets/wallpapers/QuorvaneWallpaper.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <vector>

namespace {

struct RGB {
    float r = 0, g = 0, b = 0;
};

constexpr RGB hex(std::uint32_t v) {
    return {float((v >> 16) & 0xFF) / 255.0f, float((v >> 8) & 0xFF) / 255.0f,
            float(v & 0xFF) / 255.0f};
}

RGB mix(RGB a, RGB b, float t) {
    return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}

// Light added on top, never past white.
RGB screen(RGB a, RGB b, float amount) {
    auto s = [amount](float x, float y) { return x + (1 - x) * y * amount; };
    return {s(a.r, b.r), s(a.g, b.g), s(a.b, b.b)};
}

float smooth(float e0, float e1, float x) {
    const float t = std::clamp((x - e0) / (e1 - e0), 0.0f, 1.0f);
    return t * t * (3 - 2 * t);
}

// Coverage of a shape at signed distance d (pixels, negative inside), one pixel of anti-aliasing.
float coverage(float d) {
    return std::clamp(0.5f - d, 0.0f, 1.0f);
}

// The base gradient: indigo at the top through violet, magenta and orange to teal at the bottom,
// its bands gently waved.
constexpr std::array<RGB, 6> kGradient = {hex(0x24125E), hex(0x5A1FB0), hex(0xC22A9B),
                                          hex(0xFF4F6D), hex(0xFF9F43), hex(0x1FB5C9)};

RGB gradientAt(float t) {
    t = std::clamp(t, 0.0f, 1.0f) * float(kGradient.size() - 1);
    const auto i = std::min(static_cast<std::size_t>(t), kGradient.size() - 2);
    return mix(kGradient[i], kGradient[i + 1], smooth(0, 1, t - float(i)));
}

struct Bloom {
    float x, y, radius;  // fractions of the width
    RGB color;
    float strength;
};

constexpr std::array<Bloom, 4> kBlooms = {{
    {0.12f, 0.16f, 0.55f, hex(0x3DF5FF), 0.55f},
    {0.92f, 0.08f, 0.50f, hex(0xFFE66D), 0.45f},
    {0.18f, 0.78f, 0.60f, hex(0x7CFF6B), 0.35f},
    {0.80f, 0.52f, 0.55f, hex(0xFFFFFF), 0.25f},
}};

// The stripes behind the clock: bright, saturated, with hard edges, stepping round the hues.
constexpr std::array<RGB, 7> kStripes = {hex(0xFFE14D), hex(0xFF9E3D), hex(0xFF3D7F), hex(0xB44CFF),
                                         hex(0x4D7CFF), hex(0x2DE2E6), hex(0x7CF56B)};

struct Disc {
    float x, y, r;  // pixels
    RGB color;
};

// Discs scattered by a fixed linear congruential sequence, so every build draws the same ones.
std::vector<Disc> makeDiscs(float w, float h, float unit) {
    constexpr std::array<RGB, 6> colors = {hex(0xFFD23F), hex(0x3BCEAC), hex(0xEE4266),
                                           hex(0x540D6E), hex(0x0EAD69), hex(0x4CC9F0)};
    std::uint32_t state = 0x9E3779B9u;
    auto next = [&state] {
        state = state * 1664525u + 1013904223u;
        return float(state >> 8) / float(1u << 24);
    };
    std::vector<Disc> discs;
    for (int i = 0; i < 22; ++i) {
        const float x = next() * w;
        const float y = h * (0.38f + 0.6f * next());
        const float r = unit * (22 + 70 * next());
        discs.push_back({x, y, r, colors[std::size_t(i) % colors.size()]});
    }
    return discs;
}

std::uint8_t toByte(float v) {
    return static_cast<std::uint8_t>(std::lround(std::clamp(v, 0.0f, 1.0f) * 255.0f));
}

}  // namespace

graphics::ImageRef QVMakeDefaultWallpaper(int pixelWidth, int pixelHeight, double scale) {
    if (pixelWidth <= 0 || pixelHeight <= 0 || !(scale > 0) || !std::isfinite(scale)) {
        return nullptr;
    }
    const float w = float(pixelWidth), h = float(pixelHeight);
    // Feature sizes follow the height, so a phone-sized image has the designed proportions.
    const float unit = h / 2556.0f;
    const std::vector<Disc> discs = makeDiscs(w, h, unit);

    // Pattern constants, in pixels.
    const float stripePeriod = 70 * unit;
    const float gridPeriod = 96 * unit;
    const float gridHalfWidth = 2.0f * unit;
    const float ringPeriod = 64 * unit;
    const float ringCx = 0.5f * w, ringCy = 0.70f * h, ringRadius = 0.46f * w;
    const float bandTop = 0.06f * h, bandBottom = 0.33f * h, bandFeather = 60 * unit;
    // Stripes rise to the right at 30 degrees.
    const float sx = std::cos(0.5236f), sy = std::sin(0.5236f);

    std::vector<std::uint8_t> pixels(std::size_t(pixelWidth) * std::size_t(pixelHeight) * 4);
    for (int yi = 0; yi < pixelHeight; ++yi) {
        for (int xi = 0; xi < pixelWidth; ++xi) {
            const float x = float(xi) + 0.5f, y = float(yi) + 0.5f;
            const float u = x / w, v = y / h;

            // Pass 1: the waved gradient and the blooms.
            const float t = v * 0.9f + 0.07f * std::sin(u * 5.2f + v * 3.0f) + 0.05f * u;
            RGB c = gradientAt(t);
            for (const Bloom& b : kBlooms) {
                const float dx = u - b.x, dy = (y - b.y * w) / w;
                const float fall = std::exp(-(dx * dx + dy * dy) / (b.radius * b.radius * 0.25f));
                c = screen(c, b.color, b.strength * fall);
            }

            // Pass 2: the stripe band behind the clock.
            const float band = smooth(bandTop - bandFeather, bandTop + bandFeather, y) *
                               (1 - smooth(bandBottom - bandFeather, bandBottom + bandFeather, y));
            if (band > 0) {
                const float along = (x * sy - y * sx) / stripePeriod + 1000.0f;
                const float cell = std::floor(along);
                const float frac = along - cell;
                // Each period: a coloured stripe over 65% of it, the gradient darkened in the gap.
                const float edge = std::min(frac, 0.65f - frac) * stripePeriod;
                const float inStripe = coverage(-edge);
                const RGB stripe = kStripes[std::size_t(cell) % kStripes.size()];
                const RGB gap = mix(c, hex(0x14082E), 0.6f);
                c = mix(c, mix(gap, stripe, inStripe), 0.92f * band);
            }

            // Pass 3: concentric rings low on the screen.
            const float rd = std::hypot(x - ringCx, y - ringCy);
            if (rd < ringRadius + 4 * unit) {
                const float fade = 1 - smooth(ringRadius * 0.85f, ringRadius, rd);
                const float phase = std::fmod(rd, ringPeriod);
                const float lightEdge = std::min(phase, ringPeriod * 0.5f - phase);
                const float light = coverage(-lightEdge);
                c = mix(c, light > 0.5f ? hex(0xFFF4E0) : hex(0x3A0A5E),
                        fade * (light > 0.5f ? 0.28f * light : 0.16f * (1 - light)));
            }

            // Pass 4: discs with a light outline.
            for (const Disc& d : discs) {
                const float dd = std::hypot(x - d.x, y - d.y) - d.r;
                if (dd > 3 * unit + 1) continue;
                c = mix(c, d.color, 0.88f * coverage(dd));
                const float ring = std::abs(dd) - 1.5f * unit;
                c = mix(c, hex(0xFFFFFF), 0.7f * coverage(ring));
            }

            // Pass 5: the fine grid over everything.
            const float gx = std::abs(std::fmod(x, gridPeriod) - gridPeriod * 0.5f);
            const float gy = std::abs(std::fmod(y, gridPeriod) - gridPeriod * 0.5f);
            const float line = std::max(coverage(gridPeriod * 0.5f - gx - gridHalfWidth),
                                        coverage(gridPeriod * 0.5f - gy - gridHalfWidth));
            c = mix(c, hex(0xFFFFFF), 0.32f * line);

            std::uint8_t* p =
                &pixels[(std::size_t(yi) * std::size_t(pixelWidth) + std::size_t(xi)) * 4];
            p[0] = toByte(c.b);
            p[1] = toByte(c.g);
            p[2] = toByte(c.r);
            p[3] = 255;
        }
    }
    return graphics::Image::adoptPixels(std::move(pixels), pixelWidth, pixelHeight, scale,
                                        graphics::ImageOrientation::Up, true);
}
