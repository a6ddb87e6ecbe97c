#pragma once

#include <cstddef>
#include <memory>

#include "platform/graphics/Context.h"
#include "platform/graphics/Image.h"

typedef struct _cairo_surface cairo_surface_t;

namespace graphics {

// A context that draws straight into caller memory: 32-bit premultiplied pixels, alpha first in
// a little-endian word (bytes B, G, R, A), row 0 at the lowest address. The user space is in
// pixels, y down, row 0 at the top. Drawing is synchronous: when a drawing call returns, the
// memory holds the result. The memory must outlive the context.
class BitmapContext {
  public:
    // nullptr when `data` is null or not 4-byte aligned, a side is not positive, or `bytesPerRow`
    // is below 4 × width or not a multiple of 4.
    static std::unique_ptr<BitmapContext> create(void* data, int width, int height,
                                                 std::size_t bytesPerRow);
    ~BitmapContext();
    BitmapContext(const BitmapContext&) = delete;
    BitmapContext& operator=(const BitmapContext&) = delete;

    Context& context() { return *context_; }
    int width() const { return width_; }
    int height() const { return height_; }
    std::size_t bytesPerRow() const { return bytesPerRow_; }

    // A copy of the memory as an image (scale 1).
    std::shared_ptr<const Image> makeImage() const;

  private:
    BitmapContext(cairo_surface_t* surface, std::unique_ptr<Context> context, void* data, int width,
                  int height, std::size_t bytesPerRow);

    cairo_surface_t* surface_;
    std::unique_ptr<Context> context_;
    void* data_;
    int width_;
    int height_;
    std::size_t bytesPerRow_;
};

}  // namespace graphics
