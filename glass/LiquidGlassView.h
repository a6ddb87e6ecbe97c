#pragma once

#include <cstdint>
#include <memory>

#include "glass/LGMaskEdgeField.h"
#include "glass/Uniforms.h"
#include "platform/base/Geometry.h"
#include "platform/graphics/Image.h"
#include "platform/ui/GpuSurfaceView.h"
#include "platform/ui/View.h"

namespace gpu {
class CommandBuffer;
class Texture;
}  // namespace gpu

class LGTextureCacheEntry;
class LGZeroCopyBridge;
struct LiquidGlassViewTestAccess;

// A view that draws itself as a piece of glass over a known wallpaper: the wallpaper, blurred,
// bent through a rounded bezel, split slightly into its colours and lit along the rim. The glass
// is a rounded rectangle, or any shape given as an alpha mask.
//
// The view does not know what lies behind it; its owner tells it which wallpaper image is there
// and where the wallpaper's top-left corner lies on screen (in points). The view works out where
// it is itself, in screen pixels, following running animations.
//
// It never draws by itself. Owners call scheduleDraw() for a frame (frames are paced by the
// update group's frame-rate preference) or updateOrigin() after the view or an ancestor moved;
// every glass parameter setter requests a frame when the value really changes. Frames draw on a
// GPU surface that is the view's only subview.
//
// Uploads and blurred copies of a wallpaper are shared by every glass view of the process that
// shows the same image object at the same internal scale.
//
// Main thread only.
class LiquidGlassView : public ui::View, public ui::GpuSurfaceViewDelegate {
    QV_OBJECT(LiquidGlassView, ui::View);

  public:
    // Defaults of the glass parameters.
    static constexpr double kDefaultCornerRadius = 13.5;
    static constexpr double kDefaultBezelWidth = 14.0;
    static constexpr double kDefaultGlassThickness = 80.0;
    static constexpr double kDefaultRefractionScale = 1.2;
    static constexpr double kDefaultRefractiveIndex = 1.0;
    static constexpr double kDefaultSpecularOpacity = 0.8;
    static constexpr double kDefaultBlur = 8.0;
    // The update group of the lock-screen clock.
    static constexpr std::int64_t kClockUpdateGroup = 5;

    // A glass view of `frame` (points) showing `wallpaper`, whose top-left corner lies at
    // `wallpaperOrigin` on screen (points). The wallpaper is uploaded on the first updateOrigin()
    // or draw. nullptr when the process has no GPU context (see LGGlassContextEnsure).
    static std::shared_ptr<LiquidGlassView> create(const base::Rect& frame,
                                                   graphics::ImageRef wallpaper,
                                                   base::Point wallpaperOrigin);

    // Use create(); a view made only by the constructor has no surface and never draws.
    explicit LiquidGlassView(const base::Rect& frame = {});
    ~LiquidGlassView() override;

    // ---- Glass parameters -------------------------------------------------------------------
    // Setters ignore values that are not finite numbers, and values within 0.001 of the current
    // one; otherwise they store the value and request a frame.

    const graphics::ImageRef& wallpaperImage() const { return _wallpaperImage; }
    // Another image object re-uploads (or finds the shared upload) and requests a frame.
    void setWallpaperImage(graphics::ImageRef image);
    base::Point wallpaperOrigin() const { return _wallpaperOriginPt; }
    void setWallpaperOrigin(base::Point origin);
    double cornerRadius() const { return _cornerRadius; }
    // Also rounds the view's layer.
    void setCornerRadius(double radius);
    double bezelWidth() const { return _bezelWidth; }
    void setBezelWidth(double width);
    double glassThickness() const { return _glassThickness; }
    void setGlassThickness(double thickness);
    double refractionScale() const { return _refractionScale; }
    void setRefractionScale(double scale);
    double refractiveIndex() const { return _refractiveIndex; }
    void setRefractiveIndex(double index);
    double specularOpacity() const { return _specularOpacity; }
    void setSpecularOpacity(double opacity);
    // Blur radius of the wallpaper behind the glass, in points. A change re-blurs on the next
    // frame (or adopts a blurred copy another view already made).
    double blur() const { return _blur; }
    void setBlur(double blur);
    // Caps the internal resolution of the wallpaper texture, 0.1 ... 1 of the source's pixels.
    double wallpaperScale() const { return _wallpaperScale; }
    void setWallpaperScale(double scale);
    // The alpha of this image shapes the glass; nullptr for a rounded rectangle. An image equal
    // to the current one (same pixels, size, scale and orientation) changes nothing.
    const graphics::ImageRef& shapeMaskImage() const { return _shapeMaskImage; }
    void setShapeMaskImage(graphics::ImageRef image);
    // The wallpaper's extent on screen in pixels; (0, 0) means the source image's pixel size.
    base::Size wallpaperSamplingResolution() const { return _wallpaperSamplingResolution; }
    void setWallpaperSamplingResolution(base::Size size);
    // When set, the view lets go of its wallpaper image once it is uploaded (at once when it
    // already is); the shared upload then lasts while someone else holds the image.
    bool releasesWallpaperAfterUpload() const { return _releasesWallpaperAfterUpload; }
    void setReleasesWallpaperAfterUpload(bool releases);
    // The role of the view: it picks the frame-rate preference, the ceiling of the internal
    // texture scale, the GPU command queue and, on tablets, the orientation rule. The lock-screen
    // clock is group 5, settings controls group 0.
    std::int64_t updateGroup() const { return _updateGroup; }
    void setUpdateGroup(std::int64_t group);

    // ---- Drawing ----------------------------------------------------------------------------
    // After the view or an ancestor moved (or each frame while they animate): re-measures the
    // view on screen and requests a frame when it moved by half a pixel or more. A hidden, nearly
    // transparent or entirely off-screen view requests nothing.
    void updateOrigin();
    // Requests one frame. Requests made while one is pending are absorbed by it; frames are at
    // least 1 / (the group's frame rate) seconds apart.
    void scheduleDraw();

    // The GPU surface the glass draws on; nullptr for a view made without create().
    const std::shared_ptr<ui::GpuSurfaceView>& surfaceView() const { return _mtkView; }

    // ---- Surface delegate -------------------------------------------------------------------
    void drawableSizeWillChange(ui::GpuSurfaceView& view, base::Size size) override;
    // The draw pass: one frame of glass onto the surface's drawable.
    void drawInView(ui::GpuSurfaceView& view) override;

  protected:
    // The second half of create(): defaults, GPU context, surface, layer. False when there is no
    // GPU context. Subclasses that make their own instances call it once after construction.
    bool setUpGlass(graphics::ImageRef wallpaper, base::Point wallpaperOrigin);

  private:
    friend struct LiquidGlassViewTestAccess;

    static void registerMethods(runtime::MethodList<LiquidGlassView>& methods);
    void layoutGlass();

    // Textures.
    double _recommendedInternalTextureScaleForSourceWidth(std::uint64_t width,
                                                          std::uint64_t height) const;
    void _reloadTexture();
    void _ensureBlurTexture();
    void _runBlurPassesWithRadius(float radius, gpu::CommandBuffer& commandBuffer);
    // True when it recorded a bake into `commandBuffer`.
    bool _bakeBlurIfNeeded(float radius, gpu::CommandBuffer& commandBuffer);
    // The buffer holding the last recorded bake failed: bake again, and withdraw the variant.
    void _blurBakeFailed();
    // Drops the wallpaper textures, for a view left without a wallpaper image.
    void _releaseWallpaperTextures();
    void _reloadShapeMaskTexture();
    // The mask's edge field for a drawable of this size; none when that cannot be made.
    void _reloadShapeMaskEdgeField(std::size_t width, std::size_t height);

    // Where the view is on screen; true when that changed.
    bool _refreshVisualMetrics();
    bool isVisibleForDrawing() const;
    // The constant record of a frame drawn now over a wallpaper blurred by `blurRadius`.
    Uniforms _frameUniforms(float blurRadius) const;
    void drawScheduledFrame();

    // Glass parameters.
    double _cornerRadius = kDefaultCornerRadius;
    double _bezelWidth = kDefaultBezelWidth;
    double _glassThickness = kDefaultGlassThickness;
    double _refractionScale = kDefaultRefractionScale;
    double _refractiveIndex = kDefaultRefractiveIndex;
    double _specularOpacity = kDefaultSpecularOpacity;
    double _blur = kDefaultBlur;
    double _wallpaperScale = 1.0;
    base::Size _wallpaperSamplingResolution;
    std::int64_t _updateGroup = 0;
    base::Point _wallpaperOriginPt;

    // Texture state.
    bool _needsBlurBake = true;
    float _lastBakedBlurRadius = -1.0f;
    double _effectiveTextureScale = -1.0;

    base::Size _lastLayoutBounds;
    // Media time of the last frame drawn; 0 before the first.
    double _lastDrawSubmissionTime = 0.0;

    std::shared_ptr<ui::GpuSurfaceView> _mtkView;
    graphics::ImageRef _wallpaperImage;
    graphics::ImageRef _shapeMaskImage;
    bool _releasesWallpaperAfterUpload = false;

    std::shared_ptr<gpu::Texture> _bgTexture;
    std::shared_ptr<LGTextureCacheEntry> _cacheEntry;
    std::shared_ptr<gpu::Texture> _shapeMaskTexture;
    std::shared_ptr<LGZeroCopyBridge> _shapeMaskBridge;
    // Where the mask's edges are, for each pixel of the drawable (LGMaskEdgeField.h). Made with
    // the mask, and again when the drawable changes size.
    LGMaskEdgeFieldTextures _shapeMaskEdgeField;

    // Where the view is on screen, in pixels, as last measured.
    base::Rect _cachedVisualRectPx;
    bool _drawScheduled = false;
    bool _hasCachedVisualMetrics = false;
    base::Size _cachedDrawableSizePx;
    float _cachedVisualScale = 1.0f;

    std::shared_ptr<gpu::Texture> _blurredTexture;
    // Whether _blurredTexture is also a stored blur variant (adopted from one, or stored after a
    // bake). Such a texture is never baked into again: a bake with another radius gets a texture
    // of its own, so that no other view's picture changes under it.
    bool _blurredTextureShared = false;
    base::Size _sourceWallpaperPixelSize;
};
