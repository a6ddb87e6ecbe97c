// The glass program on the GPU against the C++ reference, and the edge cases checked on the GPU's
// own pixels. Targets are small: llvmpipe runs them in milliseconds.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>

#include "glass/LGGlassShaderSource.h"
#include "testing/glass/LGGlassReferenceMath.h"
#include "tests/glass/GlassRenderer.h"

namespace {

// The GPU filters with fixed-point weights and writes 8-bit values after blending; one step of
// 1/255 covers both, the second step is margin.
constexpr int kTolerance = 2;

class GlassShader : public ::testing::Test {
  protected:
    static void SetUpTestSuite() { renderer_ = GlassRenderer::create(&error_); }
    static void TearDownTestSuite() { renderer_.reset(); }
    void SetUp() override { ASSERT_TRUE(renderer_) << "the glass program needs a GPU: " << error_; }

    BgraImage render(const Uniforms& u, const BgraImage& wallpaper, const BgraImage* mask) {
        std::string error;
        BgraImage out =
            renderer_->render(u, wallpaper, mask, static_cast<std::size_t>(u.resolution.x),
                              static_cast<std::size_t>(u.resolution.y), &error);
        EXPECT_EQ(error, "");
        return out;
    }

    void expectMatchesReference(const Uniforms& u, const BgraImage& wallpaper,
                                const BgraImage* mask, const char* what) {
        const BgraImage gpu = render(u, wallpaper, mask);
        const ReferenceComparison c = compareWithReference(gpu, u, wallpaper, mask, kTolerance);
        const int total = c.compared + c.nearThreshold;
        EXPECT_EQ(c.mismatches, 0) << what << ": worst " << c.worst;
        // Pixels left out for sitting on a threshold must stay few, or the check means little.
        EXPECT_LT(c.nearThreshold * 4, total) << what << ": " << c.nearThreshold << " of " << total;
    }

    static std::unique_ptr<GlassRenderer> renderer_;
    static std::string error_;
};

std::unique_ptr<GlassRenderer> GlassShader::renderer_;
std::string GlassShader::error_;

Uniforms rectangleUniforms(float w, float h) {
    Uniforms u;
    u.resolution = {w, h};
    u.screenResolution = {80, 60};
    u.cardOrigin = {10, 8};
    u.wallpaperResolution = {64, 48};
    u.radius = 9;
    u.bezelWidth = 7;
    u.glassThickness = 6;
    u.refractionScale = 1.2f;
    u.refractiveIndex = 1.5f;
    u.specularOpacity = 0.6f;
    u.specularAngle = kLGSpecularAngle;
    u.blur = 3;
    u.wallpaperOrigin = {2, 1};
    u.samplingOrientation = 1;
    u.hasShapeMask = 0;
    return u;
}

Uniforms maskUniforms(float w, float h) {
    Uniforms u = rectangleUniforms(w, h);
    u.radius = 0;
    u.bezelWidth = 16;
    u.hasShapeMask = 1;
    return u;
}

BgraImage solidMask(std::size_t w, std::size_t h, float alpha) {
    BgraImage mask(w, h);
    for (std::size_t y = 0; y < h; ++y) {
        for (std::size_t x = 0; x < w; ++x) mask.set(x, y, alpha, alpha, alpha, alpha);
    }
    return mask;
}

TEST_F(GlassShader, RectangleModeMatchesTheReference) {
    const BgraImage wallpaper = makeWallpaper(64, 48);
    expectMatchesReference(rectangleUniforms(40, 28), wallpaper, nullptr, "typical");

    // A bezel wider than half the glass, no thickness, full specular.
    Uniforms wide = rectangleUniforms(40, 28);
    wide.bezelWidth = 20;
    wide.glassThickness = 0;
    wide.refractionScale = 2;
    wide.specularOpacity = 1;
    expectMatchesReference(wide, wallpaper, nullptr, "wide bezel");

    // The glass reaching past the wallpaper on every side, so coordinates clamp.
    Uniforms outside = rectangleUniforms(48, 36);
    outside.cardOrigin = {-6, -4};
    outside.wallpaperOrigin = {4, 3};
    outside.wallpaperResolution = {40, 30};
    expectMatchesReference(outside, wallpaper, nullptr, "clamped wallpaper");

    // A wide glass with a thick bezel, so that the straight sides, their faint inner part and
    // the plain middle are all drawn, each by its own draw.
    Uniforms large = rectangleUniforms(120, 90);
    large.bezelWidth = 30;
    large.radius = 12;
    large.cardOrigin = {-20, -10};
    expectMatchesReference(large, wallpaper, nullptr, "thick bezel");
}

TEST_F(GlassShader, AFaintHighlightLeftOutMovesNoChannelOfAnyColourByHalfALevel) {
    // Rectangle glass leaves out the LCh lift of a highlight up to kFaintHighlight. Its weight
    // is 0.70 h and it lifts lightness by 36 h and cuts chroma by 9 h: at the bound, what it
    // would have added must stay under half a level for every colour, so that leaving it out
    // moves a byte by one at most.
    const std::string_view source = LGGlassShaderSource();
    ASSERT_NE(source.find("const float kFaintHighlight = 0.02;"), std::string_view::npos);
    const float h = 0.02f;
    float worst = 0;
    for (int r = 0; r <= 255; r += 3) {
        for (int g = 0; g <= 255; g += 3) {
            for (int b = 0; b <= 255; b += 3) {
                const LGGlassReference::RGB rgb{r / 255.0f, g / 255.0f, b / 255.0f};
                LGGlassReference::LCh lch = LGGlassReference::rgbToLch(rgb);
                lch[0] = std::clamp(lch[0] + h * 36, 0.0f, 100.0f);
                lch[1] = std::max(0.0f, lch[1] - h * 9);
                const LGGlassReference::RGB shaped = LGGlassReference::lchToRgb(lch);
                for (int c = 0; c < 3; ++c) {
                    worst = std::max(worst, 0.70f * h * std::fabs(shaped[c] - rgb[c]));
                }
            }
        }
    }
    EXPECT_LT(worst * 255, 0.5f);
    EXPECT_GT(worst * 255, 0.1f) << "the bound is far looser than it needs to be";
}

TEST_F(GlassShader, MaskModeMatchesTheReference) {
    const BgraImage wallpaper = makeWallpaper(64, 48);
    const BgraImage ring = makeRingMask(40, 28, 3, 12);
    expectMatchesReference(maskUniforms(40, 28), wallpaper, &ring, "ring mask");

    // A mask at half the drawable's resolution: probes step in mask texels, not pixels.
    const BgraImage halfRing = makeRingMask(20, 14, 1.5f, 6);
    expectMatchesReference(maskUniforms(40, 28), wallpaper, &halfRing, "half-resolution mask");

    // A narrow bezel makes the edge band a single texel wide.
    Uniforms narrow = maskUniforms(40, 28);
    narrow.bezelWidth = 2;
    expectMatchesReference(narrow, wallpaper, &ring, "narrow edge band");

    // A band of 42 texels (bezel 120 × 0.35) gives an edge ten texels away a visible rim, so
    // every probe step up to the tenth shows.
    BgraImage square(48, 40);
    for (std::size_t y = 4; y < 36; ++y) {
        for (std::size_t x = 4; x < 44; ++x) square.set(x, y, 1, 1, 1, 1);
    }
    Uniforms wide = maskUniforms(48, 40);
    wide.bezelWidth = 120;
    expectMatchesReference(wide, wallpaper, &square, "wide edge band");
}

TEST_F(GlassShader, BothModesMatchTheReferenceOnClockRoundedRectThinStrokesOnePixelAndEmptyMasks) {
    const BgraImage wallpaper = makeWallpaper(64, 48);
    const BgraImage clock = makeClockMaskImage(96, 48);
    const BgraImage rounded = makeRoundedRectMask(56, 40, 3, 10);
    const BgraImage strokes = makeThinStrokesMask(48, 36);
    const BgraImage dot = makeOnePixelMask(24, 20);
    const BgraImage empty(40, 28);
    for (const auto& [mask, what] :
         {std::pair{&clock, "clock"}, std::pair{&rounded, "rounded rectangle"},
          std::pair{&strokes, "thin strokes"}, std::pair{&dot, "one pixel"},
          std::pair{&empty, "empty"}}) {
        const auto w = static_cast<float>(mask->width);
        const auto h = static_cast<float>(mask->height);
        Uniforms masked = maskUniforms(w, h);
        // A wide edge band (0.35 x 40 = 14 texels) lets every step of the search show.
        masked.bezelWidth = 40;
        masked.cardOrigin = {-4, 2};
        expectMatchesReference(masked, wallpaper, mask, what);

        // The drawable at another size than the mask: pixel centres fall between texels.
        Uniforms larger = masked;
        larger.resolution = {w * 1.5f, h * 1.25f};
        expectMatchesReference(larger, wallpaper, mask, what);

        // Rectangle mode over the same drawable ignores the mask.
        Uniforms rectangle = rectangleUniforms(w, h);
        rectangle.radius = std::min(w, h) / 4;
        expectMatchesReference(rectangle, wallpaper, nullptr, what);
    }
}

TEST_F(GlassShader, TheBandAndPlainDrawsGiveTheBytesOfTheWholeDrawableInOneDraw) {
    // The glass view's two draws must cover each pixel once and compute it exactly as the one
    // draw does, whatever the geometry: bezel wider than the glass, none at all, radius larger
    // than the bezel, glass narrower than 2R, the drawable larger than the glass's resolution.
    const BgraImage wallpaper = makeWallpaper(64, 48);
    auto same = [&](const Uniforms& u, const BgraImage* mask, std::size_t w, std::size_t h,
                    const char* what) {
        std::string error;
        const BgraImage split = renderer_->render(u, wallpaper, mask, w, h, &error);
        EXPECT_EQ(error, "");
        const BgraImage whole =
            renderer_->render(u, wallpaper, mask, w, h, &error, GlassDraws::Whole);
        EXPECT_EQ(error, "");
        // Only a pixel whose branch decisions sit on a threshold (an exact tie between two sides,
        // say) may go the other way: the draws interpolate localUV over other triangles, and the
        // last bit of it can differ.
        const LGGlassReference::Image maskView = mask != nullptr ? mask->view() : wallpaper.view();
        int differing = 0, onThreshold = 0;
        for (std::size_t p = 0; p < w * h; ++p) {
            if (!std::equal(&split.pixels[p * 4], &split.pixels[p * 4 + 4], &whole.pixels[p * 4])) {
                const auto f = LGGlassReference::shade(u, pixelCentreUV(p % w, p / w, w, h),
                                                       wallpaper.view(), maskView);
                (f.nearThreshold ? onThreshold : differing) += 1;
            }
        }
        EXPECT_LT(onThreshold * 50, static_cast<int>(w * h)) << what;
        EXPECT_EQ(differing, 0) << what;
        int drawn = 0;
        for (std::size_t i = 3; i < split.pixels.size(); i += 4) drawn += split.pixels[i] ? 1 : 0;
        return drawn;
    };
    for (float bezel : {0.0f, 3.0f, 7.0f, 30.0f}) {
        for (float radius : {0.0f, 5.0f, 14.0f}) {
            Uniforms u = rectangleUniforms(60, 44);
            u.bezelWidth = bezel;
            u.radius = radius;
            EXPECT_GT(same(u, nullptr, 60, 44, "rectangle"), 0);
            EXPECT_GT(same(u, nullptr, 75, 40, "rectangle, drawable of another size"), 0);
        }
    }
    Uniforms narrow = rectangleUniforms(10, 30);
    narrow.radius = 8;
    same(narrow, nullptr, 10, 30, "narrow rectangle");

    const BgraImage clock = makeClockMaskImage(96, 48);
    const BgraImage empty(40, 28);
    for (float bezel : {0.0f, 4.0f, 16.0f, 40.0f}) {
        Uniforms u = maskUniforms(96, 48);
        u.bezelWidth = bezel;
        EXPECT_GT(same(u, &clock, 96, 48, "clock"), 100);
        u.radius = 12;
        EXPECT_GT(same(u, &clock, 120, 52, "clock, rounded, drawable of another size"), 100);
    }
    Uniforms u = maskUniforms(40, 28);
    EXPECT_EQ(same(u, &empty, 40, 28, "empty mask"), 0);
}

TEST_F(GlassShader, CornersAreCutBeyondROnePixelAndFadeLinearlyBetweenRAndROnePlusOne) {
    const BgraImage wallpaper = makeWallpaper(64, 48);
    const BgraImage opaque = solidMask(36, 36, 1);
    for (bool useMask : {false, true}) {
        Uniforms u = rectangleUniforms(36, 36);
        u.radius = 11.3f;
        u.hasShapeMask = useMask ? 1 : 0;
        const BgraImage out = render(u, wallpaper, useMask ? &opaque : nullptr);
        const float R = u.radius;
        int cut = 0, faded = 0;
        for (std::size_t y = 0; y < 36; ++y) {
            for (std::size_t x = 0; x < 36; ++x) {
                // Distance from the nearest corner centre, for pixels in a corner square.
                const float px = static_cast<float>(x) + 0.5f;
                const float py = static_cast<float>(y) + 0.5f;
                const float cx = px < R ? px - R : (px > 36 - R ? px - (36 - R) : 0.0f);
                const float cy = py < R ? py - R : (py > 36 - R ? py - (36 - R) : 0.0f);
                if (cx == 0.0f || cy == 0.0f) continue;
                const float d = std::sqrt(cx * cx + cy * cy);
                const std::uint8_t* p = out.at(x, y);
                if (d > R + 1.01f) {
                    ++cut;
                    EXPECT_EQ(p[0] + p[1] + p[2] + p[3], 0) << "(" << x << ", " << y << ")";
                } else if (d > R + 0.01f && d < R + 0.99f) {
                    ++faded;
                    // Rectangle: alpha falls linearly over the pixel beyond R. Mask: the mask's
                    // alpha replaces that fade, and the mask is opaque.
                    const int alpha =
                        useMask ? 255 : static_cast<int>(std::lround((1.0f - (d - R)) * 255.0f));
                    EXPECT_NEAR(p[3], alpha, 1) << "(" << x << ", " << y << ")";
                    // Straight alpha out: blending multiplies the colour by alpha exactly once.
                    const auto f = LGGlassReference::shade(u, pixelCentreUV(x, y, 36, 36),
                                                           wallpaper.view(), opaque.view());
                    for (int c = 0; c < 3; ++c) {
                        EXPECT_NEAR(p[2 - c], f.color[c] * f.color[3] * 255.0f, kTolerance);
                    }
                }
            }
        }
        EXPECT_GT(cut, 20) << (useMask ? "mask" : "rectangle");
        EXPECT_GT(faded, 8) << (useMask ? "mask" : "rectangle");
    }
}

TEST_F(GlassShader, MaskAlphaBelowOnePercentIsDiscardedEvenInsideTheRectangle) {
    const BgraImage wallpaper = makeWallpaper(64, 48);
    // Columns 0-11: alpha 2/255 (0.0078, below 0.01); 12-23: 3/255 (0.0118); 24-35: opaque.
    BgraImage mask(36, 24);
    for (std::size_t y = 0; y < 24; ++y) {
        for (std::size_t x = 0; x < 36; ++x) {
            const std::uint8_t a = x < 12 ? 2 : (x < 24 ? 3 : 255);
            std::uint8_t* p = mask.at(x, y);
            p[0] = p[1] = p[2] = p[3] = a;
        }
    }
    Uniforms u = maskUniforms(36, 24);
    const BgraImage out = render(u, wallpaper, &mask);
    for (std::size_t y = 0; y < 24; ++y) {
        // Texel centres one texel clear of the band borders read the band's alpha exactly.
        for (std::size_t x = 1; x < 11; ++x) {
            const std::uint8_t* p = out.at(x, y);
            EXPECT_EQ(p[0] + p[1] + p[2] + p[3], 0) << "(" << x << ", " << y << ")";
        }
        for (std::size_t x = 13; x < 23; ++x) EXPECT_EQ(out.at(x, y)[3], 3) << x << ", " << y;
        for (std::size_t x = 25; x < 36; ++x) EXPECT_EQ(out.at(x, y)[3], 255) << x << ", " << y;
    }
}

TEST_F(GlassShader, DeepInsideTheMaskThereIsNoDisplacementAndNoRim) {
    // An opaque square with a transparent border six texels wide. Beyond ten texels from every
    // edge the estimate finds nothing: edge band 0, so the pixel is the wallpaper, untouched.
    const BgraImage wallpaper = makeWallpaper(64, 48);
    BgraImage mask(48, 40);
    for (std::size_t y = 6; y < 34; ++y) {
        for (std::size_t x = 6; x < 42; ++x) mask.set(x, y, 1, 1, 1, 1);
    }
    Uniforms u = maskUniforms(48, 40);
    u.cardOrigin = {8, 4};
    u.wallpaperOrigin = {0, 0};
    u.specularOpacity = 1;
    u.refractionScale = 3;
    const BgraImage out = render(u, wallpaper, &mask);
    int deep = 0, rimChanged = 0;
    for (std::size_t y = 6; y < 34; ++y) {
        for (std::size_t x = 6; x < 42; ++x) {
            const std::size_t inset = std::min({x - 6, 41 - x, y - 6, 33 - y});
            const std::uint8_t* got = out.at(x, y);
            const std::uint8_t* wall = wallpaper.at(x + 8, y + 4);
            if (inset >= 11) {
                ++deep;
                for (int c = 0; c < 3; ++c) EXPECT_NEAR(got[c], wall[c], 1) << x << ", " << y;
                EXPECT_EQ(got[3], 255);
            } else if (inset <= 2) {
                for (int c = 0; c < 3; ++c) rimChanged += std::abs(got[c] - wall[c]) > 4 ? 1 : 0;
            }
        }
    }
    EXPECT_GT(deep, 50);
    EXPECT_GT(rimChanged, 20) << "the rim near the edge should differ from the plain wallpaper";
}

TEST_F(GlassShader, TotalInternalReflectionAtTheOuterEndDisplacesNothingAnywhere) {
    // eta = 1 / 0.8 makes k < 0 at ratio 0.05, so the peak is 0 and no pixel moves: the picture
    // equals the one drawn with no refraction at all, in both modes.
    const BgraImage wallpaper = makeStripes(64, 48, 3);
    const BgraImage ring = makeRingMask(40, 28, 3, 12);
    for (bool useMask : {false, true}) {
        Uniforms tir = useMask ? maskUniforms(40, 28) : rectangleUniforms(40, 28);
        tir.refractiveIndex = 0.8f;
        tir.refractionScale = 3;
        Uniforms flat = tir;
        flat.refractionScale = 0;
        Uniforms refracting = tir;
        refracting.refractiveIndex = 1.5f;
        const BgraImage* mask = useMask ? &ring : nullptr;
        EXPECT_EQ(render(tir, wallpaper, mask), render(flat, wallpaper, mask));
        EXPECT_NE(render(refracting, wallpaper, mask), render(flat, wallpaper, mask))
            << "a refracting index should move pixels, or this test proves nothing";
    }
}

TEST_F(GlassShader, OnlyOrientationCodesTwoThreeAndFourRotateAfterRounding) {
    const BgraImage wallpaper = makeWallpaper(64, 48);
    auto withOrientation = [&](float o) {
        Uniforms u = rectangleUniforms(40, 28);
        u.samplingOrientation = o;
        return u;
    };
    const BgraImage upright = render(withOrientation(1), wallpaper, nullptr);
    for (float o : {0.0f, 1.4f, 4.5f, -2.0f, 7.0f, 1e9f}) {
        EXPECT_EQ(render(withOrientation(o), wallpaper, nullptr), upright) << "code " << o;
    }
    EXPECT_EQ(render(withOrientation(2.6f), wallpaper, nullptr),
              render(withOrientation(3), wallpaper, nullptr));
    EXPECT_EQ(render(withOrientation(2.5f), wallpaper, nullptr),
              render(withOrientation(3), wallpaper, nullptr))
        << "halves round away from zero";
    for (float o : {2.0f, 3.0f, 4.0f}) {
        EXPECT_NE(render(withOrientation(o), wallpaper, nullptr), upright) << "code " << o;
        expectMatchesReference(withOrientation(o), wallpaper, nullptr, "rotated");
    }
}

TEST_F(GlassShader, GlassNarrowerThanTwoRadiiTreatsBothSidesPixelsAsLeftAndTop) {
    const BgraImage wallpaper = makeWallpaper(64, 48);
    Uniforms narrow = rectangleUniforms(10, 30);
    narrow.radius = 8;  // 2R = 16 > 10: every column is both "left" and "right"
    expectMatchesReference(narrow, wallpaper, nullptr, "narrow");
    Uniforms flat = rectangleUniforms(30, 10);
    flat.radius = 8;
    expectMatchesReference(flat, wallpaper, nullptr, "flat");

    // Measured from the left corner centre, the right-hand columns of the narrow glass lie
    // beyond R + 1 and are cut: the glass is not symmetric.
    const BgraImage out = render(narrow, wallpaper, nullptr);
    EXPECT_EQ(out.at(9, 0)[3], 0);
    EXPECT_GT(out.at(3, 0)[3], 0);
}

TEST_F(GlassShader, DispersionNeverExceedsItsBounds) {
    // A small wallpaper extent makes the prism offset large, so the 0.012 cap is reached.
    const BgraImage wallpaper = makeStripes(32, 24, 2);
    Uniforms u = rectangleUniforms(40, 28);
    u.wallpaperResolution = {32, 24};
    u.cardOrigin = {0, 0};
    u.wallpaperOrigin = {0, 0};
    u.refractionScale = 4;
    u.bezelWidth = 12;
    expectMatchesReference(u, wallpaper, nullptr, "strong dispersion");

    float largest = 0;
    for (std::size_t y = 0; y < 28; ++y) {
        for (std::size_t x = 0; x < 40; ++x) {
            const auto f = LGGlassReference::shade(u, pixelCentreUV(x, y, 40, 28), wallpaper.view(),
                                                   wallpaper.view());
            if (f.discarded) continue;
            largest = std::max(largest, f.dispersionAmount);
            EXPECT_LE(f.dispersionAmount, 0.012f);
            const float t = f.dispersionAmount * 80;
            const float prism = std::hypot(f.dispPx.x / 32, f.dispPx.y / 24);
            const float redShift = std::hypot((f.redUV.x - f.uv.x) * t, (f.redUV.y - f.uv.y) * t);
            EXPECT_LE(redShift, 0.96f * 0.55f * prism + 1e-6f);
        }
    }
    EXPECT_FLOAT_EQ(largest, 0.012f) << "the cap was never reached";
}

}  // namespace
