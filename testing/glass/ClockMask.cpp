#include "testing/glass/ClockMask.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace {

struct Segment {
    float x0, y0, x1, y1;
};

// Segments of a digit cell one unit wide and two high: a top, b top-right, c bottom-right,
// d bottom, e bottom-left, f top-left, g middle.
constexpr std::array<Segment, 7> kSegments = {{
    {0.0f, 0.0f, 1.0f, 0.0f},
    {1.0f, 0.0f, 1.0f, 1.0f},
    {1.0f, 1.0f, 1.0f, 2.0f},
    {0.0f, 2.0f, 1.0f, 2.0f},
    {0.0f, 1.0f, 0.0f, 2.0f},
    {0.0f, 0.0f, 0.0f, 1.0f},
    {0.0f, 1.0f, 1.0f, 1.0f},
}};

// Bit i set: segment i lit, for the digits 0-9.
constexpr std::array<unsigned, 10> kDigits = {0x3F, 0x06, 0x5B, 0x4F, 0x66,
                                              0x6D, 0x7D, 0x07, 0x7F, 0x6F};

float distanceToSegment(float px, float py, const Segment& s) {
    const float dx = s.x1 - s.x0, dy = s.y1 - s.y0;
    const float t =
        std::clamp(((px - s.x0) * dx + (py - s.y0) * dy) / (dx * dx + dy * dy), 0.0f, 1.0f);
    const float ex = px - (s.x0 + t * dx), ey = py - (s.y0 + t * dy);
    return std::sqrt(ex * ex + ey * ey);
}

}  // namespace

std::vector<std::uint8_t> makeClockMask(std::size_t width, std::size_t height,
                                        std::string_view text) {
    std::vector<std::uint8_t> pixels(width * height * 4, 0);
    // Layout: glyph cells of 0.55 × height, a colon cell of 0.25 × height, centred.
    const float unit = static_cast<float>(height) * 0.36f;  // one segment length, in pixels
    const float stroke = unit * 0.22f;                      // half the stroke width
    const float digitAdvance = unit * 1.55f;
    const float colonAdvance = unit * 0.7f;
    float total = 0;
    for (char c : text) total += c == ':' ? colonAdvance : digitAdvance;
    float penX = (static_cast<float>(width) - total) / 2.0f + stroke;
    const float top = (static_cast<float>(height) - 2.0f * unit) / 2.0f;

    std::vector<float> coverage(width * height, 0.0f);
    for (char c : text) {
        if (c == ':') {
            for (float dotY : {0.6f, 1.4f}) {
                const float cx = penX + colonAdvance * 0.3f, cy = top + dotY * unit;
                for (std::size_t y = 0; y < height; ++y) {
                    for (std::size_t x = 0; x < width; ++x) {
                        const float d = std::hypot(static_cast<float>(x) + 0.5f - cx,
                                                   static_cast<float>(y) + 0.5f - cy);
                        float& cov = coverage[y * width + x];
                        cov = std::max(cov, std::clamp(stroke * 1.1f - d + 0.5f, 0.0f, 1.0f));
                    }
                }
            }
            penX += colonAdvance;
            continue;
        }
        const unsigned lit = c >= '0' && c <= '9' ? kDigits[static_cast<std::size_t>(c - '0')] : 0;
        for (std::size_t y = 0; y < height; ++y) {
            for (std::size_t x = 0; x < width; ++x) {
                const float u = (static_cast<float>(x) + 0.5f - penX) / unit;
                const float v = (static_cast<float>(y) + 0.5f - top) / unit;
                if (u < -1.0f || u > 2.0f || v < -1.0f || v > 3.0f) continue;
                float best = 1e9f;
                for (std::size_t s = 0; s < kSegments.size(); ++s) {
                    if (lit & (1u << s))
                        best = std::min(best, distanceToSegment(u, v, kSegments[s]));
                }
                float& cov = coverage[y * width + x];
                cov = std::max(cov, std::clamp(stroke - best * unit + 0.5f, 0.0f, 1.0f));
            }
        }
        penX += digitAdvance;
    }
    for (std::size_t i = 0; i < coverage.size(); ++i) {
        const auto a = static_cast<std::uint8_t>(std::lround(coverage[i] * 255.0f));
        pixels[i * 4 + 0] = pixels[i * 4 + 1] = pixels[i * 4 + 2] = pixels[i * 4 + 3] = a;
    }
    return pixels;
}
