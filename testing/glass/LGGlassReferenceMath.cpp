#include "testing/glass/LGGlassReferenceMath.h"

#include <algorithm>
#include <cmath>

namespace LGGlassReference {

namespace {

constexpr float kWhite[3] = {0.95047f, 1.0f, 1.08883f};
constexpr float kLabEpsilon = 0.00885645167f;
constexpr float kLabKappa = 7.787037f;

float labF(float t) {
    return t > kLabEpsilon ? std::pow(t, 1.0f / 3.0f) : kLabKappa * t + 16.0f / 116.0f;
}

float labFInverse(float t) {
    const float t3 = t * t * t;
    return t3 > kLabEpsilon ? t3 : (t - 16.0f / 116.0f) / kLabKappa;
}

float dot3(float a0, float a1, float a2, float b0, float b1, float b2) {
    return a0 * b0 + a1 * b1 + a2 * b2;
}

}  // namespace

float smoothstep(float edge0, float edge1, float x) {
    const float t = std::clamp((x - edge0) / (edge1 - edge0), 0.0f, 1.0f);
    return t * t * (3.0f - 2.0f * t);
}

float surfaceConvexSquircle(float x) {
    return std::pow(1.0f - std::pow(1.0f - x, 4.0f), 0.25f);
}

LGFloat2 refractRay(LGFloat2 n, float eta) {
    const float cosI = -n.y;
    const float k = 1.0f - eta * eta * (1.0f - cosI * cosI);
    if (k < 0.0f) return {0.0f, 0.0f};
    const float s = eta * cosI + std::sqrt(k);
    return {-s * n.x, eta - s * n.y};
}

float rawRefraction(float ratio, float thickness, float bezel, float eta) {
    const float x = std::clamp(ratio, 0.05f, 0.95f);
    const float y = surfaceConvexSquircle(x);
    const float y2 = surfaceConvexSquircle(x + 0.001f);
    const float slope = (y2 - y) / 0.001f;
    const float m = std::sqrt(slope * slope + 1.0f);
    const LGFloat2 n{-slope / m, -1.0f / m};
    const LGFloat2 r = refractRay(n, eta);
    if (std::sqrt(r.x * r.x + r.y * r.y) < 0.0001f || std::fabs(r.y) < 0.0001f) return 0.0f;
    const float remaining = y * bezel + thickness;
    return r.x * remaining / r.y;
}

float displacementAtRatio(float ratio, float thickness, float bezel, float eta) {
    const float peak = rawRefraction(0.05f, thickness, bezel, eta);
    if (std::fabs(peak) < 0.0001f) return 0.0f;
    const float norm = rawRefraction(ratio, thickness, bezel, eta) / peak;
    const float falloff = 1.0f - smoothstep(0.0f, 1.0f, ratio);
    return norm * falloff;
}

float srgbToLinear(float c) {
    return c > 0.04045f ? std::pow((c + 0.055f) / 1.055f, 2.4f) : c / 12.92f;
}

float linearToSrgb(float c) {
    return c <= 0.0031308f ? 12.92f * c : 1.055f * std::pow(c, 1.0f / 2.4f) - 0.055f;
}

LCh rgbToLch(RGB rgb) {
    const float r = srgbToLinear(rgb[0]);
    const float g = srgbToLinear(rgb[1]);
    const float b = srgbToLinear(rgb[2]);
    const float x = dot3(0.4124f, 0.3576f, 0.1805f, r, g, b);
    const float y = dot3(0.2126f, 0.7152f, 0.0722f, r, g, b);
    const float z = dot3(0.0193f, 0.1192f, 0.9505f, r, g, b);
    const float fx = labF(x / kWhite[0]);
    const float fy = labF(y / kWhite[1]);
    const float fz = labF(z / kWhite[2]);
    const float L = 116.0f * fy - 16.0f;
    const float A = 500.0f * (fx - fy);
    const float B = 200.0f * (fy - fz);
    const float C = std::sqrt(A * A + B * B);
    const float h = C > 0.0f ? std::atan2(B, A) : 0.0f;
    return {L, C, h};
}

RGB lchToRgb(LCh lch) {
    const float A = std::cos(lch[2]) * lch[1];
    const float B = std::sin(lch[2]) * lch[1];
    const float fy = (lch[0] + 16.0f) / 116.0f;
    const float fx = A / 500.0f + fy;
    const float fz = fy - B / 200.0f;
    const float x = labFInverse(fx) * kWhite[0];
    const float y = labFInverse(fy) * kWhite[1];
    const float z = labFInverse(fz) * kWhite[2];
    const float r = dot3(3.2406f, -1.5372f, -0.4986f, x, y, z);
    const float g = dot3(-0.9689f, 1.8758f, 0.0415f, x, y, z);
    const float b = dot3(0.0557f, -0.2040f, 1.0570f, x, y, z);
    return {std::clamp(linearToSrgb(r), 0.0f, 1.0f), std::clamp(linearToSrgb(g), 0.0f, 1.0f),
            std::clamp(linearToSrgb(b), 0.0f, 1.0f)};
}

}  // namespace LGGlassReference
