#pragma once

#include <memory>

#include "platform/base/Geometry.h"
#include "platform/graphics/Context.h"
#include "platform/graphics/Image.h"

typedef struct _cairo_surface cairo_surface_t;

namespace graphics {

// An offscreen context that makes images: its user space is in points, y down, and each point
// is `scale` pixels. A new context is transparent black, or opaque black when opaque.
class ImageContext {
  public:
    // nullptr when a side is not positive and finite, the scale is negative or not finite, or the
    // pixel size would exceed 16384 on a side. A scale of 0 means the main screen's. The pixel
    // size is the point size times the scale, rounded up.
    static std::unique_ptr<ImageContext> begin(base::Size size, bool opaque, double scale);
    ~ImageContext();
    ImageContext(const ImageContext&) = delete;
    ImageContext& operator=(const ImageContext&) = delete;

    Context& context() { return *context_; }
    base::Size size() const { return size_; }
    double scale() const { return scale_; }
    bool isOpaque() const { return opaque_; }

    // A new image of what has been drawn so far (a copy: later drawing does not change it), with
    // the context's scale and orientation "up". nullptr only when memory runs out.
    std::shared_ptr<const Image> image() const;

  private:
    ImageContext(cairo_surface_t* surface, std::unique_ptr<Context> context, base::Size size,
                 double scale, bool opaque);

    cairo_surface_t* surface_;
    std::unique_ptr<Context> context_;
    base::Size size_;
    double scale_;
    bool opaque_;
};

// The calling thread's stack of current contexts, as views drawing their content expect it.
// beginImageContext pushes a new image context; pushContext pushes a context owned elsewhere.
// currentContext() is the top of the stack, nullptr when it is empty.
bool beginImageContext(base::Size size, bool opaque, double scale);
// The image of the top entry when it is an image context, otherwise nullptr.
std::shared_ptr<const Image> imageFromCurrentImageContext();
// Pops the top entry when it is an image context; otherwise leaves the stack alone.
void endImageContext();
void pushContext(Context& context);
// Pops the top entry when it was pushed with pushContext; otherwise leaves the stack alone.
void popContext();
Context* currentContext();

}  // namespace graphics
