#include "platform/ui/GpuSurfaceView.h"

#include <algorithm>
#include <cmath>

#include "platform/dispatch/Queue.h"
#include "platform/dispatch/RunLoop.h"
#include "platform/gpu/Device.h"
#include "platform/gpu/Drawable.h"
#include "platform/gpu/Texture.h"
#include "platform/ui/DisplayLink.h"
#include "platform/ui/Layer.h"
#include "platform/ui/Screen.h"
#include "platform/ui/Window.h"

namespace ui {

QV_DEFINE_CLASS(GpuSurfaceView, "MTKView");

namespace {

// Drawables in flight at once before the surface stops reusing textures.
constexpr std::size_t kTexturePoolSize = 3;

// Whole pixels: negative and non-finite sides are refused by the callers; fractions drop.
base::Size wholePixels(base::Size size) {
    return {std::floor(size.width), std::floor(size.height)};
}

// Straight-alpha BGRA as rendered → the premultiplied BGRA images hold, rounding to nearest.
void premultiply(std::vector<std::uint8_t>& pixels) {
    for (std::size_t i = 0; i + 3 < pixels.size(); i += 4) {
        const unsigned a = pixels[i + 3];
        if (a == 255) continue;
        for (std::size_t c = 0; c < 3; ++c) {
            pixels[i + c] = static_cast<std::uint8_t>((pixels[i + c] * a + 127) / 255);
        }
    }
}

}  // namespace

void GpuSurfaceView::registerMethods(runtime::MethodList<GpuSurfaceView>& methods) {
    methods.add<&GpuSurfaceView::didMoveToWindowSurface>(kDidMoveToWindow);
}

GpuSurfaceView::GpuSurfaceView() {
    drawableSize_ = sizeForBounds();
}

GpuSurfaceView::GpuSurfaceView(const base::Rect& frame, std::shared_ptr<gpu::Device> device)
    : View(frame), device_(std::move(device)) {
    drawableSize_ = sizeForBounds();
}

GpuSurfaceView::~GpuSurfaceView() {
    if (displayLink_) displayLink_->invalidate();
}

std::shared_ptr<GpuSurfaceView> GpuSurfaceView::create(base::Rect frame,
                                                       std::shared_ptr<gpu::Device> device) {
    return std::make_shared<GpuSurfaceView>(frame, std::move(device));
}

void GpuSurfaceView::setColorPixelFormat(gpu::PixelFormat format) {
    // BGRA8 is the only format there is; the setter exists so callers state what they render.
    colorPixelFormat_ = format;
}

void GpuSurfaceView::setClearColor(double red, double green, double blue, double alpha) {
    if (std::isnan(red) || std::isnan(green) || std::isnan(blue) || std::isnan(alpha)) return;
    clearColor_ = {std::clamp(red, 0.0, 1.0), std::clamp(green, 0.0, 1.0),
                   std::clamp(blue, 0.0, 1.0), std::clamp(alpha, 0.0, 1.0)};
}

void GpuSurfaceView::setPaused(bool paused) {
    if (paused == paused_) return;
    paused_ = paused;
    updateDisplayLink();
}

void GpuSurfaceView::setEnableSetNeedsDisplay(bool enable) {
    if (enable == enableSetNeedsDisplay_) return;
    enableSetNeedsDisplay_ = enable;
    updateDisplayLink();
}

void GpuSurfaceView::setPreferredFramesPerSecond(int fps) {
    fps = std::max(fps, 0);
    if (fps == preferredFramesPerSecond_) return;
    preferredFramesPerSecond_ = fps;
    if (displayLink_) displayLink_->setPreferredFramesPerSecond(fps);
}

// ---- Drawable size ------------------------------------------------------------------------------

base::Size GpuSurfaceView::sizeForBounds() const {
    const double scale = Screen::main()->scale();
    const base::Size size = bounds().size;
    return wholePixels({std::max(size.width * scale, 0.0), std::max(size.height * scale, 0.0)});
}

void GpuSurfaceView::setDrawableSize(base::Size size) {
    if (!std::isfinite(size.width) || !std::isfinite(size.height) || size.width < 0 ||
        size.height < 0) {
        return;
    }
    changeDrawableSize(wholePixels(size));
}

void GpuSurfaceView::setAutoResizeDrawable(bool autoResize) {
    if (autoResize == autoResizeDrawable_) return;
    autoResizeDrawable_ = autoResize;
    if (autoResize) changeDrawableSize(sizeForBounds());
}

void GpuSurfaceView::changeDrawableSize(base::Size size) {
    if (size == drawableSize_) return;
    // Told first, so that the delegate can still see the old size.
    if (auto delegate = delegate_.lock()) delegate->drawableSizeWillChange(*this, size);
    drawableSize_ = size;
    texturePool_.clear();
    // A frame in progress keeps the drawable it may already be encoding into.
    if (!drawing_) currentDrawable_.reset();
}

void GpuSurfaceView::boundsDidChange(const base::Rect& oldBounds) {
    View::boundsDidChange(oldBounds);
    if (autoResizeDrawable_ && oldBounds.size != bounds().size) {
        changeDrawableSize(sizeForBounds());
    }
}

// ---- Frames -------------------------------------------------------------------------------------

void GpuSurfaceView::draw() {
    if (drawing_) return;
    displayPending_ = false;
    const auto delegate = delegate_.lock();
    if (!delegate) return;
    // The delegate may drop the last outside reference to the view while it renders.
    const auto self = runtime::retained(this);
    drawing_ = true;
    delegate->drawInView(*this);
    drawing_ = false;
    currentDrawable_.reset();
    layer()->clearNeedsDisplay();
}

std::shared_ptr<gpu::Texture> GpuSurfaceView::takeTexture() {
    // A pooled texture is free when the pool holds the only reference: no drawable and no
    // command buffer still uses it.
    for (const auto& texture : texturePool_) {
        if (texture.use_count() == 1) return texture;
    }
    gpu::TextureUsage usage = gpu::TextureUsage::RenderTarget;
    if (!framebufferOnly_) usage = usage | gpu::TextureUsage::ShaderRead;
    auto texture = device_->newTexture(
        gpu::TextureDescriptor{colorPixelFormat_, std::size_t(drawableSize_.width),
                               std::size_t(drawableSize_.height), usage});
    if (texture && texturePool_.size() < kTexturePoolSize) texturePool_.push_back(texture);
    return texture;
}

std::shared_ptr<gpu::Drawable> GpuSurfaceView::currentDrawable() {
    if (currentDrawable_) return currentDrawable_;
    if (!device_ || drawableSize_.width < 1 || drawableSize_.height < 1) return nullptr;
    auto texture = takeTexture();
    if (!texture) return nullptr;
    std::weak_ptr<GpuSurfaceView> weak = runtime::weakRef(this);
    currentDrawable_ =
        gpu::Drawable::create(std::move(texture), [weak](const gpu::Texture& presented) {
            if (auto view = weak.lock()) view->presented(presented);
        });
    return currentDrawable_;
}

std::optional<gpu::RenderPassDescriptor> GpuSurfaceView::currentRenderPassDescriptor() {
    auto drawable = currentDrawable();
    if (!drawable) return std::nullopt;
    return gpu::RenderPassDescriptor::clearing(drawable->texture(), clearColor_);
}

void GpuSurfaceView::presented(const gpu::Texture& texture) {
    const std::size_t width = texture.width();
    const std::size_t height = texture.height();
    std::vector<std::uint8_t> pixels(width * height * 4);
    // A failed read-back keeps the previous frame on screen.
    if (!texture.getBytes(pixels.data(), width * 4, texture.wholeRegion())) return;
    premultiply(pixels);
    const double scale = Screen::main()->scale();
    auto image = graphics::Image::adoptPixels(std::move(pixels), int(width), int(height), scale);
    if (!image) return;
    presentedImage_ = image;
    ++presentedFrames_;
    layer()->setContents(std::move(image));
    layer()->setContentsScale(scale);
}

// ---- Drawing on its own -------------------------------------------------------------------------

void GpuSurfaceView::didMoveToWindowSurface() {
    kDidMoveToWindow.sendSuper(this);
    updateDisplayLink();
}

void GpuSurfaceView::displayRequested() {
    if (!enableSetNeedsDisplay_ || displayPending_) return;
    displayPending_ = true;
    std::weak_ptr<GpuSurfaceView> weak = runtime::weakRef(this);
    dispatch::Queue::main()->async([weak] {
        auto view = weak.lock();
        if (!view || !view->displayPending_) return;
        view->displayPending_ = false;
        if (view->enableSetNeedsDisplay_ && view->window()) view->draw();
    });
}

void GpuSurfaceView::updateDisplayLink() {
    const bool wanted = !paused_ && !enableSetNeedsDisplay_ && window() != nullptr;
    if (wanted == (displayLink_ != nullptr)) return;
    if (!wanted) {
        displayLink_->invalidate();
        displayLink_.reset();
        return;
    }
    std::weak_ptr<GpuSurfaceView> weak = runtime::weakRef(this);
    displayLink_ = DisplayLink::create([weak](DisplayLink&) {
        if (auto view = weak.lock()) view->draw();
    });
    displayLink_->setPreferredFramesPerSecond(preferredFramesPerSecond_);
    displayLink_->addToRunLoop(dispatch::RunLoop::main(), dispatch::Mode::Common);
}

}  // namespace ui
