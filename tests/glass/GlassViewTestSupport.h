#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "glass/LGGlassContext.h"
#include "glass/LGTextureCache.h"
#include "glass/LiquidGlassView.h"
#include "glass/detail/LGGlassStatistics.h"
#include "platform/base/PropertyList.h"
#include "platform/dispatch/RunLoop.h"
#include "platform/dispatch/Time.h"
#include "platform/gpu/Texture.h"
#include "platform/graphics/Image.h"
#include "platform/ui/DeviceProfile.h"
#include "platform/ui/Screen.h"
#include "platform/ui/Window.h"
#include "tests/platform/prefs/TestDeviceRoot.h"

// The glass view's private state, for the tests.
struct LiquidGlassViewTestAccess {
    using View = LiquidGlassView;
    static const std::shared_ptr<gpu::Texture>& bgTexture(const View& v) { return v._bgTexture; }
    static const std::shared_ptr<gpu::Texture>& blurredTexture(const View& v) {
        return v._blurredTexture;
    }
    static const std::shared_ptr<gpu::Texture>& shapeMaskTexture(const View& v) {
        return v._shapeMaskTexture;
    }
    static const LGMaskEdgeFieldTextures& shapeMaskEdgeField(const View& v) {
        return v._shapeMaskEdgeField;
    }
    static const std::shared_ptr<LGTextureCacheEntry>& cacheEntry(const View& v) {
        return v._cacheEntry;
    }
    static bool needsBlurBake(const View& v) { return v._needsBlurBake; }
    static float lastBakedBlurRadius(const View& v) { return v._lastBakedBlurRadius; }
    static double effectiveTextureScale(const View& v) { return v._effectiveTextureScale; }
    static bool drawScheduled(const View& v) { return v._drawScheduled; }
    static double lastDrawSubmissionTime(const View& v) { return v._lastDrawSubmissionTime; }
    static base::Rect visualRectPx(const View& v) { return v._cachedVisualRectPx; }
    static float visualScale(const View& v) { return v._cachedVisualScale; }
    static base::Size sourcePixelSize(const View& v) { return v._sourceWallpaperPixelSize; }
    static double recommendedScale(const View& v, std::uint64_t w, std::uint64_t h) {
        return v._recommendedInternalTextureScaleForSourceWidth(w, h);
    }
    static void reloadTexture(View& v) { v._reloadTexture(); }
    static void ensureBlurTexture(View& v) { v._ensureBlurTexture(); }
    static void runBlurPasses(View& v, float radius, gpu::CommandBuffer& buffer) {
        v._runBlurPassesWithRadius(radius, buffer);
    }
    static bool refreshVisualMetrics(View& v) { return v._refreshVisualMetrics(); }
    static Uniforms frameUniforms(const View& v, float radius) { return v._frameUniforms(radius); }
};
using Access = LiquidGlassViewTestAccess;

// Glass views on a manual clock and a fresh device root: the main screen is set to a profile,
// one visible window covers it, preferences start empty, and the main loop is drained afterwards.
class GlassViewTest : public ::testing::Test {
  protected:
    static constexpr dispatch::Nanos T0 = 1000 * dispatch::kNanosPerSecond;

    GlassViewTest();
    ~GlassViewTest() override;

    void SetUp() override;

    // Writes the preference domain as the settings page would and makes the store re-read it.
    void setPreferences(const base::PlistDictionary& entries);

    // A glass view of `frame` (points) in the window over `wallpaper`, laid out.
    std::shared_ptr<LiquidGlassView> makeGlass(const base::Rect& frame,
                                               graphics::ImageRef wallpaper,
                                               base::Point wallpaperOrigin = {});

    // Runs the main loop until nothing is left to do now.
    void drain();
    // Moves the clock on by `seconds`, running what falls due.
    void runFor(double seconds);

    static LGGlassStatistics stats() { return LGGlassStatisticsShared(); }

    TestDeviceRoot root;
    dispatch::ManualClock clock{dispatch::secondsFromNanos(T0)};
    std::shared_ptr<ui::Window> window;
};

// An opaque test image: smooth colour ramps with hard-edged stripes every `period` pixels.
graphics::ImageRef makeTestImage(int width, int height, int period = 6, double scale = 1.0);
// Premultiplied white with a filled disc in the middle, for masks.
graphics::ImageRef makeDiscMask(int width, int height, double scale = 1.0);

// A texture's BGRA bytes, after all committed work that writes it.
std::vector<std::uint8_t> readTexture(const gpu::Texture& texture);
