#pragma once

#include <optional>

#include "platform/base/Geometry.h"
#include "platform/graphics/Context.h"
#include "platform/ui/Layer.h"

typedef struct _cairo cairo_t;

namespace ui::detail {

// Draws layer trees into a graphics context with Cairo. The context's current transform maps the
// layer's coordinates to pixels; everything is drawn in those pixels, so any scale works. The
// context's alpha must be 1: callers with another alpha draw into a group and lay it down with
// that alpha.
//
// One layer draws, bottom to top: its shadow, background, gradient, contents, text (labels), its
// sublayers, and its border. Corner radius shapes the background, gradient and border, and the
// clip when the layer masks to its bounds (which also clips its shadow, as on the phone). A layer
// with opacity below 1, a mask or a compositing filter is drawn into a group first and the group
// is laid down once, so opacity multiplies down the tree instead of showing overlaps inside a
// translucent subtree. Values come from each layer's presentation layer while it animates.
class LayerRenderer {
  public:
    explicit LayerRenderer(graphics::Context& context);

    // The layer in its own bounds coordinates: its position and transform are not applied, its
    // appearance (hidden, opacity, mask, shadow...) is.
    void drawRoot(const Layer& model);
    // The layer placed in its superlayer's coordinates.
    void drawPlaced(const Layer& model);

    // Layers nested deeper than this below the first one drawn are not drawn: each level costs
    // stack and a Cairo state, and no interface nests anywhere near this far.
    static constexpr int kMaxDepth = 512;

  private:
    // The layer's appearance after its transform has been applied.
    void drawInOwnSpace(const Layer& model, const Layer& shown);
    // Background to border, sublayers included; no shadow, mask or group.
    void drawBody(const Layer& model, const Layer& shown);
    void drawWithShadow(const Layer& model, const Layer& shown);
    void drawGradient(const Layer& model, const Layer& shown);
    void drawContents(const Layer& model, const Layer& shown);
    void drawText(const Layer& model);
    void drawBorder(const Layer& model, const Layer& shown);
    // Blurs what is already drawn under the layer's shape (blur material).
    void drawBackdrop(const Layer& shown);
    void applyMask(const Layer& mask);

    // The pixel rectangle the layer can draw into, when it is bounded: its bounds (grown by its
    // shadow) when it clips or has no sublayers; nullopt when sublayers may reach anywhere.
    std::optional<base::Rect> pixelExtent(const Layer& model, const Layer& shown) const;
    // The clip's bounding box in pixels.
    base::Rect pixelClip() const;

    graphics::Context& context_;
    cairo_t* cr_;
    int depth_ = 0;
};

}  // namespace ui::detail
