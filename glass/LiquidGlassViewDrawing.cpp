// The glass view's frames: pacing of draw requests and the draw pass itself.
#include <algorithm>
#include <cmath>

#include "glass/LGFrameRate.h"
#include "glass/LGGlassContext.h"
#include "glass/LGGlassPipeline.h"
#include "glass/LiquidGlassView.h"
#include "glass/Uniforms.h"
#include "glass/detail/LGGlassStatistics.h"
#include "platform/dispatch/Queue.h"
#include "platform/dispatch/Time.h"
#include "platform/gpu/CommandBuffer.h"
#include "platform/gpu/CommandQueue.h"
#include "platform/gpu/Drawable.h"
#include "platform/gpu/RenderCommandEncoder.h"
#include "platform/gpu/RenderPassDescriptor.h"
#include "platform/gpu/Texture.h"
#include "platform/ui/Screen.h"
#include "platform/ui/Window.h"
#include "platform/ui/WindowScene.h"
#include "support/LGSharedSupport.h"

namespace {

LGFloat2 float2(double x, double y) {
    return {static_cast<float>(x), static_cast<float>(y)};
}

}  // namespace

void LiquidGlassView::scheduleDraw() {
    // Step 1: no surface, no GPU; a pending request covers this one.
    if (!_mtkView || !_mtkView->superview()) return;
    if (_drawScheduled) return;

    // Steps 2-3: the next frame is due one frame interval after the last.
    _drawScheduled = true;
    const double now = dispatch::now();
    const auto fps = static_cast<double>(LGGlassFramesPerSecond(_updateGroup));
    const double delay = _lastDrawSubmissionTime + 1.0 / fps - now;

    // Step 4: the task holds the view weakly; a view that goes away meanwhile draws nothing.
    std::weak_ptr<LiquidGlassView> weakSelf =
        std::static_pointer_cast<LiquidGlassView>(shared_from_this());
    auto task = [weakSelf] {
        if (auto self = weakSelf.lock()) self->drawScheduledFrame();
    };
    if (delay > 0) {
        // Whole nanoseconds, rounded up: a frame never comes sooner than one interval after the
        // last, not even by the nanosecond that truncation would take off every interval.
        dispatch::Queue::main()->after(static_cast<dispatch::Nanos>(std::ceil(
                                           delay * static_cast<double>(dispatch::kNanosPerSecond))),
                                       std::move(task));
    } else {
        dispatch::Queue::main()->async(std::move(task));
    }
}

void LiquidGlassView::drawScheduledFrame() {
    // Step 5: a frame only for a view that can be seen.
    _drawScheduled = false;
    if (!_mtkView || !_mtkView->superview() || !isVisibleForDrawing()) return;
    _lastDrawSubmissionTime = dispatch::now();
    _mtkView->draw();
}

Uniforms LiquidGlassView::_frameUniforms(float blurRadius) const {
    // Steps 5-7 of the draw pass: the screen, the glass on it, and the wallpaper's extent.
    const auto screen = ui::Screen::main();
    const double scale = screen->scale();
    const double W = screen->bounds().width();
    const double H = screen->bounds().height();
    const base::Rect rect = _cachedVisualRectPx;
    const double vs = _cachedVisualScale;
    float orientation = 1.0f;
    const bool tablet = screen->userInterfaceIdiom() == ui::UserInterfaceIdiom::Pad;
    if (tablet && _updateGroup != kClockUpdateGroup) {
        const auto window = this->window();
        const auto scene = window ? window->windowScene() : nullptr;
        orientation = scene ? static_cast<float>(scene->interfaceOrientation()) : 1.0f;
    }
    const base::Size wallpaperPx = _wallpaperSamplingResolution == base::Size{0, 0}
                                       ? _sourceWallpaperPixelSize
                                       : _wallpaperSamplingResolution;

    // Step 8.
    if (tablet) {
        LGTrace(
            "glass draw group=%ld screenPx={%.1f %.1f} visualPx=%@ drawable=%@ "
            "wallpaperPx=%@ wallpaperOrigin=%@",
            _updateGroup, scale * W, scale * H, rect, _cachedDrawableSizePx, wallpaperPx,
            _wallpaperOriginPt);
    }

    Uniforms uniforms;
    uniforms.resolution = float2(rect.size.width, rect.size.height);
    uniforms.screenResolution = float2(scale * W, scale * H);
    uniforms.cardOrigin = float2(rect.origin.x, rect.origin.y);
    uniforms.wallpaperResolution = float2(wallpaperPx.width, wallpaperPx.height);
    uniforms.radius = static_cast<float>(_cornerRadius * scale * vs);
    uniforms.bezelWidth = static_cast<float>(_bezelWidth * scale * vs);
    uniforms.glassThickness = static_cast<float>(_glassThickness);
    uniforms.refractionScale = static_cast<float>(_refractionScale);
    uniforms.refractiveIndex = static_cast<float>(_refractiveIndex);
    uniforms.specularOpacity = static_cast<float>(_specularOpacity);
    uniforms.specularAngle = kLGSpecularAngle;
    uniforms.blur = blurRadius;
    uniforms.wallpaperOrigin = float2(_wallpaperOriginPt.x * scale, _wallpaperOriginPt.y * scale);
    uniforms.samplingOrientation = orientation;
    uniforms.hasShapeMask = _shapeMaskTexture ? 1.0f : 0.0f;
    return uniforms;
}

void LiquidGlassView::drawInView(ui::GpuSurfaceView& view) {
    LGGlassContext* context = LGGlassContextShared();

    // Uploads of wallpapers that died since the last frame go before this one is drawn.
    if (context) context->textureCache.purge();

    // Step 1: the textures, made late if nothing made them yet.
    if (!_bgTexture && _wallpaperImage) _reloadTexture();
    if (_bgTexture && !_blurredTexture) _ensureBlurTexture();

    // Step 2. A frame with nothing to bind for the mask would fail as a whole; it is skipped
    // before anything (a blur bake) is recorded for it.
    if (!context || !context->pipelines || !_bgTexture || !_blurredTexture) return;
    if (!_shapeMaskTexture && !context->placeholderMask) return;

    // Step 3.
    _refreshVisualMetrics();
    if (_cachedDrawableSizePx.width < 1 || _cachedDrawableSizePx.height < 1) return;

    // Step 4: where to draw, and on which queue.
    auto drawable = view.currentDrawable();
    auto pass = view.currentRenderPassDescriptor();
    if (!drawable || !pass) return;
    // A mask's edge field is made for one drawable size; without one the mask cannot be drawn.
    if (_shapeMaskTexture) {
        const auto& target = drawable->texture();
        const LGMaskEdgeFieldPlacement& placement = _shapeMaskEdgeField.placement;
        if (!_shapeMaskEdgeField ||
            static_cast<std::size_t>(placement.drawableWidth) != target->width() ||
            static_cast<std::size_t>(placement.drawableHeight) != target->height()) {
            _reloadShapeMaskEdgeField(target->width(), target->height());
        }
        if (!_shapeMaskEdgeField) return;
    }
    const auto& queue = context->queueForGroup(_updateGroup);
    if (!queue) return;
    auto commandBuffer = queue->commandBuffer();
    if (!commandBuffer) return;

    // Step 9: the blur in wallpaper-texture pixels, in float as the GPU record holds it.
    const auto screen = ui::Screen::main();
    const auto fScale = static_cast<float>(screen->scale());
    const float texelsX = fScale * static_cast<float>(screen->bounds().width()) /
                          static_cast<float>(_bgTexture->width());
    const float texelsY = fScale * static_cast<float>(screen->bounds().height()) /
                          static_cast<float>(_bgTexture->height());
    const float radius = (fScale * static_cast<float>(_blur)) / std::max(texelsX, texelsY);

    // Step 10: the blurred copy, on this command buffer ahead of the frame. The bake counts as
    // done only if the buffer turns out sound: mistakes are found while recording, so the status
    // is known when commit returns.
    const bool baked = _bakeBlurIfNeeded(radius, *commandBuffer);
    auto commit = [&] {
        commandBuffer->commit();
        if (baked && commandBuffer->status() == gpu::CommandBuffer::Status::Error) {
            LGTrace("glass frame failed, blur bake re-armed: %@", commandBuffer->error());
            _blurBakeFailed();
        }
    };

    // Step 11: the frame's constant record.
    auto encoder = commandBuffer->renderCommandEncoder(*pass);
    if (!encoder) {
        // Let the bake recorded above run on its own.
        commit();
        return;
    }
    const Uniforms uniforms = _frameUniforms(radius);
    encoder->setFragmentBytes(&uniforms, sizeof uniforms, 0);
    // Rectangle glass never reads the placement; the block must still be bound.
    const LGMaskEdgeFieldPlacement placement = _shapeMaskEdgeField.placement;
    encoder->setFragmentBytes(&placement, sizeof placement, 1);

    // Step 12: wallpaper, mask and the mask's edge field and tiles (a white texel stands in for a
    // missing mask, and for the field and tiles of rectangle glass, which reads neither).
    const bool masked = _shapeMaskTexture != nullptr;
    const auto& placeholder = context->placeholderMask;
    encoder->setFragmentTexture(_blurredTexture, 0);
    encoder->setFragmentTexture(masked ? _shapeMaskTexture : placeholder, 1);
    encoder->setFragmentTexture(masked ? _shapeMaskEdgeField.field : placeholder, 2);
    encoder->setFragmentTexture(masked ? _shapeMaskEdgeField.tiles : placeholder, 3);
    encoder->setFragmentSamplerState(context->sampler, 0);

    // Step 13: the glass in its two draws; nothing waits for the GPU.
    LGGlassEncodeDraws(*encoder, context->pipelines,
                       masked ? _shapeMaskEdgeField.tiles.get() : nullptr);
    encoder->endEncoding();
    commandBuffer->presentDrawable(drawable);
    commit();
    ++LGGlassStatisticsShared().framesCommitted;
}
