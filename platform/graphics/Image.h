#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "platform/base/Geometry.h"

namespace graphics {

// How the stored pixels are turned to be shown. The values follow the camera's tags: "right"
// means the stored pixels must be turned 90° clockwise to stand upright.
enum class ImageOrientation {
    Up,
    Down,           // turned 180°
    Left,           // turned 90° counter-clockwise to show
    Right,          // turned 90° clockwise to show
    UpMirrored,     // flipped left to right
    DownMirrored,   // flipped top to bottom
    LeftMirrored,   // transposed (mirrored across the main diagonal)
    RightMirrored,  // transposed across the other diagonal
};

// True for the orientations that swap width and height when shown.
bool orientationSwapsAxes(ImageOrientation orientation);

// One pixel as it lies in memory: premultiplied, blue first.
struct Pixel {
    uint8_t b = 0, g = 0, r = 0, a = 0;
    friend bool operator==(const Pixel&, const Pixel&) = default;
};

// An immutable bitmap: 32-bit premultiplied pixels, little-endian BGRA (alpha in the high byte
// of each 32-bit word), row 0 at the top, rows packed at 4 × width bytes.
//
// Images are shared as std::shared_ptr<const Image>; caches key on the object, so two images
// with equal pixels are still different images. The pixel store itself may be shared between an
// image and the images derived from it with another orientation or scale.
class Image {
  public:
    // A copy of caller pixels (premultiplied BGRA, `bytesPerRow` apart). nullptr when `data` is
    // null, a side is not positive, `bytesPerRow` is below 4 × width or `scale` is not a
    // positive finite number.
    static std::shared_ptr<const Image> copyPixels(
        const void* data, int pixelWidth, int pixelHeight, std::size_t bytesPerRow,
        double scale = 1.0, ImageOrientation orientation = ImageOrientation::Up,
        bool opaque = false);

    // Takes ownership of packed pixels (exactly 4 × width × height bytes); nullptr under the
    // same conditions as copyPixels or when the byte count is wrong.
    static std::shared_ptr<const Image> adoptPixels(
        std::vector<uint8_t> pixels, int pixelWidth, int pixelHeight, double scale = 1.0,
        ImageOrientation orientation = ImageOrientation::Up, bool opaque = false);

    // A new image object over the same pixels, shown with another orientation.
    std::shared_ptr<const Image> withOrientation(ImageOrientation orientation) const;
    // A new image object over the same pixels at another scale; nullptr for a scale that is not
    // positive and finite.
    std::shared_ptr<const Image> withScale(double scale) const;

    // The stored bitmap, before orientation.
    int pixelWidth() const { return width_; }
    int pixelHeight() const { return height_; }
    std::size_t bytesPerRow() const { return std::size_t(width_) * 4; }
    const uint8_t* pixels() const { return pixels_->data(); }
    std::size_t byteCount() const { return pixels_->size(); }
    // The stored pixel at (x, y); transparent black outside the bitmap.
    Pixel pixelAt(int x, int y) const;

    // Size in points as shown: pixels divided by the scale, width and height swapped for the
    // orientations that turn the image by 90°.
    base::Size size() const;
    double scale() const { return scale_; }
    ImageOrientation orientation() const { return orientation_; }
    // Made by an opaque context or from a file without alpha: every alpha byte is 255.
    bool isOpaque() const { return opaque_; }

  private:
    struct Private {
        explicit Private() = default;
    };

  public:
    // Reachable only through the factories above (make_shared needs it public).
    Image(Private, std::shared_ptr<const std::vector<uint8_t>> pixels, int width, int height,
          double scale, ImageOrientation orientation, bool opaque);

  private:
    std::shared_ptr<const std::vector<uint8_t>> pixels_;
    int width_;
    int height_;
    double scale_;
    ImageOrientation orientation_;
    bool opaque_;
};

using ImageRef = std::shared_ptr<const Image>;

}  // namespace graphics
