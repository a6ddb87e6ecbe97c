#include "platform/graphics/Image.h"

#include <cassert>
#include <cmath>
#include <cstring>
#include <limits>

namespace graphics {

namespace {

// Beyond this a side is certainly a corrupt header or a caller error, and 4 × w × h would
// overflow the arithmetic some consumers do in 32 bits.
constexpr int kMaxSide = 1 << 15;

bool validGeometry(int w, int h, double scale) {
    return w > 0 && h > 0 && w <= kMaxSide && h <= kMaxSide && std::isfinite(scale) && scale > 0;
}

}  // namespace

bool orientationSwapsAxes(ImageOrientation o) {
    switch (o) {
        case ImageOrientation::Left:
        case ImageOrientation::Right:
        case ImageOrientation::LeftMirrored:
        case ImageOrientation::RightMirrored:
            return true;
        default:
            return false;
    }
}

Image::Image(Private, std::shared_ptr<const std::vector<uint8_t>> pixels, int width, int height,
             double scale, ImageOrientation orientation, bool opaque)
    : pixels_(std::move(pixels)),
      width_(width),
      height_(height),
      scale_(scale),
      orientation_(orientation),
      opaque_(opaque) {
    assert(pixels_ && pixels_->size() == std::size_t(width_) * std::size_t(height_) * 4);
}

std::shared_ptr<const Image> Image::copyPixels(const void* data, int w, int h,
                                               std::size_t bytesPerRow, double scale,
                                               ImageOrientation orientation, bool opaque) {
    if (!data || !validGeometry(w, h, scale) || bytesPerRow < std::size_t(w) * 4) return nullptr;
    const std::size_t rowBytes = std::size_t(w) * 4;
    std::vector<uint8_t> packed(rowBytes * std::size_t(h));
    const auto* src = static_cast<const uint8_t*>(data);
    for (int y = 0; y < h; ++y) {
        std::memcpy(packed.data() + rowBytes * y, src + bytesPerRow * y, rowBytes);
    }
    return adoptPixels(std::move(packed), w, h, scale, orientation, opaque);
}

std::shared_ptr<const Image> Image::adoptPixels(std::vector<uint8_t> pixels, int w, int h,
                                                double scale, ImageOrientation orientation,
                                                bool opaque) {
    if (!validGeometry(w, h, scale)) return nullptr;
    if (pixels.size() != std::size_t(w) * std::size_t(h) * 4) return nullptr;
    auto store = std::make_shared<const std::vector<uint8_t>>(std::move(pixels));
    return std::make_shared<const Image>(Private{}, std::move(store), w, h, scale, orientation,
                                         opaque);
}

std::shared_ptr<const Image> Image::withOrientation(ImageOrientation orientation) const {
    return std::make_shared<const Image>(Private{}, pixels_, width_, height_, scale_, orientation,
                                         opaque_);
}

std::shared_ptr<const Image> Image::withScale(double scale) const {
    if (!std::isfinite(scale) || scale <= 0) return nullptr;
    return std::make_shared<const Image>(Private{}, pixels_, width_, height_, scale, orientation_,
                                         opaque_);
}

Pixel Image::pixelAt(int x, int y) const {
    if (x < 0 || y < 0 || x >= width_ || y >= height_) return {};
    const uint8_t* p = pixels_->data() + (std::size_t(y) * width_ + x) * 4;
    return {p[0], p[1], p[2], p[3]};
}

base::Size Image::size() const {
    const double w = width_ / scale_;
    const double h = height_ / scale_;
    return orientationSwapsAxes(orientation_) ? base::Size{h, w} : base::Size{w, h};
}

}  // namespace graphics
