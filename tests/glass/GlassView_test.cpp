// The glass view: where it is on screen, what a frame hands the GPU, its setters, the pixels it
// shows, the GPU context's failures and the automatic tint.
#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <limits>

#include "glass/LGAutomaticTintColor.h"
#include "glass/LGGlassShaderSource.h"
#include "platform/gpu/Device.h"
#include "platform/ui/Layer.h"
#include "platform/ui/WindowScene.h"
#include "support/detail/LGSupportState.h"
#include "testing/glass/LGGlassReference.h"
#include "tests/glass/GlassViewTestSupport.h"

using base::PlistValue;

namespace {

using GlassView = GlassViewTest;

std::uint8_t toByte(float v) {
    return static_cast<std::uint8_t>(std::lround(std::clamp(v, 0.0f, 1.0f) * 255.0f));
}

}  // namespace

TEST_F(GlassView, FrameRecordCarriesTheViewInScreenPixels) {
    auto wallpaper = makeTestImage(131, 284);
    auto view = makeGlass({10, 20, 40, 30}, wallpaper, {-2, 4});
    ASSERT_TRUE(view);
    view->setBezelWidth(12);
    view->setGlassThickness(90);
    view->setRefractionScale(1.5);
    view->setRefractiveIndex(1.3);
    view->setSpecularOpacity(0.6);
    view->updateOrigin();

    const Uniforms u = Access::frameUniforms(*view, 2.5f);
    EXPECT_EQ(u.resolution.x, 120.0f);
    EXPECT_EQ(u.resolution.y, 90.0f);
    EXPECT_EQ(u.screenResolution.x, 1179.0f);
    EXPECT_EQ(u.screenResolution.y, 2556.0f);
    EXPECT_EQ(u.cardOrigin.x, 30.0f);
    EXPECT_EQ(u.cardOrigin.y, 60.0f);
    EXPECT_EQ(u.wallpaperResolution.x, 131.0f) << "the source's pixel size";
    EXPECT_EQ(u.wallpaperResolution.y, 284.0f);
    EXPECT_EQ(u.radius, 40.5f);
    EXPECT_EQ(u.bezelWidth, 36.0f);
    EXPECT_EQ(u.glassThickness, 90.0f);
    EXPECT_EQ(u.refractionScale, 1.5f);
    EXPECT_EQ(u.refractiveIndex, 1.3f);
    EXPECT_EQ(u.specularOpacity, 0.6f);
    EXPECT_EQ(std::bit_cast<std::uint32_t>(u.specularAngle), 0x4011361Eu);
    EXPECT_EQ(u.blur, 2.5f);
    EXPECT_EQ(u.wallpaperOrigin.x, -6.0f);
    EXPECT_EQ(u.wallpaperOrigin.y, 12.0f);
    EXPECT_EQ(u.samplingOrientation, 1.0f);
    EXPECT_EQ(u.hasShapeMask, 0.0f);

    // A sampling resolution overrides the source size exactly.
    view->setWallpaperSamplingResolution({1179.5, 2556});
    EXPECT_EQ(Access::frameUniforms(*view, 0).wallpaperResolution.x, 1179.5f);
    view->setWallpaperSamplingResolution({0, 0});
    EXPECT_EQ(Access::frameUniforms(*view, 0).wallpaperResolution.x, 131.0f);
}

TEST_F(GlassView, MetricsFollowAnimationsAndScaling) {
    auto view = makeGlass({10, 20, 40, 40}, makeTestImage(30, 60));
    ASSERT_TRUE(view);
    view->updateOrigin();
    EXPECT_EQ(Access::visualRectPx(*view), (base::Rect{30, 60, 120, 120}));

    ui::View::animate(1.0, 0, ui::AnimationOptions::CurveLinear, [&] {
        view->setFrame({110, 20, 40, 40});
    });
    clock.advance(0.25);
    EXPECT_TRUE(Access::refreshVisualMetrics(*view));
    EXPECT_NEAR(Access::visualRectPx(*view).origin.x, 105, 1e-6) << "a quarter of the way";
    clock.advance(1.0);
    drain();

    view->setTransform(base::AffineTransform::scale(2, 2));
    view->updateOrigin();
    EXPECT_FLOAT_EQ(Access::visualScale(*view), 2.0f);
    EXPECT_EQ(Access::frameUniforms(*view, 0).radius, 81.0f);
    EXPECT_EQ(Access::frameUniforms(*view, 0).resolution.x, 240.0f);
}

TEST_F(GlassView, OutsideAWindowWithoutAnimationTheRectangleIsNullAndDrawingStillWorks) {
    auto view = LiquidGlassView::create({0, 0, 20, 20}, makeTestImage(30, 60), {});
    ASSERT_TRUE(view);
    view->layoutIfNeeded();
    const std::uint64_t frames = stats().framesCommitted;
    runFor(0.1);
    EXPECT_EQ(stats().framesCommitted, frames + 1) << "the layout's frame, drawn nowhere";
    EXPECT_TRUE(Access::visualRectPx(*view).isNull());
    EXPECT_FALSE(Access::refreshVisualMetrics(*view)) << "null again is no change";
    view->surfaceView()->draw();
    EXPECT_EQ(stats().framesCommitted, frames + 2);
    view->updateOrigin();
    EXPECT_FALSE(Access::drawScheduled(*view)) << "nowhere on screen";
}

TEST_F(GlassView, TabletsRotateSamplingByTheSceneExceptForTheClock) {
    ui::Screen::setMainProfile(ui::DeviceProfile::tablet(), false);
    auto scene = ui::WindowScene::create(ui::Screen::main());
    scene->setInterfaceOrientation(ui::InterfaceOrientation::LandscapeRight);
    auto sceneWindow = ui::Window::create(scene);
    ASSERT_TRUE(sceneWindow);
    sceneWindow->makeKeyAndVisible();
    auto view = LiquidGlassView::create({10, 10, 40, 40}, makeTestImage(30, 60), {});
    ASSERT_TRUE(view);
    sceneWindow->addSubview(view);
    view->updateOrigin();
    EXPECT_EQ(Access::frameUniforms(*view, 0).samplingOrientation, 3.0f);
    EXPECT_EQ(Access::visualRectPx(*view), (base::Rect{20, 20, 80, 80}));
    view->setUpdateGroup(LiquidGlassView::kClockUpdateGroup);
    EXPECT_EQ(Access::frameUniforms(*view, 0).samplingOrientation, 1.0f);
    sceneWindow->setHidden(true);
}

TEST_F(GlassView, SettersIgnoreTinyChangesAndNonNumbersAndRequestFramesOtherwise) {
    auto view = makeGlass({0, 0, 40, 40}, makeTestImage(30, 60));
    ASSERT_TRUE(view);
    drain();
    view->setBezelWidth(14.0005);
    view->setCornerRadius(std::numeric_limits<double>::quiet_NaN());
    view->setWallpaperOrigin({0.0004, -0.0004});
    EXPECT_FALSE(Access::drawScheduled(*view));
    EXPECT_EQ(view->bezelWidth(), 14.0);
    EXPECT_EQ(view->cornerRadius(), 13.5);

    view->setCornerRadius(20);
    EXPECT_TRUE(Access::drawScheduled(*view));
    EXPECT_EQ(view->layer()->cornerRadius(), 20.0);
    EXPECT_EQ(view->layer()->cornerCurve(), ui::CornerCurve::Continuous);
    EXPECT_TRUE(view->clipsToBounds());
    ASSERT_EQ(view->subviews().size(), 1u);
    EXPECT_EQ(view->subviews()[0], view->surfaceView());
    EXPECT_TRUE(view->surfaceView()->isPaused());
    EXPECT_EQ(view->surfaceView()->drawableSize(), (base::Size{120, 120}));
}

TEST_F(GlassView, WallpaperScaleReuploadsOnlyWhenTheTextureScaleMoves) {
    // A 40-point view: 120 px, so a 1000-pixel source fits at 0.288.
    auto view = makeGlass({0, 0, 40, 40}, makeTestImage(1000, 500));
    ASSERT_TRUE(view);
    view->updateOrigin();
    const auto texture = Access::bgTexture(*view);
    ASSERT_TRUE(texture);
    EXPECT_EQ(texture->width(), 288u);
    const std::uint64_t uploads = stats().wallpaperUploads;
    view->setWallpaperScale(0.5);
    EXPECT_EQ(Access::bgTexture(*view), texture) << "0.288 still wins";
    view->setWallpaperScale(0.2);
    EXPECT_EQ(stats().wallpaperUploads, uploads + 1);
    EXPECT_EQ(Access::bgTexture(*view)->width(), 200u);
    view->setWallpaperScale(1.0);
    EXPECT_EQ(Access::bgTexture(*view), texture) << "found again in the shared cache";
    EXPECT_EQ(stats().wallpaperUploads, uploads + 1);
}

TEST_F(GlassView, ShownPixelsMatchTheReferenceOfTheShadingModel) {
    auto wallpaper = makeTestImage(200, 400, 5);
    auto view = makeGlass({30, 50, 40, 20}, wallpaper);
    ASSERT_TRUE(view);
    view->setBlur(1.0);
    view->setWallpaperSamplingResolution({1179, 2556});
    view->setShapeMaskImage(makeDiscMask(120, 60, 3.0));
    view->updateOrigin();
    view->surfaceView()->draw();
    const auto shown = view->surfaceView()->presentedImage();
    ASSERT_TRUE(shown);
    ASSERT_EQ(shown->pixelWidth(), 120);
    ASSERT_EQ(shown->pixelHeight(), 60);

    const auto blurredBytes = readTexture(*Access::blurredTexture(*view));
    const auto maskBytes = readTexture(*Access::shapeMaskTexture(*view));
    const LGGlassReference::Image wall{Access::blurredTexture(*view)->width(),
                                       Access::blurredTexture(*view)->height(), blurredBytes.data(),
                                       Access::blurredTexture(*view)->width() * 4};
    const LGGlassReference::Image mask{120, 60, maskBytes.data(), 480};
    const Uniforms u = Access::frameUniforms(*view, Access::lastBakedBlurRadius(*view));

    // Colour is compared where the glass is opaque or absent; the anti-aliased rim, where the
    // surface's alpha handling decides the colour bytes, is compared by its alpha.
    int compared = 0, mismatches = 0, glass = 0;
    for (int y = 0; y < 60; ++y) {
        for (int x = 0; x < 120; ++x) {
            const auto f =
                LGGlassReference::shade(u, {(x + 0.5f) / 120, (y + 0.5f) / 60}, wall, mask);
            if (f.nearThreshold) continue;
            ++compared;
            const float a = f.discarded ? 0.0f : f.color[3];
            const graphics::Pixel p = shown->pixelAt(x, y);
            const bool opaque = toByte(a) == 255;
            if (opaque) ++glass;
            const int expected[4] = {toByte(f.color[2] * a), toByte(f.color[1] * a),
                                     toByte(f.color[0] * a), toByte(a)};
            const int actual[4] = {p.b, p.g, p.r, p.a};
            for (int c = (opaque || a == 0.0f) ? 0 : 3; c < 4; ++c) {
                if (std::abs(expected[c] - actual[c]) > 3) {
                    ++mismatches;
                    break;
                }
            }
        }
    }
    EXPECT_GT(compared, 6000);
    EXPECT_GT(glass, 1000) << "the disc is drawn";
    EXPECT_EQ(mismatches, 0);
}

TEST(GlassContext, FailuresAreLoggedWithTheirReason) {
    std::vector<std::string> lines;
    lg::detail::setConsoleSinkForTesting([&](std::string_view line) {
        if (line.find("metal") != std::string_view::npos) lines.emplace_back(line);
    });
    auto device = gpu::Device::systemDefault();
    ASSERT_TRUE(device);

    EXPECT_FALSE(LGGlassContextCreate(nullptr, LGGlassShaderSource()));
    EXPECT_FALSE(LGGlassContextCreate(device, "#pragma stage vertex vertexShader\nnot glsl"));
    EXPECT_FALSE(LGGlassContextCreate(
        device, "#pragma stage vertex vertexShader\nvoid vertexShader() {}\n"));
    auto ready = LGGlassContextCreate(device, LGGlassShaderSource());
    lg::detail::setConsoleSinkForTesting(nullptr);

    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0], "[Quorvane] metal init failed no default device");
    EXPECT_EQ(lines[1].rfind("[Quorvane] metal library build failed ", 0), 0u) << lines[1];
    EXPECT_EQ(lines[1].find("unknown"), std::string::npos) << "the compiler's reason";
    EXPECT_EQ(lines[2].rfind("[Quorvane] metal render pipeline build failed ", 0), 0u);
    ASSERT_TRUE(ready);
    EXPECT_TRUE(ready->pipelines && ready->placeholderMask && ready->sampler);
    for (const auto& queue : ready->queues) EXPECT_TRUE(queue);
    EXPECT_EQ(readTexture(*ready->placeholderMask),
              (std::vector<std::uint8_t>{255, 255, 255, 255}));
}

TEST_F(GlassView, AutomaticTintFollowsThePreferenceElseTheTraits) {
    setPreferences({{"Quorvane.Clock.TintStyle", PlistValue::string("dark")},
                    {"Other.Style", PlistValue::string("sepia")}});
    auto view = ui::View::create({0, 0, 10, 10});
    window->addSubview(view);
    EXPECT_EQ(LGAutomaticTintColor(view.get(), "Quorvane.Clock.TintStyle", 0.8, 0.6),
              base::Color::white(0, 0.6));
    EXPECT_EQ(LGAutomaticTintColor(view.get(), "Missing.Key", 0.8, 0.6), base::Color::white(1, 0.8))
        << "an unset key reads as light";
    EXPECT_EQ(LGAutomaticTintColor(view.get(), "Other.Style", 0.8, 0.6),
              base::Color::white(1, 0.8));
    view->setOverrideUserInterfaceStyle(ui::UserInterfaceStyle::Dark);
    EXPECT_EQ(LGAutomaticTintColor(view.get(), "Other.Style", 0.8, 0.6),
              base::Color::white(0, 0.6));
    EXPECT_EQ(LGAutomaticTintColor(view.get(), "", 0.8, 0.6), base::Color::white(0, 0.6));
    EXPECT_EQ(LGAutomaticTintColor(nullptr, "", 0.8, 0.6), base::Color::white(1, 0.8));
}
