// The glass view's textures: the wallpaper upload with its shared cache entry, the blurred copy
// and how it is baked, and the shape mask.
#include <algorithm>
#include <cmath>

#include "glass/LGGlassContext.h"
#include "glass/LGMaskEdgeField.h"
#include "glass/LGNormalizedImage.h"
#include "glass/LGTextureCache.h"
#include "glass/LGZeroCopyBridge.h"
#include "glass/LiquidGlassView.h"
#include "glass/detail/LGGlassStatistics.h"
#include "platform/gpu/BlitCommandEncoder.h"
#include "platform/gpu/CommandBuffer.h"
#include "platform/gpu/Device.h"
#include "platform/gpu/GaussianBlur.h"
#include "platform/gpu/Texture.h"
#include "platform/graphics/Context.h"
#include "platform/ui/Screen.h"

namespace {

// The highest internal scale of each update group's wallpaper texture; 1 for groups without one.
double textureScaleCeiling(std::int64_t group) {
    switch (group) {
        case 1:
        case 3:
        case 4:
            return 0.42;
        case 2:
        case 7:
            return 0.28;
        case 5:
            return 0.65;
        case 6:
            return 0.30;
        case 8:
            return 0.34;
        default:
            return 1.0;
    }
}

// Draws `image` over the whole drawing context, which is in pixels.
LGZeroCopyBridge::Actions drawImageFilling(const graphics::ImageRef& image, std::size_t width,
                                           std::size_t height) {
    return [image, width, height](graphics::Context& context) {
        const base::Rect rect{0, 0, static_cast<double>(width), static_cast<double>(height)};
        context.clear(rect);
        context.drawImage(*image, rect);
    };
}

}  // namespace

double LiquidGlassView::_recommendedInternalTextureScaleForSourceWidth(std::uint64_t width,
                                                                       std::uint64_t height) const {
    const double ws = std::clamp(_wallpaperScale, 0.1, 1.0);
    const base::Rect b = bounds();
    const double viewMax = ui::Screen::main()->scale() * std::max(b.width(), b.height());
    const double srcMax = static_cast<double>(std::max(width, height));
    if (srcMax <= 1.0 || viewMax <= 1.0) return ws;
    // Never more than 2.4 times the view's longest side, never below 16% by that rule.
    const double fit = std::clamp(viewMax * 2.4 / srcMax, 0.16, 1.0);
    return std::min({ws, fit, textureScaleCeiling(_updateGroup)});
}

void LiquidGlassView::_reloadTexture() {
    // Step 1: the upright image; the cache is keyed on this object.
    graphics::ImageRef image = LGNormalizedImage(_wallpaperImage);
    if (!image) return;
    LGGlassContext* context = LGGlassContextShared();
    if (!context) return;

    // Steps 2-4: source size, internal scale and target size.
    const base::Size points = image->size();
    const auto srcW = static_cast<std::uint64_t>(points.width * image->scale());
    const auto srcH = static_cast<std::uint64_t>(points.height * image->scale());
    const double s = _recommendedInternalTextureScaleForSourceWidth(srcW, srcH);
    _effectiveTextureScale = s;
    _sourceWallpaperPixelSize = {static_cast<double>(srcW), static_cast<double>(srcH)};
    const auto tw =
        static_cast<std::size_t>(std::max(1.0, std::nearbyint(s * static_cast<double>(srcW))));
    const auto th =
        static_cast<std::size_t>(std::max(1.0, std::nearbyint(s * static_cast<double>(srcH))));

    // Step 5-6: a hit shares the upload and, when one was baked for this blur, its blurred copy.
    const std::int64_t scaleKey = LGTextureScaleKey(s);
    if (auto entry = context->textureCache.entry(image, scaleKey)) {
        _cacheEntry = entry;
        _bgTexture = entry->bgTexture();
        auto variant = entry->blurVariant(LGBlurKey(_blur));
        _blurredTexture = variant ? variant->texture : nullptr;
        _blurredTextureShared = _blurredTexture != nullptr;
        if (_blurredTexture) {
            _needsBlurBake = false;
            _lastBakedBlurRadius = variant->bakedBlurRadius;
        } else {
            _needsBlurBake = true;
            _lastBakedBlurRadius = -1.0f;
        }
    } else {
        // Step 7: a miss draws the image, scaled to the target size, into a new bridge. A bridge
        // that cannot be set up leaves the previous textures in place.
        auto bridge = std::make_shared<LGZeroCopyBridge>(context->device);
        if (!bridge->setupBufferWithWidth(tw, th)) return;
        _bgTexture = bridge->renderWithActions(drawImageFilling(image, tw, th));
        if (!_bgTexture) return;
        ++LGGlassStatisticsShared().wallpaperUploads;

        // Step 8: the new upload is shared from now on; its blurred copy is made at the next draw.
        _blurredTexture = nullptr;
        _blurredTextureShared = false;
        _cacheEntry = std::make_shared<LGTextureCacheEntry>(_bgTexture, bridge);
        context->textureCache.setEntry(image, scaleKey, _cacheEntry);
        _needsBlurBake = true;
        _lastBakedBlurRadius = -1.0f;
    }

    // Step 9.
    if (_releasesWallpaperAfterUpload) _wallpaperImage.reset();
}

void LiquidGlassView::_ensureBlurTexture() {
    if (_blurredTexture || !_bgTexture) return;
    LGGlassContext* context = LGGlassContextShared();
    if (!context) return;
    _blurredTexture = context->device->newTexture(gpu::TextureDescriptor::texture2D(
        _bgTexture->width(), _bgTexture->height(),
        gpu::TextureUsage::ShaderRead | gpu::TextureUsage::ShaderWrite));
    _blurredTextureShared = false;
}

void LiquidGlassView::_runBlurPassesWithRadius(float radius, gpu::CommandBuffer& commandBuffer) {
    if (!_bgTexture || !_blurredTexture) return;
    if (radius >= 0.5f) {
        const float sigma = std::max(radius * 0.5f, 0.1f);
        auto kernel = LGGaussianKernel(_bgTexture->device(), sigma);
        if (kernel && kernel->encode(commandBuffer, _bgTexture, _blurredTexture)) return;
        // Without a kernel the glass still shows the wallpaper, unblurred, rather than whatever
        // the new texture held.
    }
    // Below half a texel there is nothing to blur: a plain copy.
    if (auto blit = commandBuffer.blitCommandEncoder()) {
        blit->copyFromTexture(_bgTexture, _blurredTexture);
        blit->endEncoding();
    }
}

bool LiquidGlassView::_bakeBlurIfNeeded(float radius, gpu::CommandBuffer& commandBuffer) {
    // Step 1: the texture already shows this radius.
    if (!_needsBlurBake && radius == _lastBakedBlurRadius) return false;

    // Step 2: another view may have baked this blur for the same upload already.
    if (_cacheEntry) {
        auto variant = _cacheEntry->blurVariant(LGBlurKey(_blur));
        if (variant && variant->texture) {
            _blurredTexture = variant->texture;
            _blurredTextureShared = true;
            _lastBakedBlurRadius = variant->bakedBlurRadius;
            _needsBlurBake = false;
        }
    }

    // Step 3: bake. A texture that is also a stored variant (this view's or one it adopted) may
    // be on screen in other views and must keep its blur, so the bake goes into a new one.
    if (!_needsBlurBake && radius == _lastBakedBlurRadius) return false;
    if (_blurredTextureShared) {
        _blurredTexture.reset();
        _blurredTextureShared = false;
    }
    _ensureBlurTexture();
    if (!_blurredTexture) return false;  // no memory for it: try again next frame
    _runBlurPassesWithRadius(radius, commandBuffer);
    ++LGGlassStatisticsShared().blurBakes;
    _lastBakedBlurRadius = radius;
    _needsBlurBake = false;
    if (_cacheEntry) {
        _cacheEntry->setBlurVariant(LGBlurKey(_blur), {_blurredTexture, radius});
        _blurredTextureShared = true;
    }
    return true;
}

void LiquidGlassView::_blurBakeFailed() {
    // The texture holds whatever it held before; it is this view's alone again (nothing else
    // could adopt it between recording and commit), so the next frame bakes into it.
    if (_cacheEntry && _blurredTexture) {
        _cacheEntry->removeBlurVariant(LGBlurKey(_blur), _blurredTexture);
    }
    _blurredTextureShared = false;
    _needsBlurBake = true;
    _lastBakedBlurRadius = -1.0f;
}

void LiquidGlassView::_releaseWallpaperTextures() {
    _bgTexture.reset();
    _blurredTexture.reset();
    _blurredTextureShared = false;
    _cacheEntry.reset();
    _needsBlurBake = true;
    _lastBakedBlurRadius = -1.0f;
    if (LGGlassContext* context = LGGlassContextShared()) context->textureCache.purge();
}

void LiquidGlassView::_reloadShapeMaskTexture() {
    // Step 1: the previous mask goes in every case.
    graphics::ImageRef image = LGNormalizedImage(_shapeMaskImage);
    _shapeMaskTexture.reset();
    _shapeMaskBridge.reset();
    _shapeMaskEdgeField = {};

    // Step 2: without an image (or a GPU) the glass is a rounded rectangle.
    LGGlassContext* context = LGGlassContextShared();
    if (!image || !context) return;

    // Steps 3-4: the mask at its pixel size; only its alpha is read.
    const base::Size points = image->size();
    const auto w =
        static_cast<std::size_t>(std::max(1.0, std::nearbyint(points.width * image->scale())));
    const auto h =
        static_cast<std::size_t>(std::max(1.0, std::nearbyint(points.height * image->scale())));
    auto bridge = std::make_shared<LGZeroCopyBridge>(context->device);
    if (!bridge->setupBufferWithWidth(w, h)) return;
    auto texture = bridge->renderWithActions(drawImageFilling(image, w, h));
    if (!texture) return;
    ++LGGlassStatisticsShared().maskUploads;
    _shapeMaskBridge = std::move(bridge);
    _shapeMaskTexture = std::move(texture);

    // Step 5: the edge field, for the drawable as it is now (the mask's size before the first
    // layout); a draw on a drawable of another size makes it again.
    const base::Size drawable = _mtkView ? _mtkView->drawableSize() : base::Size{};
    if (drawable.width >= 1 && drawable.height >= 1) {
        _reloadShapeMaskEdgeField(static_cast<std::size_t>(drawable.width),
                                  static_cast<std::size_t>(drawable.height));
    } else {
        _reloadShapeMaskEdgeField(w, h);
    }
}

void LiquidGlassView::_reloadShapeMaskEdgeField(std::size_t width, std::size_t height) {
    _shapeMaskEdgeField = {};
    if (!_shapeMaskBridge || !_shapeMaskTexture) return;
    const LGZeroCopyBridge& bridge = *_shapeMaskBridge;
    const LGMaskPixels mask{bridge.bufferBytes(), bridge.bufferWidth(), bridge.bufferHeight(),
                            bridge.bufferWidth() * 4};
    _shapeMaskEdgeField = LGMaskEdgeFieldUpload(bridge.device(), mask, width, height);
    if (_shapeMaskEdgeField) ++LGGlassStatisticsShared().maskEdgeFields;
}
