#include "platform/graphics/ImageContext.h"

#include <cairo.h>

#include <cmath>
#include <cstring>
#include <variant>
#include <vector>

#include "platform/graphics/ScreenScale.h"

namespace graphics {

namespace {

constexpr double kMaxPixelSide = 16384;

// Rounds up, forgiving the error of a product such as 0.1 × 3 landing a hair above a whole pixel.
int pixelsFor(double points, double scale) {
    return int(std::ceil(points * scale - 1e-6));
}

}  // namespace

std::unique_ptr<ImageContext> ImageContext::begin(base::Size size, bool opaque, double scale) {
    if (!std::isfinite(size.width) || !std::isfinite(size.height) || size.width <= 0 ||
        size.height <= 0 || !std::isfinite(scale) || scale < 0) {
        return nullptr;
    }
    if (scale == 0) scale = mainScreenScale();
    if (size.width * scale > kMaxPixelSide || size.height * scale > kMaxPixelSide) return nullptr;
    const int w = std::max(1, pixelsFor(size.width, scale));
    const int h = std::max(1, pixelsFor(size.height, scale));

    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, w, h);
    if (cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS) {
        cairo_surface_destroy(surface);
        return nullptr;
    }
    std::unique_ptr<Context> context = Context::wrap(surface, scale);
    if (!context) {
        cairo_surface_destroy(surface);
        return nullptr;
    }
    if (opaque) {
        cairo_t* cr = context->cairo();
        cairo_save(cr);
        cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
        cairo_set_source_rgba(cr, 0, 0, 0, 1);
        cairo_paint(cr);
        cairo_restore(cr);
    }
    return std::unique_ptr<ImageContext>(
        new ImageContext(surface, std::move(context), size, scale, opaque));
}

ImageContext::ImageContext(cairo_surface_t* surface, std::unique_ptr<Context> context,
                           base::Size size, double scale, bool opaque)
    : surface_(surface),
      context_(std::move(context)),
      size_(size),
      scale_(scale),
      opaque_(opaque) {}

ImageContext::~ImageContext() {
    context_.reset();
    cairo_surface_destroy(surface_);
}

std::shared_ptr<const Image> ImageContext::image() const {
    cairo_surface_flush(surface_);
    const int w = cairo_image_surface_get_width(surface_);
    const int h = cairo_image_surface_get_height(surface_);
    const int stride = cairo_image_surface_get_stride(surface_);
    const uint8_t* data = cairo_image_surface_get_data(surface_);
    std::vector<uint8_t> pixels(std::size_t(w) * h * 4);
    for (int y = 0; y < h; ++y) {
        std::memcpy(pixels.data() + std::size_t(y) * w * 4, data + std::size_t(y) * stride,
                    std::size_t(w) * 4);
    }
    if (opaque_) {
        // Clearing or copying transparent colour into an opaque context cannot make it see-through:
        // premultiplied colour under a forced full alpha is still a valid (darker) colour.
        for (std::size_t i = 3; i < pixels.size(); i += 4) pixels[i] = 255;
    }
    return Image::adoptPixels(std::move(pixels), w, h, scale_, ImageOrientation::Up, opaque_);
}

// ---- The per-thread stack of current contexts -------------------------------------------------

namespace {

using StackEntry = std::variant<std::unique_ptr<ImageContext>, Context*>;

std::vector<StackEntry>& contextStack() {
    thread_local std::vector<StackEntry> stack;
    return stack;
}

}  // namespace

bool beginImageContext(base::Size size, bool opaque, double scale) {
    auto context = ImageContext::begin(size, opaque, scale);
    if (!context) return false;
    contextStack().emplace_back(std::move(context));
    return true;
}

std::shared_ptr<const Image> imageFromCurrentImageContext() {
    auto& stack = contextStack();
    if (stack.empty()) return nullptr;
    auto* owned = std::get_if<std::unique_ptr<ImageContext>>(&stack.back());
    return owned ? (*owned)->image() : nullptr;
}

void endImageContext() {
    auto& stack = contextStack();
    if (!stack.empty() && std::holds_alternative<std::unique_ptr<ImageContext>>(stack.back())) {
        stack.pop_back();
    }
}

void pushContext(Context& context) {
    contextStack().emplace_back(&context);
}

void popContext() {
    auto& stack = contextStack();
    if (!stack.empty() && std::holds_alternative<Context*>(stack.back())) stack.pop_back();
}

Context* currentContext() {
    auto& stack = contextStack();
    if (stack.empty()) return nullptr;
    if (auto* owned = std::get_if<std::unique_ptr<ImageContext>>(&stack.back())) {
        return &(*owned)->context();
    }
    return std::get<Context*>(stack.back());
}

}  // namespace graphics
