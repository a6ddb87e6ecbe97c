#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "platform/base/Geometry.h"
#include "platform/gpu/RenderPassDescriptor.h"
#include "platform/gpu/Types.h"
#include "platform/graphics/Image.h"
#include "platform/ui/View.h"

namespace gpu {
class Device;
class Drawable;
class Texture;
}  // namespace gpu

namespace ui {

class DisplayLink;
class GpuSurfaceView;

// Draws a GPU surface's frames. Held weakly by the surface.
class GpuSurfaceViewDelegate {
  public:
    virtual ~GpuSurfaceViewDelegate() = default;
    // Before the drawable size changes to `size` (pixels), whether the surface resized it to
    // follow its bounds or somebody set it.
    virtual void drawableSizeWillChange(GpuSurfaceView& view, base::Size size) = 0;
    // Render one frame: take the current drawable and render pass descriptor, encode, present
    // the drawable on the command buffer and commit.
    virtual void drawInView(GpuSurfaceView& view) = 0;
};

// A view whose content is rendered on the GPU ("MTKView").
//
// Frames: a frame starts when the surface draws (draw(), or on its own, see below) and asks the
// delegate to render. During the frame currentDrawable() hands out one drawable, the same one on
// every call, whose texture is drawableSize() pixels; the frame ends when drawInView returns and
// the next frame gets a fresh drawable. The surface shows a frame once a command buffer that
// presents its drawable has executed: from then on the view's content (its layer's contents,
// which the compositor paints) is that frame, whatever else changes, until a later frame is
// presented. Frames whose drawable is never presented change nothing.
//
// Drawing on its own: while not paused, a surface in a window draws on every screen refresh (at
// most preferredFramesPerSecond times a second). With enableSetNeedsDisplay it instead draws
// once on the main queue's next turn after setNeedsDisplay(). Paused with enableSetNeedsDisplay
// off, it draws only when draw() is called.
//
// Colour: the surface's pixels are BGRA8 with straight (not premultiplied) alpha, which is what
// fragment programs write. On present they are converted once to the premultiplied pixels the
// rest of the platform uses (colour × alpha, rounded), so the compositor lays the frame over what
// lies below as a straight-alpha colour would be.
//
// Main thread only (the device's thread).
class GpuSurfaceView : public View {
    QV_OBJECT(GpuSurfaceView, View);

  public:
    // A surface over `device`. A surface without a device hands out no drawables and so never
    // shows a frame.
    static std::shared_ptr<GpuSurfaceView> create(base::Rect frame,
                                                  std::shared_ptr<gpu::Device> device);
    GpuSurfaceView();
    GpuSurfaceView(const base::Rect& frame, std::shared_ptr<gpu::Device> device);
    ~GpuSurfaceView() override;

    const std::shared_ptr<gpu::Device>& device() const { return device_; }

    gpu::PixelFormat colorPixelFormat() const { return colorPixelFormat_; }
    void setColorPixelFormat(gpu::PixelFormat format);
    // What the render pass descriptor clears the drawable to. Components are clamped to 0…1;
    // a NaN component leaves the colour unchanged.
    gpu::ClearColor clearColor() const { return clearColor_; }
    void setClearColor(double red, double green, double blue, double alpha);

    bool isPaused() const { return paused_; }
    void setPaused(bool paused);
    bool enableSetNeedsDisplay() const { return enableSetNeedsDisplay_; }
    void setEnableSetNeedsDisplay(bool enable);
    // 0 or less means the screen's maximum rate.
    int preferredFramesPerSecond() const { return preferredFramesPerSecond_; }
    void setPreferredFramesPerSecond(int fps);
    // A drawable that only serves as a render target; off, its texture may also be sampled.
    bool framebufferOnly() const { return framebufferOnly_; }
    void setFramebufferOnly(bool only) { framebufferOnly_ = only; }

    std::shared_ptr<GpuSurfaceViewDelegate> delegate() const { return delegate_.lock(); }
    void setDelegate(std::weak_ptr<GpuSurfaceViewDelegate> delegate) {
        delegate_ = std::move(delegate);
    }

    // In pixels. With autoResizeDrawable (the default) it follows the bounds at the main screen's
    // scale (each side rounded down); setting it also works then, until the bounds next change.
    // Sizes are truncated to whole pixels; negative or non-finite sizes are ignored. A side of 0
    // means no drawables.
    base::Size drawableSize() const { return drawableSize_; }
    void setDrawableSize(base::Size size);
    bool autoResizeDrawable() const { return autoResizeDrawable_; }
    void setAutoResizeDrawable(bool autoResize);

    // Renders one frame now: calls the delegate's drawInView before returning. Nested calls
    // (from inside drawInView) do nothing.
    void draw();

    // The drawable of the current frame; nullptr without a device, with an empty drawable size
    // or when the texture cannot be made.
    std::shared_ptr<gpu::Drawable> currentDrawable();
    // A pass that clears the current drawable's texture to the clear colour; nullopt when there
    // is no current drawable.
    std::optional<gpu::RenderPassDescriptor> currentRenderPassDescriptor();

    // The frame shown now (premultiplied, drawable-sized, at the screen scale); nullptr until a
    // frame is presented.
    const graphics::ImageRef& presentedImage() const { return presentedImage_; }
    // How many frames have been presented.
    std::uint64_t presentedFrameCount() const { return presentedFrames_; }

  protected:
    void boundsDidChange(const base::Rect& oldBounds) override;
    void displayRequested() override;

  private:
    static void registerMethods(runtime::MethodList<GpuSurfaceView>& methods);
    void didMoveToWindowSurface();

    base::Size sizeForBounds() const;
    void changeDrawableSize(base::Size size);
    std::shared_ptr<gpu::Texture> takeTexture();
    void presented(const gpu::Texture& texture);
    // Starts or stops the refresh-driven drawing to match paused, enableSetNeedsDisplay and
    // whether the view is in a window.
    void updateDisplayLink();

    std::shared_ptr<gpu::Device> device_;
    std::weak_ptr<GpuSurfaceViewDelegate> delegate_;
    gpu::PixelFormat colorPixelFormat_ = gpu::PixelFormat::BGRA8Unorm;
    gpu::ClearColor clearColor_{0, 0, 0, 1};
    base::Size drawableSize_;
    bool paused_ = false;
    bool enableSetNeedsDisplay_ = false;
    bool framebufferOnly_ = true;
    bool autoResizeDrawable_ = true;
    int preferredFramesPerSecond_ = 60;
    bool drawing_ = false;
    bool displayPending_ = false;

    std::shared_ptr<gpu::Drawable> currentDrawable_;
    // Textures of the current drawable size that drawables may reuse once nobody holds them.
    std::vector<std::shared_ptr<gpu::Texture>> texturePool_;
    graphics::ImageRef presentedImage_;
    std::uint64_t presentedFrames_ = 0;
    std::shared_ptr<DisplayLink> displayLink_;
};

}  // namespace ui
