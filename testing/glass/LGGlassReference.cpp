#include "testing/glass/LGGlassReference.h"

#include <algorithm>
#include <cmath>

namespace LGGlassReference {

namespace {

// How far the GPU's rounding can move the values the branches test.
constexpr float kCoordinateTolerance = 1e-3f;  // pixel coordinates from interpolated localUV
constexpr float kAlphaTolerance = 0.01f;       // filtered mask alpha (fixed-point filter weights)
constexpr float kDiscardTolerance = 0.004f;    // about one 8-bit step around the 0.01 discard

float length(LGFloat2 v) {
    return std::sqrt(v.x * v.x + v.y * v.y);
}

LGFloat2 normalize(LGFloat2 v) {
    const float l = length(v);
    return {v.x / l, v.y / l};
}

LGFloat2 clamp01(LGFloat2 v) {
    return {std::clamp(v.x, 0.0f, 1.0f), std::clamp(v.y, 0.0f, 1.0f)};
}

LGFloat2 mix(LGFloat2 a, LGFloat2 b, float t) {
    return {a.x + (b.x - a.x) * t, a.y + (b.y - a.y) * t};
}

float mix(float a, float b, float t) {
    return a + (b - a) * t;
}

float roundHalfAwayFromZero(float x) {
    const float sign = x > 0.0f ? 1.0f : (x < 0.0f ? -1.0f : 0.0f);
    return sign * std::floor(std::fabs(x) + 0.5f);
}

float maskAlphaAt(const Image& mask, LGFloat2 uv) {
    const LGFloat2 c = clamp01(uv);
    return sampleLinear(mask, c.x, c.y)[3];
}

const LGFloat2 kProbeDirections[8] = {
    {1.0f, 0.0f},
    {-1.0f, 0.0f},
    {0.0f, 1.0f},
    {0.0f, -1.0f},
    normalize({1.0f, 1.0f}),
    normalize({-1.0f, 1.0f}),
    normalize({1.0f, -1.0f}),
    normalize({-1.0f, -1.0f}),
};

}  // namespace

void Margins::note(float value, float threshold, float tolerance) {
    if (std::fabs(value - threshold) < tolerance) near_ = true;
}

RGBA sampleLinear(const Image& image, float u, float v) {
    const float x = u * static_cast<float>(image.width) - 0.5f;
    const float y = v * static_cast<float>(image.height) - 0.5f;
    const float x0 = std::floor(x);
    const float y0 = std::floor(y);
    const float fx = x - x0;
    const float fy = y - y0;
    auto index = [](float i, std::size_t size) {
        return static_cast<std::size_t>(std::clamp(i, 0.0f, static_cast<float>(size - 1)));
    };
    const std::size_t xs[2] = {index(x0, image.width), index(x0 + 1.0f, image.width)};
    const std::size_t ys[2] = {index(y0, image.height), index(y0 + 1.0f, image.height)};
    const float wx[2] = {1.0f - fx, fx};
    const float wy[2] = {1.0f - fy, fy};
    RGBA out{};
    for (int j = 0; j < 2; ++j) {
        for (int i = 0; i < 2; ++i) {
            const std::uint8_t* p = image.bgra + ys[j] * image.bytesPerRow + xs[i] * 4;
            const float w = wx[i] * wy[j];
            out[0] += w * static_cast<float>(p[2]) / 255.0f;
            out[1] += w * static_cast<float>(p[1]) / 255.0f;
            out[2] += w * static_cast<float>(p[0]) / 255.0f;
            out[3] += w * static_cast<float>(p[3]) / 255.0f;
        }
    }
    return out;
}

MaskEdgeInfo estimateMaskEdgeDistance(const Image& mask, LGFloat2 uv, Margins& margins) {
    MaskEdgeInfo info;
    const LGFloat2 size{static_cast<float>(mask.width), static_cast<float>(mask.height)};
    const LGFloat2 texel{1.0f / size.x, 1.0f / size.y};
    info.alpha = maskAlphaAt(mask, uv);

    const LGFloat2 g{
        maskAlphaAt(mask, {uv.x + texel.x, uv.y}) - maskAlphaAt(mask, {uv.x - texel.x, uv.y}),
        maskAlphaAt(mask, {uv.x, uv.y + texel.y}) - maskAlphaAt(mask, {uv.x, uv.y - texel.y})};
    const float gl = length(g);
    margins.note(gl, 0.0001f, 0.0001f);
    info.dir = gl > 0.0001f ? LGFloat2{-g.x / gl, -g.y / gl} : LGFloat2{0.0f, -1.0f};

    info.distance = 1e6f;
    margins.note(info.alpha, 0.01f, kDiscardTolerance);
    if (info.alpha < 0.01f) return info;

    for (const LGFloat2& direction : kProbeDirections) {
        for (int probe = 1; probe <= 10; ++probe) {
            const LGFloat2 offset{static_cast<float>(probe) * texel.x * direction.x,
                                  static_cast<float>(probe) * texel.y * direction.y};
            const float a = maskAlphaAt(mask, {uv.x + offset.x, uv.y + offset.y});
            margins.note(a, 0.5f, kAlphaTolerance);
            if (a < 0.5f) {
                info.distance =
                    std::min(info.distance, length({offset.x * size.x, offset.y * size.y}));
                break;
            }
        }
    }
    return info;
}

Fragment shade(const Uniforms& u, LGFloat2 localUV, const Image& wallpaper, const Image& mask) {
    Fragment f;
    Margins margins;

    // Step 1: inputs.
    const LGFloat2 px{localUV.x * u.resolution.x, localUV.y * u.resolution.y};
    const float W = u.resolution.x;
    const float H = u.resolution.y;
    const float R = u.radius;
    const float bezel = u.bezelWidth;
    const float eta = 1.0f / u.refractiveIndex;
    const bool useMask = u.hasShapeMask > 0.5f;

    // Steps 2-3: region, left before right and top before bottom.
    margins.note(px.x, R, kCoordinateTolerance);
    margins.note(px.x, W - R, kCoordinateTolerance);
    margins.note(px.y, R, kCoordinateTolerance);
    margins.note(px.y, H - R, kCoordinateTolerance);
    const bool inLeft = px.x < R;
    const bool inRight = px.x > W - R;
    const bool inTop = px.y < R;
    const bool inBottom = px.y > H - R;
    const bool inCorner = (inLeft || inRight) && (inTop || inBottom);
    const float cx = inLeft ? px.x - R : (inRight ? px.x - (W - R) : 0.0f);
    const float cy = inTop ? px.y - R : (inBottom ? px.y - (H - R) : 0.0f);
    const float d = length({cx, cy});

    // Step 4.
    if (inCorner) margins.note(d, R + 1.0f, kCoordinateTolerance);
    if (inCorner && d > R + 1.0f) {
        f.discarded = true;
        f.nearThreshold = margins.near();
        return f;
    }

    // Step 5: distance to the outline and outward direction, with the tie rules.
    float distFromSide;
    LGFloat2 dir;
    if (inCorner) {
        distFromSide = std::max(0.0f, R - d);
        dir = d > 0.001f ? normalize({cx, cy}) : LGFloat2{0.0f, 0.0f};
    } else {
        const float dL = px.x;
        const float dR = W - px.x;
        const float dT = px.y;
        const float dB = H - px.y;
        const float dMin = std::min(std::min(dL, dR), std::min(dT, dB));
        distFromSide = dMin;
        dir.x = (dL < dR && dL == dMin) ? -1.0f : ((dR <= dL && dR == dMin) ? 1.0f : 0.0f);
        dir.y = (dT < dB && dT == dMin) ? -1.0f : ((dB <= dT && dB == dMin) ? 1.0f : 0.0f);
        // A near tie between sides flips the direction on the GPU's rounding.
        int close = 0;
        for (float side : {dL, dR, dT, dB}) close += side - dMin < kCoordinateTolerance ? 1 : 0;
        if (close > 1) margins.flag();
    }

    // Steps 6-7.
    float edgeOpacity = inCorner ? std::clamp(1.0f - std::max(0.0f, d - R), 0.0f, 1.0f) : 1.0f;
    float bezelRatio = std::clamp(distFromSide / bezel, 0.0f, 1.0f);
    float edgeBand = 1.0f;

    // Step 8: the mask's geometry.
    if (useMask) {
        const MaskEdgeInfo info = estimateMaskEdgeDistance(mask, localUV, margins);
        dir = info.dir;
        if (info.alpha < 0.01f) {
            f.discarded = true;
            f.nearThreshold = margins.near();
            return f;
        }
        const float edgeRadius = std::max(1.0f, bezel * 0.35f);
        edgeBand = std::clamp(1.0f - info.distance / edgeRadius, 0.0f, 1.0f);
        edgeOpacity = info.alpha;
        bezelRatio = std::clamp(info.distance / edgeRadius, 0.0f, 1.0f);
        distFromSide = bezel * bezelRatio;
        f.maskDistance = info.distance;
    }

    // Step 9: displacement.
    const bool apply = useMask ? (edgeBand > 0.001f) : (distFromSide < bezel);
    const float normDisp =
        apply ? displacementAtRatio(bezelRatio, u.glassThickness, bezel, eta) : 0.0f;
    const float strength = useMask ? edgeBand : edgeOpacity;
    const float scale = normDisp * bezel * u.refractionScale * strength;
    const LGFloat2 dispPx{-dir.x * scale, -dir.y * scale};

    // Step 10.
    const LGFloat2 screenPx{u.cardOrigin.x + px.x + dispPx.x, u.cardOrigin.y + px.y + dispPx.y};
    LGFloat2 uv{(screenPx.x - u.wallpaperOrigin.x) / u.wallpaperResolution.x,
                (screenPx.y - u.wallpaperOrigin.y) / u.wallpaperResolution.y};

    // Step 11: orientation.
    const float o = roundHalfAwayFromZero(u.samplingOrientation);
    if (o == 2.0f) {
        uv = {1.0f - uv.x, 1.0f - uv.y};
    } else if (o == 3.0f) {
        uv = {1.0f - uv.y, uv.x};
    } else if (o == 4.0f) {
        uv = {uv.y, 1.0f - uv.x};
    }
    uv = clamp01(uv);

    // Step 12.
    RGBA base = sampleLinear(wallpaper, uv.x, uv.y);

    // Step 13: dispersion.
    const LGFloat2 prism{dispPx.x / std::max(u.wallpaperResolution.x, 1.0f),
                         dispPx.y / std::max(u.wallpaperResolution.y, 1.0f)};
    const float amount = std::clamp(length(prism) * 24.0f, 0.0f, 0.012f);
    const LGFloat2 redUV = clamp01({uv.x - prism.x * 0.55f, uv.y - prism.y * 0.55f});
    const LGFloat2 blueUV = clamp01({uv.x + prism.x * 0.55f, uv.y + prism.y * 0.55f});
    const float t = amount * 80.0f;
    const LGFloat2 redAt = mix(uv, redUV, t);
    const LGFloat2 blueAt = mix(uv, blueUV, t);
    const float dispersed[3] = {sampleLinear(wallpaper, redAt.x, redAt.y)[0], base[1],
                                sampleLinear(wallpaper, blueAt.x, blueAt.y)[2]};
    for (int c = 0; c < 3; ++c) base[c] = mix(base[c], dispersed[c], amount * 0.65f);

    // Step 14: specular lobes.
    const LGFloat2 light{std::cos(u.specularAngle), -std::sin(u.specularAngle)};
    const float sd = dir.x * light.x + dir.y * light.y;
    const float strokeMask =
        useMask ? edgeBand : std::clamp(1.0f - distFromSide / 2.0f, 0.0f, 1.0f);
    const float primary = smoothstep(0.66f, 0.86f, sd);
    const float secondary = smoothstep(0.66f, 0.86f, -sd);
    const float cornerLobe = smoothstep(0.46f, 0.90f, std::fabs(sd));
    const float lobe =
        useMask ? std::max(primary, secondary) : (inCorner ? cornerLobe : primary + secondary);

    // Steps 15-17.
    const float fresnel = std::pow(std::clamp(1.0f - bezelRatio, 0.0f, 1.0f), 2.2f) *
                          (useMask ? edgeBand : edgeOpacity);
    const float specular =
        lobe * strokeMask * u.specularOpacity * (useMask ? 1.15f : 2.15f) * edgeOpacity;
    const float highlight = specular + fresnel * (useMask ? 0.28f : 0.34f);

    // Step 18: LCh highlight.
    LCh lch = rgbToLch({std::clamp(base[0], 0.0f, 1.0f), std::clamp(base[1], 0.0f, 1.0f),
                        std::clamp(base[2], 0.0f, 1.0f)});
    lch[0] = std::clamp(lch[0] + highlight * (useMask ? 18.0f : 36.0f), 0.0f, 100.0f);
    lch[1] = std::max(0.0f, lch[1] - highlight * (useMask ? 4.0f : 9.0f));
    const RGB shaped = lchToRgb(lch);
    const float weight = std::clamp(highlight * (useMask ? 0.48f : 0.70f), 0.0f, 1.0f);
    for (int c = 0; c < 3; ++c) base[c] = mix(base[c], shaped[c], weight);

    // Step 19.
    f.color = {base[0], base[1], base[2], edgeOpacity};
    f.nearThreshold = margins.near();
    f.distFromSide = distFromSide;
    f.edgeBand = edgeBand;
    f.edgeOpacity = edgeOpacity;
    f.normDisp = normDisp;
    f.dispPx = dispPx;
    f.uv = uv;
    f.dispersionAmount = amount;
    f.redUV = redUV;
    f.blueUV = blueUV;
    f.highlight = highlight;
    return f;
}

}  // namespace LGGlassReference
