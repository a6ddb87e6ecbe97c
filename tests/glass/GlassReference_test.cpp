// The reference is the yardstick for the GPU's pixels, so its own formulas are pinned here
// against values worked out by hand.
#include <gtest/gtest.h>

#include <cmath>

#include "testing/glass/LGGlassReference.h"

namespace {

using namespace LGGlassReference;

TEST(GlassReference, RefractRayAddsTheEtaCosTermAndReflectsTotallyPastTheCriticalAngle) {
    // n = (-0.6, -0.8), eta = 0.5: cosI = 0.8, k = 0.91, s = 0.4 + sqrt(0.91).
    const LGFloat2 r = refractRay({-0.6f, -0.8f}, 0.5f);
    const float s = 0.4f + std::sqrt(0.91f);
    EXPECT_NEAR(r.x, 0.6f * s, 1e-6f);
    EXPECT_NEAR(r.y, 0.5f + 0.8f * s, 1e-6f);
    // Head-on the textbook form would give (0, 0); this one gives (0, 2).
    const LGFloat2 headOn = refractRay({0.0f, -1.0f}, 0.5f);
    EXPECT_FLOAT_EQ(headOn.x, 0.0f);
    EXPECT_FLOAT_EQ(headOn.y, 2.0f);
    // Grazing normal with eta > 1: k < 0.
    const LGFloat2 reflected = refractRay({-1.0f, 0.0f}, 1.25f);
    EXPECT_EQ(reflected.x, 0.0f);
    EXPECT_EQ(reflected.y, 0.0f);
}

TEST(GlassReference, DisplacementIsOneAtTheOuterEdgeFadesToZeroAndVanishesUnderTotalReflection) {
    const float eta = 1.0f / 1.5f;
    // Ratio 0.05 is the peak itself, so only the falloff 1 - smoothstep(0.05) = 0.99275 remains.
    EXPECT_NEAR(displacementAtRatio(0.05f, 6, 7, eta), 0.99275f, 1e-5f);
    EXPECT_NEAR(displacementAtRatio(0.0f, 6, 7, eta), 1.0f, 1e-5f);
    EXPECT_FLOAT_EQ(displacementAtRatio(1.0f, 6, 7, eta), 0.0f);
    EXPECT_GT(displacementAtRatio(0.5f, 6, 7, eta), 0.0f);
    EXPECT_LT(displacementAtRatio(0.5f, 6, 7, eta), 0.5f);
    for (float ratio : {0.0f, 0.05f, 0.3f, 0.7f}) {
        EXPECT_EQ(displacementAtRatio(ratio, 6, 7, 1.0f / 0.8f), 0.0f) << ratio;
    }
}

TEST(GlassReference, LchConversionsHitKnownValuesAndRoundTrip) {
    const LCh white = rgbToLch({1, 1, 1});
    EXPECT_NEAR(white[0], 100.0f, 0.01f);
    EXPECT_NEAR(white[1], 0.0f, 0.05f);
    // Pure red with these matrices and this white point: L 53.2329, C 104.5755, h 0.698134 rad.
    const LCh red = rgbToLch({1, 0, 0});
    EXPECT_NEAR(red[0], 53.2329f, 0.001f);
    EXPECT_NEAR(red[1], 104.5755f, 0.002f);
    EXPECT_NEAR(red[2], 0.698134f, 1e-5f);
    const LCh black = rgbToLch({0, 0, 0});
    EXPECT_EQ(black[2], 0.0f) << "no chroma, hue taken as 0";
    for (float r : {0.0f, 0.02f, 0.3f, 0.8f, 1.0f}) {
        for (float g : {0.0f, 0.5f, 1.0f}) {
            for (float b : {0.01f, 0.6f, 1.0f}) {
                const RGB back = lchToRgb(rgbToLch({r, g, b}));
                EXPECT_NEAR(back[0], r, 2e-3f);
                EXPECT_NEAR(back[1], g, 2e-3f);
                EXPECT_NEAR(back[2], b, 2e-3f);
            }
        }
    }
}

TEST(GlassReference, SideTiesGoRightAndDownAndCrossTiesGiveAnUnnormalisedDiagonal) {
    // Corner radius 0 so that only the side rules apply; a bezel covering the whole glass so
    // that every pixel is displaced against its outward direction.
    Uniforms u;
    u.radius = 0;
    u.bezelWidth = 40;
    u.glassThickness = 4;
    u.refractionScale = 1;
    u.refractiveIndex = 1.5f;
    u.wallpaperResolution = {100, 100};
    std::uint8_t grey[4] = {128, 128, 128, 255};
    const Image wallpaper{1, 1, grey, 4};
    auto dispAt = [&](float w, float h, float px, float py) {
        u.resolution = {w, h};
        return shade(u, {px / w, py / h}, wallpaper, wallpaper).dispPx;
    };
    // Left/right tie on a 33-wide glass: outward is right, so the sample moves left.
    const LGFloat2 lr = dispAt(33, 100, 16.5f, 50.5f);
    EXPECT_LT(lr.x, 0.0f);
    EXPECT_EQ(lr.y, 0.0f);
    // Top/bottom tie on a 33-high glass: outward is down.
    const LGFloat2 tb = dispAt(100, 33, 50.5f, 16.5f);
    EXPECT_EQ(tb.x, 0.0f);
    EXPECT_LT(tb.y, 0.0f);
    // Left and top at the same distance: both components, each at full length.
    const LGFloat2 diag = dispAt(40, 40, 5.5f, 5.5f);
    EXPECT_GT(diag.x, 0.0f);
    EXPECT_FLOAT_EQ(diag.x, diag.y);
    const LGFloat2 side = dispAt(40, 40, 5.5f, 9.5f);
    EXPECT_FLOAT_EQ(diag.x, side.x) << "the diagonal is not normalised";
}

}  // namespace
