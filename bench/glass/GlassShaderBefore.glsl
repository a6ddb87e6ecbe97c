// The glass program before the mask edge field, kept for the benchmark's before-and-after figures.
// It draws the same pixels as glass/LGGlassShader.glsl at many times the cost.

// The glass: one vertex stage that covers the drawable with a quad, one fragment stage that
// decides whether a pixel is glass, bends the wallpaper behind it through a rounded bezel,
// disperses it slightly and lights the rim.
//
// Everything is 32-bit float. px are drawable pixels from the glass's top-left corner.

precision highp float;
precision highp int;

#pragma stage vertex vertexShader

out vec2 localUV;  // 0..1 across the glass, (0, 0) top-left, v grows downwards

const vec2 kQuadPositions[6] = vec2[6](vec2(-1.0, -1.0), vec2(1.0, -1.0), vec2(-1.0, 1.0),
                                       vec2(-1.0, 1.0), vec2(1.0, -1.0), vec2(1.0, 1.0));
const vec2 kQuadUV[6] = vec2[6](vec2(0.0, 1.0), vec2(1.0, 1.0), vec2(0.0, 0.0), vec2(0.0, 0.0),
                                vec2(1.0, 1.0), vec2(1.0, 0.0));

void vertexShader() {
    int i = clamp(gl_VertexID, 0, 5);
    gl_Position = vec4(kQuadPositions[i], 0.0, 1.0);
    localUV = kQuadUV[i];
}

#pragma stage fragment fragmentShader
#pragma texture 0 blurredTex sampler 0
#pragma texture 1 maskTex sampler 0
#pragma buffer 0 Uniforms

in vec2 localUV;
out vec4 fragColor;

uniform sampler2D blurredTex;  // the blurred wallpaper
uniform sampler2D maskTex;     // the shape mask; only alpha is read

layout(std140) uniform Uniforms {
    vec2 resolution;
    vec2 screenResolution;
    vec2 cardOrigin;
    vec2 wallpaperResolution;
    float radius;
    float bezelWidth;
    float glassThickness;
    float refractionScale;
    float refractiveIndex;
    float specularOpacity;
    float specularAngle;
    float blur;
    vec2 wallpaperOrigin;
    float samplingOrientation;
    float hasShapeMask;
} u;

// ---- Bezel profile -------------------------------------------------------------------------

// Height of the convex bezel at x, the normalised distance from the outer edge (0) to the
// inner end of the bezel (1).
float surfaceConvexSquircle(float x) {
    return pow(1.0 - pow(1.0 - x, 4.0), 0.25);
}

// Bends a ray through the surface with unit normal n. The eta * cosI term is added to sqrt(k),
// not subtracted: that sign is what gives the bezel its look, so it stays.
vec2 refractRay(vec2 n, float eta) {
    float cosI = -n.y;
    float k = 1.0 - eta * eta * (1.0 - cosI * cosI);
    if (k < 0.0) return vec2(0.0);
    float s = eta * cosI + sqrt(k);
    return vec2(-s * n.x, eta - s * n.y);
}

float rawRefraction(float ratio, float thickness, float bezel, float eta) {
    float x = clamp(ratio, 0.05, 0.95);
    float y = surfaceConvexSquircle(x);
    float y2 = surfaceConvexSquircle(x + 0.001);
    float slope = (y2 - y) / 0.001;
    float m = sqrt(slope * slope + 1.0);
    vec2 n = vec2(-slope / m, -1.0 / m);
    vec2 r = refractRay(n, eta);
    if (length(r) < 0.0001 || abs(r.y) < 0.0001) return 0.0;
    float remaining = y * bezel + thickness;
    return r.x * remaining / r.y;
}

// Unitless displacement: 1 near the outer edge, fading to 0 at the inner end of the bezel.
// When the outer edge reflects totally (peak 0) nothing is displaced anywhere.
float displacementAtRatio(float ratio, float thickness, float bezel, float eta) {
    float peak = rawRefraction(0.05, thickness, bezel, eta);
    if (abs(peak) < 0.0001) return 0.0;
    float norm = rawRefraction(ratio, thickness, bezel, eta) / peak;
    float falloff = 1.0 - smoothstep(0.0, 1.0, ratio);
    return norm * falloff;
}

// ---- Colour: sRGB <-> CIE XYZ (D65) <-> L*a*b* <-> LCh ---------------------------------------

float srgbToLinear(float c) {
    return c > 0.04045 ? pow((c + 0.055) / 1.055, 2.4) : c / 12.92;
}

float linearToSrgb(float c) {
    return c <= 0.0031308 ? 12.92 * c : 1.055 * pow(c, 1.0 / 2.4) - 0.055;
}

const vec3 kWhite = vec3(0.95047, 1.0, 1.08883);
const float kLabEpsilon = 0.00885645167;
const float kLabKappa = 7.787037;

float labF(float t) {
    return t > kLabEpsilon ? pow(t, 1.0 / 3.0) : kLabKappa * t + 16.0 / 116.0;
}

float labFInverse(float t) {
    float t3 = t * t * t;
    return t3 > kLabEpsilon ? t3 : (t - 16.0 / 116.0) / kLabKappa;
}

vec3 rgbToLch(vec3 rgb) {
    vec3 lin = vec3(srgbToLinear(rgb.r), srgbToLinear(rgb.g), srgbToLinear(rgb.b));
    vec3 xyz = vec3(dot(vec3(0.4124, 0.3576, 0.1805), lin),
                    dot(vec3(0.2126, 0.7152, 0.0722), lin),
                    dot(vec3(0.0193, 0.1192, 0.9505), lin));
    float fx = labF(xyz.x / kWhite.x);
    float fy = labF(xyz.y / kWhite.y);
    float fz = labF(xyz.z / kWhite.z);
    float L = 116.0 * fy - 16.0;
    float a = 500.0 * (fx - fy);
    float b = 200.0 * (fy - fz);
    float C = length(vec2(a, b));
    // atan(0, 0) is undefined in GLSL; with no chroma the hue does not matter, so take 0.
    float h = C > 0.0 ? atan(b, a) : 0.0;
    return vec3(L, C, h);
}

vec3 lchToRgb(vec3 lch) {
    float a = cos(lch.z) * lch.y;
    float b = sin(lch.z) * lch.y;
    float fy = (lch.x + 16.0) / 116.0;
    float fx = a / 500.0 + fy;
    float fz = fy - b / 200.0;
    vec3 xyz = vec3(labFInverse(fx), labFInverse(fy), labFInverse(fz)) * kWhite;
    vec3 lin = vec3(dot(vec3(3.2406, -1.5372, -0.4986), xyz),
                    dot(vec3(-0.9689, 1.8758, 0.0415), xyz),
                    dot(vec3(0.0557, -0.2040, 1.0570), xyz));
    vec3 rgb = vec3(linearToSrgb(lin.r), linearToSrgb(lin.g), linearToSrgb(lin.b));
    return clamp(rgb, 0.0, 1.0);
}

// ---- Mask edge estimate --------------------------------------------------------------------

struct MaskEdgeInfo {
    float distance;  // mask texels to the nearest edge; 1e6 when none was found
    vec2 dir;        // unit direction out of the shape
    float alpha;     // mask alpha at the pixel
};

float maskAlphaAt(vec2 uv) {
    return texture(maskTex, clamp(uv, 0.0, 1.0)).a;
}

const vec2 kProbeDirections[8] = vec2[8](vec2(1.0, 0.0), vec2(-1.0, 0.0), vec2(0.0, 1.0),
                                          vec2(0.0, -1.0), normalize(vec2(1.0, 1.0)),
                                          normalize(vec2(-1.0, 1.0)), normalize(vec2(1.0, -1.0)),
                                          normalize(vec2(-1.0, -1.0)));

MaskEdgeInfo estimateMaskEdgeDistance(vec2 uv) {
    MaskEdgeInfo info;
    vec2 size = vec2(textureSize(maskTex, 0));
    vec2 texel = 1.0 / size;
    info.alpha = maskAlphaAt(uv);

    vec2 g = vec2(maskAlphaAt(uv + vec2(texel.x, 0.0)) - maskAlphaAt(uv - vec2(texel.x, 0.0)),
                  maskAlphaAt(uv + vec2(0.0, texel.y)) - maskAlphaAt(uv - vec2(0.0, texel.y)));
    info.dir = length(g) > 0.0001 ? -normalize(g) : vec2(0.0, -1.0);

    info.distance = 1e6;
    if (info.alpha < 0.01) return info;

    // Walk out along eight directions, up to ten texels each; the first texel below half
    // coverage ends that direction.
    for (int d = 0; d < 8; ++d) {
        for (int probe = 1; probe <= 10; ++probe) {
            vec2 offset = float(probe) * texel * kProbeDirections[d];
            if (maskAlphaAt(uv + offset) < 0.5) {
                info.distance = min(info.distance, length(offset * size));
                break;
            }
        }
    }
    return info;
}

// Nearest integer, halves away from zero, computed in float so that any value is safe.
float roundHalfAwayFromZero(float x) {
    return sign(x) * floor(abs(x) + 0.5);
}

// ---- Fragment ------------------------------------------------------------------------------

void fragmentShader() {
    // Step 1: inputs.
    vec2 px = localUV * u.resolution;
    float W = u.resolution.x;
    float H = u.resolution.y;
    float R = u.radius;
    float bezel = u.bezelWidth;
    float eta = 1.0 / u.refractiveIndex;
    bool useMask = u.hasShapeMask > 0.5;

    // Steps 2-3: region. Left is tested before right and top before bottom, which decides a
    // glass narrower than 2R.
    bool inLeft = px.x < R;
    bool inRight = px.x > W - R;
    bool inTop = px.y < R;
    bool inBottom = px.y > H - R;
    bool inCorner = (inLeft || inRight) && (inTop || inBottom);
    float cx = inLeft ? px.x - R : (inRight ? px.x - (W - R) : 0.0);
    float cy = inTop ? px.y - R : (inBottom ? px.y - (H - R) : 0.0);
    float d = length(vec2(cx, cy));

    // Step 4: outside a rounded corner by more than a pixel.
    if (inCorner && d > R + 1.0) discard;

    // Step 5: distance to the outline and outward direction. A left/right tie goes right, a
    // top/bottom tie goes bottom, and a tie between a horizontal and a vertical side gives an
    // unnormalised diagonal.
    float distFromSide;
    vec2 dir;
    if (inCorner) {
        distFromSide = max(0.0, R - d);
        dir = d > 0.001 ? normalize(vec2(cx, cy)) : vec2(0.0);
    } else {
        float dL = px.x;
        float dR = W - px.x;
        float dT = px.y;
        float dB = H - px.y;
        float dMin = min(min(dL, dR), min(dT, dB));
        distFromSide = dMin;
        dir.x = (dL < dR && dL == dMin) ? -1.0 : ((dR <= dL && dR == dMin) ? 1.0 : 0.0);
        dir.y = (dT < dB && dT == dMin) ? -1.0 : ((dB <= dT && dB == dMin) ? 1.0 : 0.0);
    }

    // Steps 6-7: a one-pixel soft edge on the rounded corners.
    float edgeOpacity = inCorner ? clamp(1.0 - max(0.0, d - R), 0.0, 1.0) : 1.0;
    float bezelRatio = clamp(distFromSide / bezel, 0.0, 1.0);
    float edgeBand = 1.0;

    // Step 8: a shape mask replaces the rectangle's geometry.
    if (useMask) {
        MaskEdgeInfo info = estimateMaskEdgeDistance(localUV);
        dir = info.dir;
        if (info.alpha < 0.01) discard;
        float edgeRadius = max(1.0, bezel * 0.35);
        edgeBand = clamp(1.0 - info.distance / edgeRadius, 0.0, 1.0);
        edgeOpacity = info.alpha;
        bezelRatio = clamp(info.distance / edgeRadius, 0.0, 1.0);
        distFromSide = bezel * bezelRatio;
    }

    // Step 9: displacement; the wallpaper is sampled from further inside near the edge.
    bool apply = useMask ? (edgeBand > 0.001) : (distFromSide < bezel);
    float normDisp = apply ? displacementAtRatio(bezelRatio, u.glassThickness, bezel, eta) : 0.0;
    float strength = useMask ? edgeBand : edgeOpacity;
    vec2 dispPx = -dir * normDisp * bezel * u.refractionScale * strength;

    // Step 10: wallpaper coordinates.
    vec2 screenPx = u.cardOrigin + px + dispPx;
    vec2 uv = (screenPx - u.wallpaperOrigin) / u.wallpaperResolution;

    // Step 11: orientation; every code other than 2, 3 and 4 leaves uv as it is.
    float o = roundHalfAwayFromZero(u.samplingOrientation);
    if (o == 2.0) {
        uv = vec2(1.0 - uv.x, 1.0 - uv.y);
    } else if (o == 3.0) {
        uv = vec2(1.0 - uv.y, uv.x);
    } else if (o == 4.0) {
        uv = vec2(uv.y, 1.0 - uv.x);
    }
    uv = clamp(uv, 0.0, 1.0);

    // Step 12.
    vec4 base = texture(blurredTex, uv);

    // Step 13: dispersion, bounded to a mix weight of 0.012 * 0.65.
    vec2 prism = dispPx / max(u.wallpaperResolution, vec2(1.0));
    float amount = clamp(length(prism) * 24.0, 0.0, 0.012);
    vec2 redUV = clamp(uv - prism * 0.55, 0.0, 1.0);
    vec2 blueUV = clamp(uv + prism * 0.55, 0.0, 1.0);
    float t = amount * 80.0;
    vec3 dispersed = vec3(texture(blurredTex, mix(uv, redUV, t)).r, base.g,
                          texture(blurredTex, mix(uv, blueUV, t)).b);
    base.rgb = mix(base.rgb, dispersed, amount * 0.65);

    // Step 14: specular lobes.
    vec2 light = vec2(cos(u.specularAngle), -sin(u.specularAngle));
    float sd = dot(dir, light);
    float strokeMask = useMask ? edgeBand : clamp(1.0 - distFromSide / 2.0, 0.0, 1.0);
    float primary = smoothstep(0.66, 0.86, sd);
    float secondary = smoothstep(0.66, 0.86, -sd);
    float cornerLobe = smoothstep(0.46, 0.90, abs(sd));
    float lobe = useMask ? max(primary, secondary) : (inCorner ? cornerLobe : primary + secondary);

    // Steps 15-17: Fresnel and the highlight.
    float fresnel = pow(clamp(1.0 - bezelRatio, 0.0, 1.0), 2.2) *
                    (useMask ? edgeBand : edgeOpacity);
    float specular = lobe * strokeMask * u.specularOpacity * (useMask ? 1.15 : 2.15) * edgeOpacity;
    float highlight = specular + fresnel * (useMask ? 0.28 : 0.34);

    // Step 18: lift lightness and cut chroma in LCh.
    vec3 lch = rgbToLch(clamp(base.rgb, 0.0, 1.0));
    lch.x = clamp(lch.x + highlight * (useMask ? 18.0 : 36.0), 0.0, 100.0);
    lch.y = max(0.0, lch.y - highlight * (useMask ? 4.0 : 9.0));
    vec3 shaped = lchToRgb(lch);
    base.rgb = mix(base.rgb, shaped, clamp(highlight * (useMask ? 0.48 : 0.70), 0.0, 1.0));

    // Step 19: straight alpha; the wallpaper's own alpha is not used.
    fragColor = vec4(base.rgb, edgeOpacity);
}
