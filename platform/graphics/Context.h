#pragma once

#include <memory>
#include <vector>

#include "platform/base/AffineTransform.h"
#include "platform/base/Color.h"
#include "platform/base/Geometry.h"
#include "platform/graphics/BlendMode.h"
#include "platform/graphics/Image.h"
#include "platform/graphics/Path.h"

typedef struct _cairo cairo_t;
typedef struct _cairo_surface cairo_surface_t;

namespace graphics {

enum class FillRule { NonZero, EvenOdd };

// A drawing context over 32-bit premultiplied BGRA pixels.
//
// Coordinates: the user space starts with its origin at the top-left corner of the pixels and y
// growing downward, in points (image contexts: one point is `scale` pixels) or pixels (bitmap
// contexts). Shapes and images draw upright in that space. Text draws with y growing upward, as
// text layout does everywhere on the platform, so text drawn into an unflipped context is upside
// down; flip first (translate(0, height), scale(1, -1)).
//
// The graphics state (transform, clip, alpha) is saved and restored as a stack. The text
// position is not part of it.
//
// Contexts are made by ImageContext and BitmapContext, which own them. A context is used on one
// thread at a time.
class Context {
  public:
    ~Context();
    Context(const Context&) = delete;
    Context& operator=(const Context&) = delete;

    // Size of the pixel target.
    int pixelWidth() const { return pixelWidth_; }
    int pixelHeight() const { return pixelHeight_; }

    // A restore() without a matching save() does nothing.
    void save();
    void restore();
    void translate(double tx, double ty);
    void scale(double sx, double sy);
    void concat(const base::AffineTransform& transform);
    // User space to pixels.
    base::AffineTransform transform() const;

    // Multiplies every later drawing's opacity; clamped to 0…1, NaN ignored.
    void setAlpha(double alpha);
    double alpha() const { return alpha_.back(); }

    void setTextPosition(base::Point p) { textPosition_ = p; }
    base::Point textPosition() const { return textPosition_; }

    // Narrows the clip; there is no way to widen it short of restore().
    void clipToRect(const base::Rect& rect);
    void clipToPath(const Path& path, FillRule rule = FillRule::NonZero);

    // Makes the rectangle transparent black, whatever the alpha and blend mode.
    void clear(const base::Rect& rect);
    void fillRect(const base::Rect& rect, const base::Color& color,
                  BlendMode mode = BlendMode::Normal);
    void fillRoundedRect(const base::Rect& rect, double cornerRadius, const base::Color& color,
                         BlendMode mode = BlendMode::Normal);
    // Rounded rectangle whose radius is half the shorter side.
    void fillCapsule(const base::Rect& rect, const base::Color& color,
                     BlendMode mode = BlendMode::Normal);
    void fillEllipse(const base::Rect& rect, const base::Color& color,
                     BlendMode mode = BlendMode::Normal);
    void fillPath(const Path& path, const base::Color& color, BlendMode mode = BlendMode::Normal,
                  FillRule rule = FillRule::NonZero);
    void strokePath(const Path& path, double lineWidth, const base::Color& color,
                    BlendMode mode = BlendMode::Normal);

    // Draws the image as shown (its orientation applied), scaled to fill `rect`, its top edge at
    // the rectangle's minimum y.
    void drawImage(const Image& image, const base::Rect& rect, BlendMode mode = BlendMode::Normal);

    // The underlying Cairo context, for drawing this interface does not cover. Leave its state
    // balanced (cairo_save/cairo_restore) and the source and operator as you found them.
    cairo_t* cairo() const { return cr_; }

    // Made by the owning context classes; `baseScale` maps user units to pixels.
    static std::unique_ptr<Context> wrap(cairo_surface_t* surface, double baseScale);

  private:
    Context(cairo_t* cr, int pixelWidth, int pixelHeight);
    // Applies colour, alpha and operator, then fills the current Cairo path.
    void fillCurrentPath(const base::Color& color, BlendMode mode);

    cairo_t* cr_;
    int pixelWidth_;
    int pixelHeight_;
    std::vector<double> alpha_{1.0};
    base::Point textPosition_{};
};

}  // namespace graphics
