// The glass: vertex stages that cover the drawable, fragment stages that decide whether a pixel
// is glass, bend the wallpaper behind it through a rounded bezel, disperse it slightly and light
// the rim.
//
// The whole drawable can be drawn in one draw (vertexShader with fragmentShader, six vertices).
// The glass view draws it in parts that give the same bytes for less work: bandVertexShader
// places the parts that need the full computation (the corners of rectangle glass, the tiles of
// mask glass that hold an edge), sideVertexShader the bezel along the four straight sides of
// rectangle glass, where the outline is one side and the glass is opaque, and plainVertexShader
// the rest, where the glass shows the wallpaper unbent and unlit. Every pixel falls in exactly
// one part. GPUs that run both sides of a branch for a group of pixels, as software rasterisers
// do, only save work that way.
//
// Everything is 32-bit float. px are drawable pixels from the glass's top-left corner.

precision highp float;
precision highp int;

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

// Where the edge field lies in the drawable (glass/LGMaskEdgeField.h): it covers only the pixels
// that the mask's drawn texels reach, and every pixel outside it has no edge.
layout(std140) uniform EdgeFieldPlacement {
    ivec2 drawableSize;
    ivec2 origin;
} edgePlacement;

uniform sampler2D blurredTex;        // the blurred wallpaper
uniform sampler2D maskTex;           // the shape mask; only alpha is read
uniform highp sampler2D edgeField;   // the mask's edges, one texel per pixel where it lies
uniform highp sampler2D edgeTiles;   // what each tile of the drawable needs, for mask glass
// Every fragment entry binds all four and both blocks, even those that read fewer: the vertex
// stages read the edge textures and the placement through the bindings of the fragment entry.

// Drawable pixels per side of an edge tile (glass/LGMaskEdgeField.h).
const int kEdgeTileSize = 16;

const vec2 kQuadUV[6] = vec2[6](vec2(0.0, 1.0), vec2(1.0, 1.0), vec2(0.0, 0.0), vec2(0.0, 0.0),
                                vec2(1.0, 1.0), vec2(1.0, 0.0));

// ---- Bezel profile -------------------------------------------------------------------------

// Height of the convex bezel at x, the normalised distance from the outer edge (0) to the
// inner end of the bezel (1): (1 - (1 - x)^4)^(1/4). The powers are two squarings and two square
// roots, which are exact to the last bit where a GPU's pow is an approximation; the bezel's slope
// is taken from two heights a thousandth apart, so their last bits matter.
float surfaceConvexSquircle(float x) {
    float t = 1.0 - x;
    float t2 = t * t;
    return sqrt(sqrt(1.0 - t2 * t2));
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

// The refraction at the bezel's outer end, which the displacement is normalised by. It depends
// on the uniforms alone, so the vertex stages compute it once per vertex and pass it on flat,
// instead of every pixel of the bezel computing it again.
float bezelPeak() {
    return rawRefraction(0.05, u.glassThickness, u.bezelWidth, 1.0 / u.refractiveIndex);
}

// Unitless displacement: 1 near the outer edge, fading to 0 at the inner end of the bezel.
// When the outer edge reflects totally (peak 0) nothing is displaced anywhere.
float displacementAtRatio(float ratio, float thickness, float bezel, float eta, float peak) {
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

vec3 rgbToLab(vec3 rgb) {
    vec3 lin = vec3(srgbToLinear(rgb.r), srgbToLinear(rgb.g), srgbToLinear(rgb.b));
    vec3 xyz = vec3(dot(vec3(0.4124, 0.3576, 0.1805), lin),
                    dot(vec3(0.2126, 0.7152, 0.0722), lin),
                    dot(vec3(0.0193, 0.1192, 0.9505), lin));
    float fx = labF(xyz.x / kWhite.x);
    float fy = labF(xyz.y / kWhite.y);
    float fz = labF(xyz.z / kWhite.z);
    return vec3(116.0 * fy - 16.0, 500.0 * (fx - fy), 200.0 * (fy - fz));
}

// Back to sRGB, clamped to 0..1.
vec3 labToRgb(vec3 lab) {
    float fy = (lab.x + 16.0) / 116.0;
    float fx = lab.y / 500.0 + fy;
    float fz = fy - lab.z / 200.0;
    vec3 xyz = vec3(labFInverse(fx), labFInverse(fy), labFInverse(fz)) * kWhite;
    vec3 lin = vec3(dot(vec3(3.2406, -1.5372, -0.4986), xyz),
                    dot(vec3(-0.9689, 1.8758, 0.0415), xyz),
                    dot(vec3(0.0557, -0.2040, 1.0570), xyz));
    vec3 rgb = vec3(linearToSrgb(lin.r), linearToSrgb(lin.g), linearToSrgb(lin.b));
    return clamp(rgb, 0.0, 1.0);
}

// The colour with its LCh lightness raised by `lift` (clamped to 0..100) and its chroma cut by
// `cut` (not below 0), hue unchanged. Keeping the hue while changing the chroma scales a and b
// alike, so the round trip through LCh's polar form is done in Lab, without atan, cos and sin.
vec3 liftInLch(vec3 rgb, float lift, float cut) {
    vec3 lab = rgbToLab(rgb);
    float C = length(lab.yz);
    float shapedC = max(0.0, C - cut);
    lab.x = clamp(lab.x + lift, 0.0, 100.0);
    lab.yz *= C > 0.0 ? shapedC / C : 0.0;
    return labToRgb(lab);
}

// ---- Mask edge field ------------------------------------------------------------------------

// The edge search over the mask (eight directions, up to ten texels each, the first probe below
// half coverage ending a direction) is done once per mask upload, for every drawable pixel, into
// the edge field texture (glass/LGMaskEdgeField.h). One texel per pixel: red, green and blue hold
// the outward direction as two 12-bit numbers, alpha the distance in whole mask texels, 0 when no
// probe left the shape.
struct MaskEdgeInfo {
    float distance;  // mask texels to the nearest edge; 1e6 when none was found
    vec2 dir;        // unit direction out of the shape
};

MaskEdgeInfo maskEdgeAt(vec2 uv) {
    ivec2 size = edgePlacement.drawableSize;
    ivec2 at = clamp(ivec2(uv * vec2(size)), ivec2(0), size - 1) - edgePlacement.origin;
    // Outside the field, what a field of the whole drawable would hold there: no edge.
    ivec2 fieldSize = textureSize(edgeField, 0);
    bool inField = all(greaterThanEqual(at, ivec2(0))) && all(lessThan(at, fieldSize));
    ivec2 texel = clamp(at, ivec2(0), fieldSize - 1);
    uvec4 q = inField ? uvec4(texelFetch(edgeField, texel, 0) * 255.0 + 0.5) : uvec4(0u);
    ivec2 d12 = ivec2((q.r << 4u) | (q.g >> 4u), ((q.g & 15u) << 8u) | q.b);
    MaskEdgeInfo info;
    info.dir = vec2(d12 - 2048) / 2047.0;
    info.distance = q.a == 0u ? 1e6 : float(q.a);
    return info;
}

// Nearest integer, halves away from zero, computed in float so that any value is safe.
float roundHalfAwayFromZero(float x) {
    return sign(x) * floor(abs(x) + 0.5);
}

// ---- Shared by the fragment stages -----------------------------------------------------------

// Steps 2-3 of the fragment: whether px lies in a corner square of the rounded rectangle, and
// its offset from that corner's centre (0 along an axis where it is not in the corner's span).
// Left is tested before right and top before bottom, which decides a glass narrower than 2R.
bool cornerRegion(vec2 px, out vec2 offset) {
    float W = u.resolution.x;
    float H = u.resolution.y;
    float R = u.radius;
    bool inLeft = px.x < R;
    bool inRight = px.x > W - R;
    bool inTop = px.y < R;
    bool inBottom = px.y > H - R;
    offset.x = inLeft ? px.x - R : (inRight ? px.x - (W - R) : 0.0);
    offset.y = inTop ? px.y - R : (inBottom ? px.y - (H - R) : 0.0);
    return (inLeft || inRight) && (inTop || inBottom);
}

// Steps 2-4 of the fragment: whether px lies beyond a rounded corner by more than a pixel.
bool beyondCorner(vec2 px) {
    vec2 offset;
    bool inCorner = cornerRegion(px, offset);
    return inCorner && length(offset) > u.radius + 1.0;
}

// Steps 10-11 before the clamp: the wallpaper coordinate of screen pixel screenPx, oriented. It
// is affine in screenPx, so a vertex stage may compute it for the fragments to interpolate.
vec2 orientedWallpaperUV(vec2 screenPx) {
    vec2 uv = (screenPx - u.wallpaperOrigin) / u.wallpaperResolution;
    // Every orientation code other than 2, 3 and 4 leaves uv as it is.
    float o = roundHalfAwayFromZero(u.samplingOrientation);
    if (o == 2.0) {
        uv = vec2(1.0 - uv.x, 1.0 - uv.y);
    } else if (o == 3.0) {
        uv = vec2(1.0 - uv.y, uv.x);
    } else if (o == 4.0) {
        uv = vec2(uv.y, 1.0 - uv.x);
    }
    return uv;
}

// Steps 10-11: the wallpaper coordinate behind px moved by dispPx, oriented and clamped.
vec2 wallpaperUV(vec2 px, vec2 dispPx) {
    return clamp(orientedWallpaperUV(u.cardOrigin + px + dispPx), 0.0, 1.0);
}

// ---- The glass at one pixel ------------------------------------------------------------------

// The strongest highlight of rectangle glass that is not applied. At 0.02 the LCh lift moves no
// channel of any colour by more than a third of a level, so leaving it out changes a byte by at
// most one, and only where the exact value lies next to a rounding boundary; the inner part of
// the bezel, where the highlight is that faint, then needs no LCh round trip at all.
const float kFaintHighlight = 0.02;

// Steps 9-19: the colour of the glass at px once its outline is known: the outward direction,
// the distance to the outline (bezel pixels for rectangle glass), the bezel ratio, the opacity at
// the edge, and for mask glass the edge band. Each caller passes useMask, and what else it knows,
// as constants, so that the compiler drops the work they decide: a GPU that runs both sides of a
// branch would do it all otherwise. Work that cannot change a pixel is left out: the dispersion
// reads only run where there is a displacement, and the LCh lift only where the highlight has a
// weight and, for rectangle glass, is stronger than kFaintHighlight. `faint` says that the caller
// knows it is not.
vec4 shadeAtOutline(vec2 px, vec2 dir, float distFromSide, float bezelRatio, float edgeOpacity,
                    float edgeBand, bool inCorner, bool useMask, float peak, bool faint) {
    float bezel = u.bezelWidth;
    float eta = 1.0 / u.refractiveIndex;

    // Step 9: displacement; the wallpaper is sampled from further inside near the edge.
    bool apply = useMask ? (edgeBand > 0.001) : (distFromSide < bezel);
    float normDisp =
        apply ? displacementAtRatio(bezelRatio, u.glassThickness, bezel, eta, peak) : 0.0;
    float strength = useMask ? edgeBand : edgeOpacity;
    vec2 dispPx = -dir * normDisp * bezel * u.refractionScale * strength;

    // Steps 10-11: wallpaper coordinates.
    vec2 uv = wallpaperUV(px, dispPx);

    // Step 12.
    vec4 base = texture(blurredTex, uv);

    // Step 13: dispersion, bounded to a mix weight of 0.012 * 0.65. Without a displacement the
    // amount is 0 and both reads would land on uv: the mix would return base as it is.
    vec2 prism = dispPx / max(u.wallpaperResolution, vec2(1.0));
    float amount = clamp(length(prism) * 24.0, 0.0, 0.012);
    if (amount > 0.0) {
        vec2 redUV = clamp(uv - prism * 0.55, 0.0, 1.0);
        vec2 blueUV = clamp(uv + prism * 0.55, 0.0, 1.0);
        float t = amount * 80.0;
        vec3 dispersed = vec3(texture(blurredTex, mix(uv, redUV, t)).r, base.g,
                              texture(blurredTex, mix(uv, blueUV, t)).b);
        base.rgb = mix(base.rgb, dispersed, amount * 0.65);
    }

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

    // Step 18: lift lightness and cut chroma in LCh. With no weight the mix returns base.
    float weight = clamp(highlight * (useMask ? 0.48 : 0.70), 0.0, 1.0);
    if (weight > 0.0 && !faint && (useMask || highlight > kFaintHighlight)) {
        vec3 shaped = liftInLch(clamp(base.rgb, 0.0, 1.0), highlight * (useMask ? 18.0 : 36.0),
                                highlight * (useMask ? 4.0 : 9.0));
        base.rgb = mix(base.rgb, shaped, weight);
    }

    // Step 19: straight alpha; the wallpaper's own alpha is not used.
    return vec4(base.rgb, edgeOpacity);
}

// The colour of the glass at localUV, for a pixel the fragment stage keeps: within a pixel of
// the rounded corners and, with a mask, of mask alpha `maskAlpha` of at least 0.01 (steps 4 and
// 8.2 discard the others, which only a fragment entry can do); `peak` is bezelPeak().
vec4 shadeGlass(vec2 localUV, bool useMask, float maskAlpha, float peak) {
    // Step 1: inputs.
    vec2 px = localUV * u.resolution;
    float W = u.resolution.x;
    float H = u.resolution.y;
    float R = u.radius;
    float bezel = u.bezelWidth;

    // Steps 2-3: region.
    vec2 c;
    bool inCorner = cornerRegion(px, c);
    float cx = c.x;
    float cy = c.y;
    float d = length(c);

    // Step 4 is the caller's.

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
        MaskEdgeInfo info = maskEdgeAt(localUV);
        dir = info.dir;
        float edgeRadius = max(1.0, bezel * 0.35);
        edgeBand = clamp(1.0 - info.distance / edgeRadius, 0.0, 1.0);
        edgeOpacity = maskAlpha;
        bezelRatio = clamp(info.distance / edgeRadius, 0.0, 1.0);
        distFromSide = bezel * bezelRatio;
    }

    return shadeAtOutline(px, dir, distFromSide, bezelRatio, edgeOpacity, edgeBand, inCorner,
                          useMask, peak, false);
}

// The glass at localUV on side rectangle `side` (0 top, 1 bottom, 2 left, 3 right; see
// sideRectangle()). Those pixels lie a pixel clear of the corners, nearer to their own side than
// to any other: shadeGlass would find that side as the outline, an opaque edge and no corner.
// This passes what it would find, computed as it computes it.
vec4 shadeSide(vec2 localUV, int side, float peak, bool faint) {
    vec2 px = localUV * u.resolution;
    float distFromSide = side == 0 ? px.y
                         : side == 1 ? u.resolution.y - px.y
                         : side == 2 ? px.x
                                     : u.resolution.x - px.x;
    vec2 dir = side == 0 ? vec2(0.0, -1.0)
               : side == 1 ? vec2(0.0, 1.0)
               : side == 2 ? vec2(-1.0, 0.0)
                           : vec2(1.0, 0.0);
    float bezelRatio = clamp(distFromSide / u.bezelWidth, 0.0, 1.0);
    return shadeAtOutline(px, dir, distFromSide, bezelRatio, 1.0, 1.0, false, false, peak, faint);
}

// ---- Where the draws go --------------------------------------------------------------------

// Corner `corner` (0..5, two triangles) of the rectangle lo..hi in localUV. A rectangle that is
// not drawn collapses onto one point, and its triangles cover no pixel.
vec2 rectangleCorner(vec2 lo, vec2 hi, int corner, bool drawn) {
    return drawn ? mix(lo, hi, kQuadUV[corner]) : vec2(0.0);
}

vec4 clipPosition(vec2 uv) {
    return vec4(uv.x * 2.0 - 1.0, 1.0 - uv.y * 2.0, 0.0, 1.0);
}

// Rectangle glass is split along two insets (in localUV): pixels at least `side` from every side
// are outside the bezel and the two-pixel rim, and of those, pixels at least `corner` from two
// adjacent sides are outside the corners too. Those pixels are plain. The side inset lies a
// sixteenth of a pixel beyond the bezel, so that a glass whose bezel is a whole number of pixels
// leaves whole rows and columns to the plain draw: a rasteriser shades blocks of pixels, and a row
// split between two draws is shaded by both. The corner inset keeps a pixel to spare. Both are
// negative when the glass has no such interior.
void rectangleInsets(out vec2 side, out vec2 corner) {
    float s = max(u.bezelWidth, 2.0) + 0.0625;
    float c = max(s, u.radius + 1.0);
    side = vec2(s) / u.resolution;
    corner = vec2(c) / u.resolution;
    if (!(u.bezelWidth > 0.0 && corner.x * 2.0 < 1.0 && corner.y * 2.0 < 1.0)) {
        side = vec2(-1.0);
        corner = vec2(-1.0);
    }
}

// Band rectangle i (0..3) of rectangle glass: the four corner squares, `corner` on a side; the
// whole glass as rectangle 0 when there is no interior.
void bandRectangle(int i, out vec2 lo, out vec2 hi, out bool drawn) {
    vec2 side, corner;
    rectangleInsets(side, corner);
    vec2 farCorner = 1.0 - corner;
    drawn = i < 4;
    if (side.x < 0.0) {
        lo = vec2(0.0);
        hi = vec2(1.0);
        drawn = i == 0;
    } else {
        bvec2 far = bvec2((i & 1) != 0, (i & 2) != 0);
        lo = mix(vec2(0.0), farCorner, far);
        hi = mix(corner, vec2(1.0), far);
    }
}

// How far into the bezel of a straight side the highlight is faint (kFaintHighlight): there
// it is the Fresnel term alone, 0.34 (1 - ratio)^2.2, and the two-pixel rim has ended. A
// sixteenth of a pixel to spare covers the rounding of pow.
float faintDepth() {
    float ratio = 1.0 - pow(kFaintHighlight / 0.34, 1.0 / 2.2);
    return max(u.bezelWidth * ratio, 2.0) + 0.0625;
}

// Side rectangle i (0..7) of rectangle glass: the bezel along the top, bottom, left and right
// sides between the corner squares, out to faintDepth() for i 0..3 and beyond it for i 4..7.
// None when there is no interior.
void sideRectangle(int i, out vec2 lo, out vec2 hi, out bool drawn) {
    vec2 side, corner;
    rectangleInsets(side, corner);
    vec2 faint = min(vec2(faintDepth()) / u.resolution, side);
    vec2 from = i < 4 ? vec2(0.0) : faint;
    vec2 to = i < 4 ? faint : side;
    vec2 farCorner = 1.0 - corner;
    drawn = i < 8 && side.x >= 0.0;
    int which = i % 4;
    if (which == 0) {
        lo = vec2(corner.x, from.y);
        hi = vec2(farCorner.x, to.y);
    } else if (which == 1) {
        lo = vec2(corner.x, 1.0 - to.y);
        hi = vec2(farCorner.x, 1.0 - from.y);
    } else if (which == 2) {
        lo = vec2(from.x, corner.y);
        hi = vec2(to.x, farCorner.y);
    } else {
        lo = vec2(1.0 - to.x, corner.y);
        hi = vec2(1.0 - from.x, farCorner.y);
    }
}

// Plain rectangle i (0..2) of rectangle glass: the middle between the corner rows, and the parts
// of the corner rows between the corner squares.
void plainRectangle(int i, out vec2 lo, out vec2 hi, out bool drawn) {
    vec2 side, corner;
    rectangleInsets(side, corner);
    vec2 farSide = 1.0 - side;
    vec2 farCorner = 1.0 - corner;
    drawn = i < 3 && side.x >= 0.0;
    if (i == 0) {
        lo = vec2(side.x, corner.y);
        hi = vec2(farSide.x, farCorner.y);
    } else if (i == 1) {
        lo = vec2(corner.x, side.y);
        hi = vec2(farCorner.x, corner.y);
    } else {
        lo = vec2(corner.x, farCorner.y);
        hi = vec2(farCorner.x, farSide.y);
    }
}

// Tile `tile` of mask glass, and whether it needs the full computation: a tile holding a pixel
// nearer to an edge than the edge band reaches does; one whose every pixel is outside the mask
// is drawn by neither draw.
void maskTile(int tile, out vec2 lo, out vec2 hi, out bool drawn, out bool band) {
    ivec2 tiles = textureSize(edgeTiles, 0);
    ivec2 t = ivec2(tile % tiles.x, tile / tiles.x);
    vec2 pixels = vec2(edgePlacement.drawableSize);
    lo = vec2(t * kEdgeTileSize) / pixels;
    hi = min(vec2((t + 1) * kEdgeTileSize), pixels) / pixels;
    uvec4 q = uvec4(texelFetch(edgeTiles, t, 0) * 255.0 + 0.5);
    float edgeRadius = max(1.0, u.bezelWidth * 0.35);
    drawn = tile < tiles.x * tiles.y && q.a != 0u;
    band = q.r != 0u && float(q.r) < edgeRadius;
}

#pragma stage vertex vertexShader

out vec2 localUV;  // 0..1 across the glass, (0, 0) top-left, v grows downwards
flat out float peak;  // bezelPeak()

const vec2 kQuadPositions[6] = vec2[6](vec2(-1.0, -1.0), vec2(1.0, -1.0), vec2(-1.0, 1.0),
                                       vec2(-1.0, 1.0), vec2(1.0, -1.0), vec2(1.0, 1.0));

void vertexShader() {
    int i = clamp(gl_VertexID, 0, 5);
    gl_Position = vec4(kQuadPositions[i], 0.0, 1.0);
    localUV = kQuadUV[i];
    peak = bezelPeak();
}

#pragma stage vertex bandVertexShader

out vec2 localUV;
flat out float peak;

// Rectangle glass: 24 vertices, the band rectangles. Mask glass: six per edge tile.
void bandVertexShader() {
    vec2 lo, hi;
    bool drawn, band;
    if (u.hasShapeMask > 0.5) {
        maskTile(gl_VertexID / 6, lo, hi, drawn, band);
        drawn = drawn && band;
    } else {
        bandRectangle(gl_VertexID / 6, lo, hi, drawn);
    }
    localUV = rectangleCorner(lo, hi, gl_VertexID % 6, drawn);
    gl_Position = clipPosition(localUV);
    peak = bezelPeak();
}

#pragma stage vertex sideVertexShader

out vec2 localUV;
flat out float peak;
flat out int side;  // 0 top, 1 bottom, 2 left, 3 right

// Rectangle glass only: 48 vertices, the side rectangles; the first 24 for the bezel where the
// highlight shows, the others for its faint part.
void sideVertexShader() {
    vec2 lo, hi;
    bool drawn;
    sideRectangle(gl_VertexID / 6, lo, hi, drawn);
    side = gl_VertexID / 6 % 4;
    localUV = rectangleCorner(lo, hi, gl_VertexID % 6, drawn);
    gl_Position = clipPosition(localUV);
    peak = bezelPeak();
}

#pragma stage vertex plainVertexShader

out vec2 localUV;
flat out float peak;
out vec2 wallUV;  // orientedWallpaperUV() of the pixel, unclamped

// Rectangle glass: 18 vertices, the plain rectangles. Mask glass: six per edge tile.
void plainVertexShader() {
    vec2 lo, hi;
    bool drawn, band;
    if (u.hasShapeMask > 0.5) {
        maskTile(gl_VertexID / 6, lo, hi, drawn, band);
        drawn = drawn && !band;
    } else {
        plainRectangle(gl_VertexID / 6, lo, hi, drawn);
    }
    localUV = rectangleCorner(lo, hi, gl_VertexID % 6, drawn);
    gl_Position = clipPosition(localUV);
    peak = 0.0;  // the plain pixels are not displaced
    wallUV = orientedWallpaperUV(u.cardOrigin + localUV * u.resolution);
}

#pragma stage fragment fragmentShader
#pragma texture 0 blurredTex sampler 0
#pragma texture 1 maskTex sampler 0
#pragma texture 2 edgeField
#pragma texture 3 edgeTiles
#pragma buffer 0 Uniforms
#pragma buffer 1 EdgeFieldPlacement

in vec2 localUV;
flat in float peak;
out vec4 fragColor;

// Either mode, as the uniforms say. Pixels outside the mask are discarded on its alpha before
// anything else; step 8 would discard them later, after the work.
void fragmentShader() {
    bool useMask = u.hasShapeMask > 0.5;
    float maskAlpha = useMask ? texture(maskTex, localUV).a : 1.0;
    if (maskAlpha < 0.01) discard;
    // Step 4: outside a rounded corner by more than a pixel.
    if (beyondCorner(localUV * u.resolution)) discard;
    fragColor = shadeGlass(localUV, useMask, maskAlpha, peak);
}

#pragma stage fragment bandRectangleFragmentShader
#pragma texture 0 blurredTex sampler 0
#pragma texture 1 maskTex sampler 0
#pragma texture 2 edgeField
#pragma texture 3 edgeTiles
#pragma buffer 0 Uniforms
#pragma buffer 1 EdgeFieldPlacement

in vec2 localUV;
flat in float peak;
out vec4 fragColor;

// fragmentShader for rectangle glass, without the mask's reads.
void bandRectangleFragmentShader() {
    if (beyondCorner(localUV * u.resolution)) discard;
    fragColor = shadeGlass(localUV, false, 1.0, peak);
}

#pragma stage fragment sideRectangleFragmentShader
#pragma texture 0 blurredTex sampler 0
#pragma texture 1 maskTex sampler 0
#pragma texture 2 edgeField
#pragma texture 3 edgeTiles
#pragma buffer 0 Uniforms
#pragma buffer 1 EdgeFieldPlacement

in vec2 localUV;
flat in float peak;
flat in int side;
out vec4 fragColor;

// The side rectangles out to faintDepth(). The glass is opaque there: drawn onto the cleared
// drawable without blending, it gives the bytes blending would.
void sideRectangleFragmentShader() {
    fragColor = shadeSide(localUV, side, peak, false);
}

#pragma stage fragment faintSideRectangleFragmentShader
#pragma texture 0 blurredTex sampler 0
#pragma texture 1 maskTex sampler 0
#pragma texture 2 edgeField
#pragma texture 3 edgeTiles
#pragma buffer 0 Uniforms
#pragma buffer 1 EdgeFieldPlacement

in vec2 localUV;
flat in float peak;
flat in int side;
out vec4 fragColor;

// The faint part of the side rectangles, beyond faintDepth(): without the LCh round trip.
void faintSideRectangleFragmentShader() {
    fragColor = shadeSide(localUV, side, peak, true);
}

#pragma stage fragment bandMaskFragmentShader
#pragma texture 0 blurredTex sampler 0
#pragma texture 1 maskTex sampler 0
#pragma texture 2 edgeField
#pragma texture 3 edgeTiles
#pragma buffer 0 Uniforms
#pragma buffer 1 EdgeFieldPlacement

in vec2 localUV;
flat in float peak;
out vec4 fragColor;

// fragmentShader for mask glass, without the rectangle's outline.
void bandMaskFragmentShader() {
    float maskAlpha = texture(maskTex, localUV).a;
    if (maskAlpha < 0.01 || beyondCorner(localUV * u.resolution)) discard;
    fragColor = shadeGlass(localUV, true, maskAlpha, peak);
}

#pragma stage fragment plainFragmentShader
#pragma texture 0 blurredTex sampler 0
#pragma texture 1 maskTex sampler 0
#pragma texture 2 edgeField
#pragma texture 3 edgeTiles
#pragma buffer 0 Uniforms
#pragma buffer 1 EdgeFieldPlacement

in vec2 localUV;
flat in float peak;
in vec2 wallUV;
out vec4 fragColor;

// The pixels plainVertexShader places: neither displaced nor lit, so the glass is the wallpaper
// behind them at the shape's coverage, exactly what fragmentShader computes for them. The
// wallpaper coordinate is interpolated unclamped: the sampler clamps to the edge, and a linear
// read beyond the last texel centre reads that texel, as the clamped coordinate would.
void plainFragmentShader() {
    vec2 px = localUV * u.resolution;
    float alpha = u.hasShapeMask > 0.5 ? texture(maskTex, localUV).a : 1.0;
    if (alpha < 0.01 || beyondCorner(px)) discard;
    fragColor = vec4(texture(blurredTex, wallUV).rgb, alpha);
}

#pragma stage fragment plainRectangleFragmentShader
#pragma texture 0 blurredTex sampler 0
#pragma texture 1 maskTex sampler 0
#pragma texture 2 edgeField
#pragma texture 3 edgeTiles
#pragma buffer 0 Uniforms
#pragma buffer 1 EdgeFieldPlacement

in vec2 localUV;
flat in float peak;
in vec2 wallUV;
out vec4 fragColor;

// The plain rectangles of rectangle glass lie a pixel clear of the rounded corners, so every
// pixel is the wallpaper behind it, opaque: drawn onto the cleared drawable without blending,
// it gives the bytes blending would. As plainFragmentShader, it reads at the interpolated
// coordinate.
void plainRectangleFragmentShader() {
    fragColor = vec4(texture(blurredTex, wallUV).rgb, 1.0);
}
