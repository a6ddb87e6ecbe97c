#include "glass/LGNormalizedImage.h"

#include "platform/graphics/ImageContext.h"

graphics::ImageRef LGNormalizedImage(const graphics::ImageRef& image) {
    if (!image) return nullptr;
    if (image->orientation() == graphics::ImageOrientation::Up) return image;
    const base::Size size = image->size();
    auto context = graphics::ImageContext::begin(size, false, image->scale());
    if (!context) return image;
    context->context().drawImage(*image, {0, 0, size.width, size.height});
    auto upright = context->image();
    return upright ? upright : image;
}
