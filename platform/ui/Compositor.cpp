#include "platform/ui/Compositor.h"

#include <cairo.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <memory>
#include <vector>

#include "platform/graphics/BitmapContext.h"
#include "platform/graphics/ImageContext.h"
#include "platform/graphics/ImageFile.h"
#include "platform/graphics/ScreenScale.h"
#include "platform/ui/Layer.h"
#include "platform/ui/Screen.h"
#include "platform/ui/View.h"
#include "platform/ui/Window.h"
#include "platform/ui/detail/LayerRenderer.h"

namespace ui {

namespace {

// Runs `draw` with the context's alpha at 1, as the renderer needs it, and lays the result down
// with the context's alpha when that is below 1.
template <class Draw>
void withContextAlpha(graphics::Context& context, Draw&& draw) {
    const double alpha = context.alpha();
    if (alpha <= 0) return;
    context.save();
    context.setAlpha(1);
    cairo_t* cr = context.cairo();
    if (alpha < 1) cairo_push_group(cr);
    draw();
    if (alpha < 1) {
        cairo_pop_group_to_source(cr);
        cairo_paint_with_alpha(cr, alpha);
    }
    context.restore();
}

constexpr double kMaxPixelSide = 16384;

// A transparent canvas of `size` points at `scale`, drawn by `draw` and handed over as an image
// without copying its pixels. The pixel size rounds up, forgiving a product such as 0.1 × 3
// landing a hair above a whole pixel.
template <class Draw>
graphics::ImageRef drawImage(base::Size size, double scale, Draw&& draw) {
    if (!std::isfinite(size.width) || !std::isfinite(size.height) || size.width <= 0 ||
        size.height <= 0 || !std::isfinite(scale) || scale < 0) {
        return nullptr;
    }
    if (scale == 0) scale = graphics::mainScreenScale();
    if (size.width * scale > kMaxPixelSide || size.height * scale > kMaxPixelSide) return nullptr;
    const int w = std::max(1, int(std::ceil(size.width * scale - 1e-6)));
    const int h = std::max(1, int(std::ceil(size.height * scale - 1e-6)));
    std::vector<std::uint8_t> pixels(std::size_t(w) * std::size_t(h) * 4);
    {
        auto bitmap = graphics::BitmapContext::create(pixels.data(), w, h, std::size_t(w) * 4);
        if (!bitmap) return nullptr;
        bitmap->context().scale(scale, scale);
        draw(bitmap->context());
    }  // the context is flushed into the pixels here
    return graphics::Image::adoptPixels(std::move(pixels), w, h, scale);
}

graphics::ImageRef renderBounds(const Layer& layer, double scale) {
    const base::Rect bounds = layer.bounds().standardized();
    return drawImage(bounds.size, scale, [&](graphics::Context& context) {
        context.translate(-bounds.minX(), -bounds.minY());
        renderLayer(layer, context);
    });
}

bool writePNG(const graphics::ImageRef& image, const std::string& path, std::string* reason) {
    if (!image) {
        if (reason != nullptr) *reason = "nothing to draw: empty bounds or an invalid scale";
        return false;
    }
    return graphics::writePNGFile(*image, path, reason);
}

}  // namespace

void renderLayer(const Layer& layer, graphics::Context& context) {
    withContextAlpha(context, [&] { detail::LayerRenderer(context).drawRoot(layer); });
}

graphics::ImageRef renderViewImage(const View& view, double scale) {
    return renderBounds(*view.layer(), scale);
}

graphics::ImageRef renderLayerImage(const Layer& layer, double scale) {
    return renderBounds(layer, scale);
}

graphics::ImageRef renderScreenImage(double scale) {
    const std::shared_ptr<Screen> screen = Screen::main();
    std::vector<std::shared_ptr<Window>> windows;
    for (auto& window : Window::allWindows()) {
        if (!window->isHidden() && window->screen() == screen) windows.push_back(window);
    }
    std::stable_sort(windows.begin(), windows.end(), [](const auto& a, const auto& b) {
        return a->windowLevel() < b->windowLevel();
    });
    return drawImage(screen->bounds().size, scale, [&](graphics::Context& context) {
        detail::LayerRenderer renderer(context);
        // Windows lie in the screen's space, which is the image's.
        for (const auto& window : windows) renderer.drawPlaced(*window->layer());
    });
}

bool writeViewPNG(const View& view, double scale, const std::string& path, std::string* reason) {
    return writePNG(renderViewImage(view, scale), path, reason);
}

bool writeScreenPNG(double scale, const std::string& path, std::string* reason) {
    return writePNG(renderScreenImage(scale), path, reason);
}

// ---- Snapshots of views and layers ----------------------------------------------------------

void Layer::renderInContext(graphics::Context& context) const {
    renderLayer(*this, context);
}

bool View::drawHierarchyInRectDefault(base::Rect rect, bool afterScreenUpdates) {
    graphics::Context* context = graphics::currentContext();
    const base::Rect target = rect.standardized();
    if (context == nullptr || target.isNull() || target.isEmpty() ||
        !std::isfinite(target.width()) || !std::isfinite(target.height()) ||
        !std::isfinite(target.minX()) || !std::isfinite(target.minY())) {
        return false;
    }
    // Only a view on screen has a picture to take: it must be in a window that is shown.
    const std::shared_ptr<Window> window = this->window();
    if (!window || window->isHidden()) return false;
    if (afterScreenUpdates) window->layoutIfNeeded();
    const base::Rect b = bounds().standardized();
    if (b.isEmpty()) return false;

    context->save();
    context->translate(target.minX(), target.minY());
    context->scale(target.width() / b.width(), target.height() / b.height());
    context->translate(-b.minX(), -b.minY());
    renderLayer(*layer(), *context);
    context->restore();
    return true;
}

}  // namespace ui
