// Wallpaper uploads, the shared texture cache, blurred variants and the shape mask.
#include <gtest/gtest.h>

#include <cmath>

#include "glass/LGNormalizedImage.h"
#include "glass/LGZeroCopyBridge.h"
#include "platform/gpu/CommandBuffer.h"
#include "platform/gpu/CommandQueue.h"
#include "platform/graphics/Context.h"
#include "tests/glass/GlassViewTestSupport.h"

namespace {

using GlassTextures = GlassViewTest;

// Draws a frame of `view` now and waits for the GPU.
void drawNow(LiquidGlassView& view) {
    view.surfaceView()->draw();
}

}  // namespace

TEST(GlassTextureKeys, RoundThousandthsToNearestEvenWithFloors) {
    EXPECT_EQ(LGTextureScaleKey(0.65), 650);
    EXPECT_EQ(LGTextureScaleKey(0.6505), 650) << "650.5 rounds to the even neighbour";
    EXPECT_EQ(LGTextureScaleKey(0.0015), 2);
    EXPECT_EQ(LGTextureScaleKey(0.0005), 1) << "a scale key is never below 1";
    EXPECT_EQ(LGBlurKey(8.0), 8000);
    EXPECT_EQ(LGBlurKey(0.0025), 2);
    EXPECT_EQ(LGBlurKey(0.0035), 4);
    EXPECT_EQ(LGBlurKey(-3.0), 0);
    EXPECT_EQ(LGBlurKey(std::nan("")), 0);
}

TEST_F(GlassTextures, ScaleRuleFollowsViewSizeAndGroupCeiling) {
    // A 300-point view on a 3x screen: 900 pixels. A 3000-pixel source fits at 0.72.
    auto view = makeGlass({0, 0, 100, 300}, makeTestImage(8, 8));
    ASSERT_TRUE(view);
    view->setUpdateGroup(5);
    EXPECT_DOUBLE_EQ(Access::recommendedScale(*view, 1500, 3000), 0.65);
    view->setUpdateGroup(9);
    EXPECT_DOUBLE_EQ(Access::recommendedScale(*view, 1500, 3000), 0.72) << "no ceiling above 8";
    view->setUpdateGroup(0);
    EXPECT_DOUBLE_EQ(Access::recommendedScale(*view, 1500, 3000), 0.72);
    EXPECT_DOUBLE_EQ(Access::recommendedScale(*view, 100, 100000), 0.16) << "fit floor";
    view->setUpdateGroup(2);
    EXPECT_DOUBLE_EQ(Access::recommendedScale(*view, 1500, 3000), 0.28);

    // A 1x1 (or empty) source takes the wallpaper scale as it is, clamped.
    view->setWallpaperScale(0.5);
    EXPECT_DOUBLE_EQ(Access::recommendedScale(*view, 1, 1), 0.5);
    EXPECT_DOUBLE_EQ(Access::recommendedScale(*view, 0, 0), 0.5);
    view->setWallpaperScale(0.01);
    EXPECT_DOUBLE_EQ(view->wallpaperScale(), 0.1);
}

TEST_F(GlassTextures, OnePixelSourceUploadsAOnePixelTexture) {
    auto view = makeGlass({0, 0, 50, 50}, makeTestImage(1, 1));
    ASSERT_TRUE(view);
    view->setWallpaperScale(0.2);
    view->updateOrigin();
    const auto& texture = Access::bgTexture(*view);
    ASSERT_TRUE(texture);
    EXPECT_EQ(texture->width(), 1u);
    EXPECT_EQ(texture->height(), 1u);
    EXPECT_DOUBLE_EQ(Access::effectiveTextureScale(*view), 0.2);
    EXPECT_EQ(Access::sourcePixelSize(*view), (base::Size{1, 1}));
}

TEST_F(GlassTextures, BridgeShowsWhatTheCpuDrewAndRefusesWhatItCannotHold) {
    auto device = LGGlassContextShared()->device;
    LGZeroCopyBridge bridge(device);
    EXPECT_FALSE(bridge.setupBufferWithWidth(0, 4));
    bool called = false;
    EXPECT_FALSE(bridge.renderWithActions([&](graphics::Context&) { called = true; }));
    EXPECT_FALSE(called) << "no buffer, no drawing";

    ASSERT_TRUE(bridge.setupBufferWithWidth(4, 2));
    auto texture = bridge.renderWithActions([](graphics::Context& c) {
        c.fillRect({0, 0, 2, 2}, base::Color(1, 0, 0, 1));
        c.fillRect({2, 0, 2, 2}, base::Color(0, 0, 1, 0.5));
    });
    ASSERT_TRUE(texture);
    const auto bytes = readTexture(*texture);
    EXPECT_EQ((std::vector<std::uint8_t>(bytes.begin(), bytes.begin() + 4)),
              (std::vector<std::uint8_t>{0, 0, 255, 255}));
    EXPECT_NEAR(bytes[8], 128, 1) << "premultiplied blue";
    EXPECT_NEAR(bytes[11], 128, 1);

    LGZeroCopyBridge noDevice(nullptr);
    EXPECT_FALSE(noDevice.setupBufferWithWidth(4, 4));
}

TEST(GlassNormalizedImage, UprightImagesPassThroughAndTurnedOnesAreRedrawn) {
    auto upright = makeTestImage(4, 2);
    EXPECT_EQ(LGNormalizedImage(upright), upright) << "same object keeps the cache hitting";
    EXPECT_EQ(LGNormalizedImage(nullptr), nullptr);

    auto turned = upright->withOrientation(graphics::ImageOrientation::Right);
    auto redrawn = LGNormalizedImage(turned);
    ASSERT_TRUE(redrawn);
    EXPECT_NE(redrawn, turned);
    EXPECT_EQ(redrawn->orientation(), graphics::ImageOrientation::Up);
    EXPECT_EQ(redrawn->pixelWidth(), 2);
    EXPECT_EQ(redrawn->pixelHeight(), 4);
    EXPECT_NE(LGNormalizedImage(turned), redrawn) << "a new object every time";
}

TEST_F(GlassTextures, RadiusBelowHalfATexelCopiesUnblurredAndAboveItBlurs) {
    auto view = makeGlass({0, 0, 40, 40}, makeTestImage(24, 24, 3));
    ASSERT_TRUE(view);
    view->updateOrigin();
    Access::ensureBlurTexture(*view);
    const auto& bg = Access::bgTexture(*view);
    const auto& blurred = Access::blurredTexture(*view);
    ASSERT_TRUE(bg && blurred);
    const auto source = readTexture(*bg);
    auto queue = LGGlassContextShared()->queues[0];

    for (float radius : {0.3f, 0.1f, 4.0f}) {
        auto buffer = queue->commandBuffer();
        Access::runBlurPasses(*view, radius, *buffer);
        buffer->commit();
        buffer->waitUntilCompleted();
        ASSERT_EQ(buffer->status(), gpu::CommandBuffer::Status::Completed) << buffer->error();
        if (radius < 0.5f) {
            EXPECT_EQ(readTexture(*blurred), source) << "radius " << radius;
        } else {
            EXPECT_NE(readTexture(*blurred), source) << "radius " << radius;
        }
    }
}

TEST_F(GlassTextures, ViewsOfOneImageShareOneUploadAndTheFirstViewsBlur) {
    auto wallpaper = makeTestImage(60, 120);
    const LGGlassStatistics before = stats();
    auto first = makeGlass({0, 0, 40, 40}, wallpaper);
    auto second = makeGlass({50, 0, 40, 40}, wallpaper);
    ASSERT_TRUE(first && second);

    drawNow(*first);
    EXPECT_EQ(stats().wallpaperUploads - before.wallpaperUploads, 1u);
    EXPECT_EQ(stats().blurBakes - before.blurBakes, 1u);

    drawNow(*second);
    EXPECT_EQ(stats().wallpaperUploads - before.wallpaperUploads, 1u) << "one upload";
    EXPECT_EQ(stats().blurBakes - before.blurBakes, 1u) << "the second view adopts the variant";
    EXPECT_EQ(Access::cacheEntry(*first), Access::cacheEntry(*second));
    EXPECT_EQ(Access::bgTexture(*first), Access::bgTexture(*second));
    EXPECT_EQ(Access::blurredTexture(*first), Access::blurredTexture(*second));
    EXPECT_EQ(stats().framesCommitted - before.framesCommitted, 2u);

    // A different image object with the same pixels is a different wallpaper.
    auto third = makeGlass({0, 50, 40, 40}, makeTestImage(60, 120));
    drawNow(*third);
    EXPECT_EQ(stats().wallpaperUploads - before.wallpaperUploads, 2u);
    EXPECT_NE(Access::cacheEntry(*third), Access::cacheEntry(*first));
}

TEST_F(GlassTextures, BlurChangesBakeOnlyBeyondTheToleranceAndReuseStoredVariants) {
    auto view = makeGlass({0, 0, 40, 40}, makeTestImage(60, 120));
    ASSERT_TRUE(view);
    drawNow(*view);
    const std::uint64_t bakes = stats().blurBakes;

    view->setBlur(8.0005);
    EXPECT_FALSE(Access::needsBlurBake(*view));
    drawNow(*view);
    EXPECT_EQ(stats().blurBakes, bakes);

    view->setBlur(10.0);
    EXPECT_TRUE(Access::needsBlurBake(*view));
    drawNow(*view);
    drawNow(*view);
    EXPECT_EQ(stats().blurBakes, bakes + 1) << "exactly one bake";

    // Back to the first value: its variant is still stored with the same radius.
    view->setBlur(8.0);
    drawNow(*view);
    EXPECT_EQ(stats().blurBakes, bakes + 1);
    EXPECT_FALSE(Access::needsBlurBake(*view));
}

// Regression: a bake with a new radius used to render into the texture it had adopted, changing
// the picture of every other view (and the stored variant) that showed it.
TEST_F(GlassTextures, ABakeNeverOverwritesATextureAnotherViewShows) {
    auto wallpaper = makeTestImage(60, 120, 2);
    auto first = makeGlass({0, 0, 40, 40}, wallpaper);
    auto second = makeGlass({50, 0, 40, 40}, wallpaper);
    ASSERT_TRUE(first && second);
    drawNow(*first);
    drawNow(*second);
    const auto shared = Access::blurredTexture(*second);
    const auto before = readTexture(*shared);
    const float sharedRadius = Access::lastBakedBlurRadius(*second);

    first->setBlur(1.0);
    drawNow(*first);
    EXPECT_NE(Access::blurredTexture(*first), shared);
    EXPECT_EQ(readTexture(*shared), before) << "the second view's picture did not change";
    auto stored = Access::cacheEntry(*first)->blurVariant(LGBlurKey(8.0));
    ASSERT_TRUE(stored);
    EXPECT_EQ(stored->texture, shared);
    EXPECT_EQ(stored->bakedBlurRadius, sharedRadius);
}

TEST_F(GlassTextures, VariantsNobodyShowsAreTrimmedToTheLimit) {
    auto view = makeGlass({0, 0, 40, 40}, makeTestImage(60, 120));
    ASSERT_TRUE(view);
    for (double blur : {1.0, 2.0, 3.0, 4.0, 5.0, 6.0, 7.0}) {
        view->setBlur(blur);
        drawNow(*view);
    }
    const auto& entry = Access::cacheEntry(*view);
    EXPECT_EQ(entry->blurVariantCount(), LGTextureCacheEntry::kMaxBlurVariants);
    EXPECT_TRUE(entry->blurVariant(LGBlurKey(7.0))) << "the view's own stays";
    EXPECT_FALSE(entry->blurVariant(LGBlurKey(1.0))) << "the oldest went";
}

TEST_F(GlassTextures, CacheEntriesLiveWithTheirImage) {
    auto& cache = LGGlassContextShared()->textureCache;
    const std::size_t images = cache.imageCount();
    auto wallpaper = makeTestImage(30, 30);
    auto view = makeGlass({0, 0, 40, 40}, wallpaper);
    ASSERT_TRUE(view);
    view->updateOrigin();
    EXPECT_EQ(cache.imageCount(), images + 1);

    // Releasing after upload drops the view's reference; the cache never held one.
    view->setReleasesWallpaperAfterUpload(true);
    EXPECT_FALSE(view->wallpaperImage());
    wallpaper.reset();
    EXPECT_EQ(cache.imageCount(), images);
    EXPECT_TRUE(Access::bgTexture(*view)) << "the view keeps what it shows";
}

TEST_F(GlassTextures, MaskUploadsOnceForEqualImagesAndGoesAwayWithNull) {
    auto view = makeGlass({0, 0, 40, 20}, makeTestImage(30, 30));
    ASSERT_TRUE(view);
    const std::uint64_t uploads = stats().maskUploads;
    view->setShapeMaskImage(makeDiscMask(80, 40, 2.0));
    ASSERT_TRUE(Access::shapeMaskTexture(*view));
    EXPECT_EQ(Access::shapeMaskTexture(*view)->width(), 80u);
    EXPECT_EQ(Access::shapeMaskTexture(*view)->height(), 40u);
    view->setShapeMaskImage(makeDiscMask(80, 40, 2.0));
    EXPECT_EQ(stats().maskUploads, uploads + 1) << "an equal image is no change";
    view->setShapeMaskImage(nullptr);
    EXPECT_FALSE(Access::shapeMaskTexture(*view));
    EXPECT_EQ(Access::frameUniforms(*view, 0).hasShapeMask, 0.0f);
}

TEST_F(GlassTextures, MaskEdgeFieldIsMadeWithTheMaskForTheDrawableAndAgainWhenItsSizeChanges) {
    auto view = makeGlass({0, 0, 40, 20}, makeTestImage(30, 30));
    ASSERT_TRUE(view);
    const std::uint64_t fields = stats().maskEdgeFields;
    view->setShapeMaskImage(makeDiscMask(80, 40, 2.0));
    const LGMaskEdgeFieldTextures& edges = Access::shapeMaskEdgeField(*view);
    ASSERT_TRUE(edges);
    base::Size drawable = view->surfaceView()->drawableSize();
    EXPECT_EQ(edges.placement.drawableWidth, static_cast<int>(drawable.width))
        << "made for the drawable, not for the mask";
    EXPECT_EQ(edges.placement.drawableHeight, static_cast<int>(drawable.height));
    EXPECT_EQ(stats().maskEdgeFields, fields + 1);

    drawNow(*view);
    EXPECT_EQ(stats().maskEdgeFields, fields + 1) << "the same drawable keeps its field";
    EXPECT_GT(stats().framesCommitted, 0u);

    // A new size makes a new drawable; its first frame makes the field for it.
    view->setFrame({0, 0, 50, 24});
    view->layoutIfNeeded();
    drawable = view->surfaceView()->drawableSize();
    const std::uint64_t frames = stats().framesCommitted;
    drawNow(*view);
    EXPECT_EQ(stats().framesCommitted, frames + 1);
    EXPECT_EQ(stats().maskEdgeFields, fields + 2);
    ASSERT_TRUE(Access::shapeMaskEdgeField(*view));
    EXPECT_EQ(Access::shapeMaskEdgeField(*view).placement.drawableWidth,
              static_cast<int>(drawable.width));

    view->setShapeMaskImage(nullptr);
    EXPECT_FALSE(Access::shapeMaskEdgeField(*view));
    drawNow(*view);
    EXPECT_EQ(stats().framesCommitted, frames + 2) << "rectangle glass draws without a field";
}

// Regression (fault 11): a bake was counted as done and stored as a shared variant when it was
// recorded, so a command buffer that then failed left the view without a blur for good and let
// other views adopt a texture that was never blurred.
TEST_F(GlassTextures, FailedBlurBakeIsReArmedAndNeverShared) {
    LGGlassContext* context = LGGlassContextShared();
    auto wallpaper = makeTestImage(60, 120, 2);
    auto view = makeGlass({0, 0, 40, 40}, wallpaper);
    ASSERT_TRUE(view);
    std::uint64_t bakes = stats().blurBakes;

    // Without a placeholder for the missing mask the frame cannot be drawn: nothing is recorded.
    const auto placeholder = context->placeholderMask;
    context->placeholderMask.reset();
    drawNow(*view);
    context->placeholderMask = placeholder;
    EXPECT_EQ(stats().blurBakes, bakes);
    EXPECT_TRUE(Access::needsBlurBake(*view));

    // A frame whose buffer fails as a whole: its sampler slot is left empty.
    const auto sampler = context->sampler;
    context->sampler.reset();
    drawNow(*view);
    context->sampler = sampler;
    EXPECT_EQ(stats().blurBakes, bakes + 1) << "the bake was recorded";
    EXPECT_TRUE(Access::needsBlurBake(*view)) << "and is wanted again";
    EXPECT_FALSE(Access::cacheEntry(*view)->blurVariant(LGBlurKey(8.0)))
        << "a bake that never ran is not offered to other views";

    // A second view of the same wallpaper bakes its own rather than adopting the failed one.
    auto other = makeGlass({50, 0, 40, 40}, wallpaper);
    ASSERT_TRUE(other);
    drawNow(*other);
    EXPECT_EQ(stats().blurBakes, bakes + 2);
    EXPECT_NE(Access::blurredTexture(*other), Access::blurredTexture(*view));

    // The first view's next sound frame adopts the good variant; nothing is left pending.
    drawNow(*view);
    EXPECT_FALSE(Access::needsBlurBake(*view));
    EXPECT_EQ(Access::blurredTexture(*view), Access::blurredTexture(*other));
}

// Regression (fault 12): the upload, CPU copy and blur variants of a wallpaper image that had died
// stayed in the cache, and in a view left without a wallpaper, until some later upload.
TEST_F(GlassTextures, TexturesOfADeadWallpaperGoWithTheImage) {
    auto& cache = LGGlassContextShared()->textureCache;
    const std::size_t images = cache.imageCount();
    auto wallpaper = makeTestImage(30, 30);
    auto view = makeGlass({0, 0, 40, 40}, wallpaper);
    auto bystander = makeGlass({50, 0, 40, 40}, makeTestImage(20, 20));
    ASSERT_TRUE(view && bystander);
    drawNow(*view);
    drawNow(*bystander);
    const std::weak_ptr<LGTextureCacheEntry> entry = Access::cacheEntry(*view);
    const std::weak_ptr<gpu::Texture> upload = Access::bgTexture(*view);
    const std::weak_ptr<gpu::Texture> blurred = Access::blurredTexture(*view);
    ASSERT_FALSE(entry.expired() || upload.expired() || blurred.expired());

    // The view lets go of its wallpaper: its textures go at once.
    view->setWallpaperImage(nullptr);
    EXPECT_FALSE(Access::bgTexture(*view));
    EXPECT_FALSE(Access::blurredTexture(*view));
    EXPECT_FALSE(Access::cacheEntry(*view));
    EXPECT_FALSE(entry.expired()) << "the image still lives elsewhere: its upload stays shared";

    // The image dies elsewhere: the next frame of any glass view takes its upload along, with
    // no upload in between.
    const std::uint64_t uploads = stats().wallpaperUploads;
    wallpaper.reset();
    drawNow(*bystander);
    EXPECT_EQ(stats().wallpaperUploads, uploads);
    EXPECT_TRUE(entry.expired());
    EXPECT_TRUE(upload.expired());
    EXPECT_TRUE(blurred.expired());
    EXPECT_EQ(cache.imageCount(), images + 1) << "only the bystander's image is left";
}
