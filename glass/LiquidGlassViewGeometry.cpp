// Where the glass view is on screen, in pixels, and what follows from its size: the drawable, the
// frames updateOrigin requests, layout.
#include <algorithm>
#include <cmath>

#include "glass/LiquidGlassView.h"
#include "platform/ui/Layer.h"
#include "platform/ui/PresentedGeometry.h"
#include "platform/ui/Screen.h"
#include "platform/ui/Window.h"
#include "platform/ui/WindowScene.h"
#include "support/LGSharedSupport.h"

namespace {

// Moves smaller than half a pixel, and visual-scale changes below this, are jitter.
constexpr double kPixelTolerance = 0.5;
constexpr float kVisualScaleTolerance = 0.001f;

bool isTablet() {
    return ui::Screen::main()->userInterfaceIdiom() == ui::UserInterfaceIdiom::Pad;
}

std::shared_ptr<const ui::Layer> presentedOrModel(const std::shared_ptr<ui::Layer>& layer) {
    if (!layer) return nullptr;
    if (auto presentation = layer->presentationLayer()) return presentation;
    return layer;
}

bool closeTo(double a, double b) {
    return std::abs(a - b) < kPixelTolerance;
}

}  // namespace

bool LiquidGlassView::_refreshVisualMetrics() {
    // Step 1.
    const double scale = ui::Screen::main()->scale();
    const base::Size drawable = _mtkView ? _mtkView->drawableSize() : base::Size{};
    const std::shared_ptr<ui::Window> window = this->window();

    // The view's bounds in screen points by the model geometry: in the screen's space when the
    // window belongs to a scene, else in the window's own.
    auto modelRectOnScreen = [&] {
        if (window && window->windowScene()) {
            return convertRectToCoordinateSpace(bounds(), ui::Screen::main()->coordinateSpace());
        }
        return convertRect(bounds(), nullptr);
    };

    // Step 2: the rectangle in screen points, following running animations.
    base::Rect rect;
    const std::shared_ptr<const ui::Layer> L = presentedOrModel(layer());
    if (isTablet() && _updateGroup != kClockUpdateGroup && window) {
        // Rule 1: tablets place glass by the model geometry.
        rect = modelRectOnScreen();
    } else if (window) {
        // Rule 2: up the presented layer tree to the window, then onto the screen.
        const std::shared_ptr<const ui::Layer> WL = presentedOrModel(window->layer());
        const base::Point windowOrigin =
            (window->windowScene() ? window->convertRectToCoordinateSpace(
                                         window->bounds(), ui::Screen::main()->coordinateSpace())
                                   : window->convertRect(window->bounds(), nullptr))
                .origin;
        if (&L->modelLayer() == &WL->modelLayer()) {
            rect = modelRectOnScreen();
        } else {
            rect = ui::convertRectPresented(*L, L->bounds(), WL.get());
            rect = rect.offsetBy(windowOrigin.x, windowOrigin.y);
        }
    } else if (!L->isPresentation()) {
        // Rule 3: neither a window nor an animation says where the view is.
        if (_hasCachedVisualMetrics && _cachedVisualRectPx.isNull() &&
            closeTo(drawable.width, _cachedDrawableSizePx.width) &&
            closeTo(drawable.height, _cachedDrawableSizePx.height)) {
            return false;
        }
        _cachedVisualRectPx = base::Rect::null();
        _cachedDrawableSizePx = drawable;
        _cachedVisualScale = 1.0f;
        _hasCachedVisualMetrics = true;
        return true;
    } else if (L->superlayer()) {
        // Rule 4: an animating view outside a window, up to the root of its tree.
        rect = ui::convertRectPresented(*L, L->bounds(), nullptr);
    } else {
        rect = {convertPoint({0, 0}, nullptr), bounds().size};
    }

    // Steps 3-4: pixels, and how much the view is scaled on screen.
    const base::Rect rectPx{rect.origin.x * scale, rect.origin.y * scale, rect.size.width * scale,
                            rect.size.height * scale};
    const double unscaledWidth = scale * bounds().width();
    const float visualScale =
        unscaledWidth > 0 ? static_cast<float>(rectPx.size.width / unscaledWidth) : 1.0f;

    // Step 5: sub-pixel changes keep the cached metrics.
    if (_hasCachedVisualMetrics && !_cachedVisualRectPx.isNull() &&
        closeTo(rectPx.origin.x, _cachedVisualRectPx.origin.x) &&
        closeTo(rectPx.origin.y, _cachedVisualRectPx.origin.y) &&
        closeTo(rectPx.size.width, _cachedVisualRectPx.size.width) &&
        closeTo(rectPx.size.height, _cachedVisualRectPx.size.height) &&
        closeTo(drawable.width, _cachedDrawableSizePx.width) &&
        closeTo(drawable.height, _cachedDrawableSizePx.height) &&
        std::abs(visualScale - _cachedVisualScale) < kVisualScaleTolerance) {
        return false;
    }

    // Step 6.
    _cachedVisualRectPx = rectPx;
    _cachedDrawableSizePx = drawable;
    _cachedVisualScale = visualScale;
    _hasCachedVisualMetrics = true;
    return true;
}

bool LiquidGlassView::isVisibleForDrawing() const {
    return !isHidden() && alpha() > 0.01 && layer()->opacity() > 0.01f;
}

void LiquidGlassView::updateOrigin() {
    // Step 1: a view without a surface has no GPU.
    if (!_mtkView || !_mtkView->superview()) return;
    // Step 2: the first call uploads the wallpaper.
    if (!_bgTexture && _wallpaperImage) _reloadTexture();
    // Step 3.
    if (!isVisibleForDrawing()) return;
    // Step 4.
    const bool changed = _refreshVisualMetrics();
    // Step 5: glass entirely off screen asks for nothing.
    const auto screen = ui::Screen::main();
    const base::Rect screenPx{0, 0, screen->bounds().width() * screen->scale(),
                              screen->bounds().height() * screen->scale()};
    if (!_cachedVisualRectPx.intersects(screenPx)) return;
    // Step 6.
    if (isTablet() && changed) {
        LGTrace("glass update group=%ld bounds=%@ visualPx=%@ screen=%@ origin=%@ wallpaper=%@",
                _updateGroup, bounds(), _cachedVisualRectPx, screen->bounds().size,
                _wallpaperOriginPt, _wallpaperImage ? _wallpaperImage->size() : base::Size{});
    }
    // Step 7.
    if (changed || _needsBlurBake) scheduleDraw();
}

void LiquidGlassView::layoutGlass() {
    kLayoutSubviews.sendSuper(this);
    if (!_mtkView) return;
    const double scale = ui::Screen::main()->scale();
    const base::Size size = bounds().size;
    const base::Size wanted{std::max(1.0, std::floor(scale * size.width)),
                            std::max(1.0, std::floor(scale * size.height))};
    if (_mtkView->drawableSize() != wanted) {
        _mtkView->setDrawableSize(wanted);
        _hasCachedVisualMetrics = false;
    }
    if (size != _lastLayoutBounds) {
        _lastLayoutBounds = size;
        scheduleDraw();
    }
}

void LiquidGlassView::drawableSizeWillChange(ui::GpuSurfaceView&, base::Size) {
    _hasCachedVisualMetrics = false;
}
