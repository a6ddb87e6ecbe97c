#include "platform/graphics/BitmapContext.h"

#include <cairo.h>

#include <climits>
#include <cstdint>

namespace graphics {

std::unique_ptr<BitmapContext> BitmapContext::create(void* data, int width, int height,
                                                     std::size_t bytesPerRow) {
    if (!data || reinterpret_cast<std::uintptr_t>(data) % 4 != 0) return nullptr;
    if (width <= 0 || height <= 0 || width > (1 << 15) || height > (1 << 15)) return nullptr;
    if (bytesPerRow < std::size_t(width) * 4 || bytesPerRow % 4 != 0 || bytesPerRow > INT_MAX) {
        return nullptr;
    }
    // Cairo's ARGB32 is premultiplied, native-endian 0xAARRGGBB: on a little-endian machine the
    // bytes lie B, G, R, A, which is exactly the layout promised above.
    static_assert(__BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__, "BGRA layout assumes little endian");
    cairo_surface_t* surface = cairo_image_surface_create_for_data(
        static_cast<unsigned char*>(data), CAIRO_FORMAT_ARGB32, width, height, int(bytesPerRow));
    if (cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS) {
        cairo_surface_destroy(surface);
        return nullptr;
    }
    std::unique_ptr<Context> context = Context::wrap(surface, 1.0);
    if (!context) {
        cairo_surface_destroy(surface);
        return nullptr;
    }
    return std::unique_ptr<BitmapContext>(
        new BitmapContext(surface, std::move(context), data, width, height, bytesPerRow));
}

BitmapContext::BitmapContext(cairo_surface_t* surface, std::unique_ptr<Context> context, void* data,
                             int width, int height, std::size_t bytesPerRow)
    : surface_(surface),
      context_(std::move(context)),
      data_(data),
      width_(width),
      height_(height),
      bytesPerRow_(bytesPerRow) {}

BitmapContext::~BitmapContext() {
    context_.reset();
    cairo_surface_finish(surface_);
    cairo_surface_destroy(surface_);
}

std::shared_ptr<const Image> BitmapContext::makeImage() const {
    cairo_surface_flush(surface_);
    return Image::copyPixels(data_, width_, height_, bytesPerRow_);
}

}  // namespace graphics
