#include "glass/LiquidGlassView.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "glass/LGGlassContext.h"
#include "glass/LGTextureCache.h"
#include "glass/LGZeroCopyBridge.h"
#include "platform/gpu/Texture.h"
#include "platform/ui/Layer.h"
#include "support/LGSharedSupport.h"

QV_DEFINE_CLASS(LiquidGlassView, "LiquidGlassView");

namespace {

// Parameter changes smaller than this are not worth a frame.
constexpr double kTolerance = 0.001;

bool withinTolerance(double a, double b) {
    return std::abs(a - b) < kTolerance;
}

// Same object, or the same pixels shown the same way.
bool equalImages(const graphics::ImageRef& a, const graphics::ImageRef& b) {
    if (a == b) return true;
    if (!a || !b) return false;
    return a->pixelWidth() == b->pixelWidth() && a->pixelHeight() == b->pixelHeight() &&
           a->scale() == b->scale() && a->orientation() == b->orientation() &&
           a->byteCount() == b->byteCount() &&
           std::memcmp(a->pixels(), b->pixels(), a->byteCount()) == 0;
}

}  // namespace

void LiquidGlassView::registerMethods(runtime::MethodList<LiquidGlassView>& methods) {
    methods.add<&LiquidGlassView::layoutGlass>(kLayoutSubviews);
}

LiquidGlassView::LiquidGlassView(const base::Rect& frame) : View(frame) {}

LiquidGlassView::~LiquidGlassView() = default;

std::shared_ptr<LiquidGlassView> LiquidGlassView::create(const base::Rect& frame,
                                                         graphics::ImageRef wallpaper,
                                                         base::Point wallpaperOrigin) {
    LGAssertMainThread();
    auto view = std::make_shared<LiquidGlassView>(frame);
    if (!view->setUpGlass(std::move(wallpaper), wallpaperOrigin)) return nullptr;
    return view;
}

bool LiquidGlassView::setUpGlass(graphics::ImageRef wallpaper, base::Point wallpaperOrigin) {
    LGAssertMainThread();
    _wallpaperOriginPt = wallpaperOrigin;
    if (!LGGlassContextEnsure()) return false;
    LGGlassContext* context = LGGlassContextShared();

    // The surface draws only when the pacing tells it to: paused, no redraw on invalidation.
    auto surface = ui::GpuSurfaceView::create(bounds(), context->device);
    if (!surface) return false;
    surface->setColorPixelFormat(gpu::PixelFormat::BGRA8Unorm);
    surface->setClearColor(0, 0, 0, 0);
    surface->setFramebufferOnly(false);
    surface->setAutoresizingMask(ui::AutoresizingMask::FlexibleWidth |
                                 ui::AutoresizingMask::FlexibleHeight);
    surface->setPaused(true);
    surface->setEnableSetNeedsDisplay(false);
    auto self = std::static_pointer_cast<LiquidGlassView>(shared_from_this());
    surface->setDelegate(std::weak_ptr<ui::GpuSurfaceViewDelegate>(
        std::static_pointer_cast<ui::GpuSurfaceViewDelegate>(self)));
    _mtkView = surface;
    addSubview(surface);

    setClipsToBounds(true);
    layer()->setCornerRadius(_cornerRadius);
    layer()->setCornerCurve(ui::CornerCurve::Continuous);

    // Uploaded on the first updateOrigin() or draw, when the view knows its size.
    _wallpaperImage = std::move(wallpaper);
    return true;
}

// ---- Setters ----

void LiquidGlassView::setWallpaperImage(graphics::ImageRef image) {
    if (image == _wallpaperImage) return;
    _wallpaperImage = std::move(image);
    _cacheEntry.reset();
    // Without an image there is nothing to show: the old one's textures go now, not at the next
    // upload.
    if (!_wallpaperImage) {
        _releaseWallpaperTextures();
        return;
    }
    _reloadTexture();
    scheduleDraw();
}

void LiquidGlassView::setWallpaperOrigin(base::Point origin) {
    if (!std::isfinite(origin.x) || !std::isfinite(origin.y)) return;
    if (withinTolerance(origin.x, _wallpaperOriginPt.x) &&
        withinTolerance(origin.y, _wallpaperOriginPt.y)) {
        return;
    }
    _wallpaperOriginPt = origin;
    scheduleDraw();
}

void LiquidGlassView::setCornerRadius(double radius) {
    if (!std::isfinite(radius) || withinTolerance(radius, _cornerRadius)) return;
    _cornerRadius = radius;
    layer()->setCornerRadius(radius);
    scheduleDraw();
}

void LiquidGlassView::setBezelWidth(double width) {
    if (!std::isfinite(width) || withinTolerance(width, _bezelWidth)) return;
    _bezelWidth = width;
    scheduleDraw();
}

void LiquidGlassView::setGlassThickness(double thickness) {
    if (!std::isfinite(thickness) || withinTolerance(thickness, _glassThickness)) return;
    _glassThickness = thickness;
    scheduleDraw();
}

void LiquidGlassView::setRefractionScale(double scale) {
    if (!std::isfinite(scale) || withinTolerance(scale, _refractionScale)) return;
    _refractionScale = scale;
    scheduleDraw();
}

void LiquidGlassView::setRefractiveIndex(double index) {
    if (!std::isfinite(index) || withinTolerance(index, _refractiveIndex)) return;
    _refractiveIndex = index;
    scheduleDraw();
}

void LiquidGlassView::setSpecularOpacity(double opacity) {
    if (!std::isfinite(opacity) || withinTolerance(opacity, _specularOpacity)) return;
    _specularOpacity = opacity;
    scheduleDraw();
}

void LiquidGlassView::setBlur(double blur) {
    if (!std::isfinite(blur) || withinTolerance(blur, _blur)) return;
    _blur = blur;
    _needsBlurBake = true;
    scheduleDraw();
}

void LiquidGlassView::setWallpaperScale(double scale) {
    if (std::isnan(scale)) return;
    // Step 1: clamp; nothing for a change below the tolerance.
    const double s = std::clamp(scale, 0.1, 1.0);
    if (withinTolerance(s, _wallpaperScale)) return;
    // Step 2: the texture scale must be worked out again.
    const double old = _effectiveTextureScale;
    _wallpaperScale = s;
    _effectiveTextureScale = -1.0;
    // Step 3: re-upload only when the recommended scale really moves (or nothing is uploaded).
    if (!_wallpaperImage) {
        _reloadTexture();
    } else {
        const auto width =
            static_cast<std::uint64_t>(_wallpaperImage->size().width * _wallpaperImage->scale());
        const auto height =
            static_cast<std::uint64_t>(_wallpaperImage->size().height * _wallpaperImage->scale());
        const double recommended = _recommendedInternalTextureScaleForSourceWidth(width, height);
        if (std::abs(recommended - old) > kTolerance || !_bgTexture) _reloadTexture();
    }
    // Step 4.
    scheduleDraw();
}

void LiquidGlassView::setShapeMaskImage(graphics::ImageRef image) {
    if (equalImages(image, _shapeMaskImage)) return;
    _shapeMaskImage = std::move(image);
    _reloadShapeMaskTexture();
    scheduleDraw();
}

void LiquidGlassView::setWallpaperSamplingResolution(base::Size size) {
    if (!std::isfinite(size.width) || !std::isfinite(size.height)) return;
    if (size == _wallpaperSamplingResolution) return;
    _wallpaperSamplingResolution = size;
    scheduleDraw();
}

void LiquidGlassView::setReleasesWallpaperAfterUpload(bool releases) {
    _releasesWallpaperAfterUpload = releases;
    if (releases && (_bgTexture || _cacheEntry)) _wallpaperImage.reset();
}

void LiquidGlassView::setUpdateGroup(std::int64_t group) {
    if (group == _updateGroup) return;
    _updateGroup = group;
}
