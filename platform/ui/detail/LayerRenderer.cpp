#include "platform/ui/detail/LayerRenderer.h"

#include <cairo.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <vector>

#include "platform/graphics/Path.h"
#include "platform/ui/GradientLayer.h"
#include "platform/ui/Label.h"
#include "platform/ui/View.h"
#include "platform/ui/detail/AlphaBlur.h"
#include "platform/ui/detail/ContentPlacement.h"
#include "platform/ui/detail/LabelLayout.h"
#include "platform/ui/detail/LayerShape.h"

namespace ui::detail {

namespace {

// Pixel rectangles larger than this on a side are not allocated for shadows; such a shadow is
// drawn only as far as this reaches.
constexpr double kMaxOffscreenSide = 16384;

struct CairoSurface {
    cairo_surface_t* surface = nullptr;
    explicit CairoSurface(cairo_surface_t* s) : surface(s) {}
    ~CairoSurface() {
        if (surface != nullptr) cairo_surface_destroy(surface);
    }
    CairoSurface(const CairoSurface&) = delete;
    CairoSurface& operator=(const CairoSurface&) = delete;
    bool ok() const { return surface != nullptr && cairo_surface_status(surface) == 0; }
};

struct CairoContext {
    cairo_t* cr;
    explicit CairoContext(cairo_surface_t* s) : cr(cairo_create(s)) {}
    ~CairoContext() { cairo_destroy(cr); }
    CairoContext(const CairoContext&) = delete;
    CairoContext& operator=(const CairoContext&) = delete;
};

cairo_matrix_t toCairo(const base::AffineTransform& t) {
    cairo_matrix_t m;
    cairo_matrix_init(&m, t.a, t.b, t.c, t.d, t.tx, t.ty);
    return m;
}

bool usableTransform(const base::AffineTransform& t) {
    return std::isfinite(t.a) && std::isfinite(t.b) && std::isfinite(t.c) && std::isfinite(t.d) &&
           std::isfinite(t.tx) && std::isfinite(t.ty) && t.determinant() != 0;
}

bool isVisible(const Layer& shown) {
    return !shown.isHidden() && shown.opacity() > 0;
}

void appendPath(cairo_t* cr, const graphics::Path& path) {
    for (const graphics::Path::Element& e : path.elements()) {
        switch (e.verb) {
            case graphics::Path::Verb::Move:
                cairo_move_to(cr, e.points[0].x, e.points[0].y);
                break;
            case graphics::Path::Verb::Line:
                cairo_line_to(cr, e.points[0].x, e.points[0].y);
                break;
            case graphics::Path::Verb::Cubic:
                cairo_curve_to(cr, e.points[0].x, e.points[0].y, e.points[1].x, e.points[1].y,
                               e.points[2].x, e.points[2].y);
                break;
            case graphics::Path::Verb::Close:
                cairo_close_path(cr);
                break;
        }
    }
}

// The named blend filters layers may carry; anything else composites normally.
cairo_operator_t filterOperator(const std::string& name) {
    struct Entry {
        const char* name;
        cairo_operator_t op;
    };
    static constexpr Entry kFilters[] = {
        {"multiplyBlendMode", CAIRO_OPERATOR_MULTIPLY},
        {"screenBlendMode", CAIRO_OPERATOR_SCREEN},
        {"overlayBlendMode", CAIRO_OPERATOR_OVERLAY},
        {"darkenBlendMode", CAIRO_OPERATOR_DARKEN},
        {"lightenBlendMode", CAIRO_OPERATOR_LIGHTEN},
        {"colorDodgeBlendMode", CAIRO_OPERATOR_COLOR_DODGE},
        {"colorBurnBlendMode", CAIRO_OPERATOR_COLOR_BURN},
        {"softLightBlendMode", CAIRO_OPERATOR_SOFT_LIGHT},
        {"hardLightBlendMode", CAIRO_OPERATOR_HARD_LIGHT},
        {"differenceBlendMode", CAIRO_OPERATOR_DIFFERENCE},
        {"exclusionBlendMode", CAIRO_OPERATOR_EXCLUSION},
        {"hueBlendMode", CAIRO_OPERATOR_HSL_HUE},
        {"saturationBlendMode", CAIRO_OPERATOR_HSL_SATURATION},
        {"colorBlendMode", CAIRO_OPERATOR_HSL_COLOR},
        {"luminosityBlendMode", CAIRO_OPERATOR_HSL_LUMINOSITY},
        {"plusL", CAIRO_OPERATOR_ADD},
    };
    if (name.empty()) return CAIRO_OPERATOR_OVER;
    for (const Entry& e : kFilters) {
        if (name == e.name) return e.op;
    }
    return CAIRO_OPERATOR_OVER;
}

// Dynamic colours set straight on a layer resolve against the nearest view's appearance.
base::Color resolved(const Layer& model, const base::Color& color) {
    if (!color.isDynamic()) return color;
    std::shared_ptr<const Layer> keep;
    for (const Layer* l = &model; l != nullptr;) {
        if (const View* view = l->view()) return view->traitCollection().resolve(color);
        keep = l->superlayer();
        l = keep.get();
    }
    return color.resolved(false);
}

bool paints(const base::Color& color) {
    return color.componentsReadable() && color.alpha() > 0;
}

void setSource(cairo_t* cr, const base::Color& c) {
    cairo_set_source_rgba(cr, c.red(), c.green(), c.blue(), c.alpha());
}

graphics::Path shapeOf(const Layer& shown) {
    return roundedRectPath(shown.bounds(), shown.cornerRadius(), shown.cornerCurve());
}

// How the layer's shadow falls in pixels, under the current transform.
struct ShadowGeometry {
    base::Color color;
    double sigma = 0;    // pixels
    base::Point offset;  // pixels
    int reach = 0;       // pixels the blur spreads
};

std::optional<ShadowGeometry> shadowOf(const Layer& model, const Layer& shown,
                                       const cairo_matrix_t& m) {
    if (!(shown.shadowOpacity() > 0)) return std::nullopt;
    const base::Color color = resolved(model, shown.shadowColor());
    if (!paints(color)) return std::nullopt;
    if (shown.shadowPath() && shown.shadowPath()->isEmpty()) return std::nullopt;
    ShadowGeometry g;
    g.color = color.withAlpha(color.alpha() * shown.shadowOpacity());
    // The radius is the blur's reach in the layer's units, as the phone defines it: about two
    // standard deviations. The offset and the blur follow the layer's transform.
    const double unit = std::sqrt(std::abs(m.xx * m.yy - m.xy * m.yx));
    g.sigma = shown.shadowRadius() / 2 * unit;
    const base::Size o = shown.shadowOffset();
    g.offset = {m.xx * o.width + m.xy * o.height, m.yx * o.width + m.yy * o.height};
    g.reach = gaussianReach(g.sigma) + 1;
    return g;
}

base::Rect pixelBox(const cairo_matrix_t& m, const base::Rect& r) {
    const base::AffineTransform t{m.xx, m.yx, m.xy, m.yy, m.x0, m.y0};
    return t.apply(r);
}

// Whole pixels covering r, limited to a size Cairo can allocate.
base::Rect wholePixels(const base::Rect& r) {
    if (r.isNull() || r.isEmpty()) return base::Rect::null();
    base::Rect w = r.integral();
    w.size.width = std::min(w.size.width, kMaxOffscreenSide);
    w.size.height = std::min(w.size.height, kMaxOffscreenSide);
    return w;
}

}  // namespace

LayerRenderer::LayerRenderer(graphics::Context& context)
    : context_(context), cr_(context.cairo()) {}

base::Rect LayerRenderer::pixelClip() const {
    double x0, y0, x1, y1;
    cairo_save(cr_);
    cairo_identity_matrix(cr_);
    cairo_clip_extents(cr_, &x0, &y0, &x1, &y1);
    cairo_restore(cr_);
    return {x0, y0, x1 - x0, y1 - y0};
}

std::optional<base::Rect> LayerRenderer::pixelExtent(const Layer& model, const Layer& shown) const {
    // Sublayers may lie anywhere unless the layer clips them.
    const bool clips = shown.masksToBounds();
    if (!clips && !model.sublayers().empty()) return std::nullopt;
    base::Rect bounds = shown.bounds().standardized();
    if (const auto* label = dynamic_cast<const Label*>(model.view()); label && !clips) {
        // Text is centred on the bounds and cut to their width, but glyphs may overhang by a
        // fraction of the font size, and the block of lines may be taller than a short label:
        // as tall as its line count allows, or one line when the count follows the height.
        const text::FontRef& font = label->font();
        const double size = font ? font->pointSize() : 17;
        const double lineHeight = font ? font->lineHeight() : size * 1.25;
        const double block = label->numberOfLines() == 0 ? std::max(bounds.height(), lineHeight)
                                                         : lineHeight * label->numberOfLines();
        const double overhang = size / 2;
        bounds =
            bounds.insetBy(-overhang, -(std::max(0.0, block - bounds.height()) / 2 + overhang));
    }
    cairo_matrix_t m;
    cairo_get_matrix(cr_, &m);
    base::Rect box = pixelBox(m, bounds);
    if (!clips) {
        if (const auto shadow = shadowOf(model, shown, m)) {
            base::Rect source = box;
            if (shown.shadowPath()) source = pixelBox(m, shown.shadowPath()->bounds());
            const base::Rect cast = source.offsetBy(shadow->offset.x, shadow->offset.y)
                                        .insetBy(-shadow->reach, -shadow->reach);
            box = box.unionWith(cast);
        }
    }
    return box;
}

void LayerRenderer::drawRoot(const Layer& model) {
    const std::shared_ptr<Layer> presented = model.presentationLayer();
    const Layer& shown = presented ? *presented : model;
    if (!isVisible(shown)) return;
    cairo_save(cr_);
    drawInOwnSpace(model, shown);
    cairo_restore(cr_);
}

void LayerRenderer::drawPlaced(const Layer& model) {
    const std::shared_ptr<Layer> presented = model.presentationLayer();
    const Layer& shown = presented ? *presented : model;
    if (!isVisible(shown)) return;
    const base::AffineTransform t = shown.transformToSuperlayer();
    // A layer squashed flat draws nothing (and a singular matrix would break the context).
    if (!usableTransform(t) || depth_ >= kMaxDepth) return;
    ++depth_;
    cairo_save(cr_);
    const cairo_matrix_t m = toCairo(t);
    cairo_transform(cr_, &m);
    drawInOwnSpace(model, shown);
    cairo_restore(cr_);
    --depth_;
}

void LayerRenderer::drawInOwnSpace(const Layer& model, const Layer& shown) {
    const std::optional<base::Rect> extent = pixelExtent(model, shown);
    if (extent && !extent->intersects(pixelClip())) return;
    const double opacity = shown.opacity();
    const cairo_operator_t op = filterOperator(model.compositingFilter());
    const std::shared_ptr<Layer>& mask = model.mask();
    const bool group = opacity < 1 || mask || op != CAIRO_OPERATOR_OVER;

    // A group is as large as the clip; a layer that stays inside a known rectangle narrows it
    // first, so a small translucent layer does not cost a screenful of pixels.
    cairo_save(cr_);
    if (group && extent) {
        cairo_matrix_t m;
        cairo_get_matrix(cr_, &m);
        const base::Rect box = extent->integral();
        cairo_identity_matrix(cr_);
        cairo_new_path(cr_);
        cairo_rectangle(cr_, box.minX(), box.minY(), box.width(), box.height());
        cairo_clip(cr_);
        cairo_set_matrix(cr_, &m);
    }
    if (group) cairo_push_group(cr_);
    if (shown.masksToBounds()) {
        cairo_new_path(cr_);
        appendPath(cr_, shapeOf(shown));
        cairo_clip(cr_);
    }
    cairo_matrix_t m;
    cairo_get_matrix(cr_, &m);
    if (shadowOf(model, shown, m)) {
        drawWithShadow(model, shown);
    } else {
        drawBody(model, shown);
    }
    if (mask) applyMask(*mask);
    if (group) {
        cairo_pop_group_to_source(cr_);
        cairo_set_operator(cr_, op);
        cairo_paint_with_alpha(cr_, opacity);
    }
    // Restores the clip, operator and source (releasing the group).
    cairo_restore(cr_);
}

void LayerRenderer::drawBody(const Layer& model, const Layer& shown) {
    if (shown.backdropBlurRadius() > 0) drawBackdrop(shown);
    const base::Color background = resolved(model, shown.backgroundColor());
    if (paints(background)) {
        cairo_new_path(cr_);
        appendPath(cr_, shapeOf(shown));
        setSource(cr_, background);
        cairo_fill(cr_);
    }
    drawGradient(model, shown);
    drawContents(model, shown);
    drawText(model);
    for (const std::shared_ptr<Layer>& sublayer : model.sublayers()) drawPlaced(*sublayer);
    drawBorder(model, shown);
}

void LayerRenderer::drawGradient(const Layer& model, const Layer& shown) {
    const auto* gradient = dynamic_cast<const GradientLayer*>(&model);
    if (gradient == nullptr || gradient->colors().empty()) return;
    const base::Rect b = shown.bounds().standardized();
    const base::Point s{b.minX() + gradient->startPoint().x * b.width(),
                        b.minY() + gradient->startPoint().y * b.height()};
    const base::Point e{b.minX() + gradient->endPoint().x * b.width(),
                        b.minY() + gradient->endPoint().y * b.height()};

    cairo_pattern_t* pattern = nullptr;
    if (gradient->type() == GradientLayer::Type::Radial) {
        const double rx = std::abs(e.x - s.x), ry = std::abs(e.y - s.y);
        // A circle in unit space stretched to the ellipse through the end point.
        pattern = cairo_pattern_create_radial(0, 0, 0, 0, 0, 1);
        cairo_matrix_t toPattern;
        cairo_matrix_init(&toPattern, rx > 0 ? rx : 1e-9, 0, 0, ry > 0 ? ry : 1e-9, s.x, s.y);
        cairo_matrix_invert(&toPattern);
        cairo_pattern_set_matrix(pattern, &toPattern);
    } else {
        pattern = cairo_pattern_create_linear(s.x, s.y, e.x, e.y);
    }
    const std::vector<double> locations = gradient->effectiveLocations();
    for (std::size_t i = 0; i < gradient->colors().size(); ++i) {
        const base::Color c = resolved(model, gradient->colors()[i]);
        cairo_pattern_add_color_stop_rgba(pattern, locations[i], c.red(), c.green(), c.blue(),
                                          c.alpha());
    }
    cairo_pattern_set_extend(pattern, CAIRO_EXTEND_PAD);

    cairo_save(cr_);
    cairo_new_path(cr_);
    appendPath(cr_, shapeOf(shown));
    cairo_set_source(cr_, pattern);
    cairo_fill(cr_);
    cairo_restore(cr_);
    cairo_pattern_destroy(pattern);
}

void LayerRenderer::drawContents(const Layer& model, const Layer& shown) {
    const graphics::ImageRef& image = shown.contents();
    if (!image) return;
    // The image's size in points at the layer's contents scale (not the image's own scale).
    const double contentsScale = shown.contentsScale() > 0 ? shown.contentsScale() : 1.0;
    const base::Size shownSize = image->size();
    const base::Size size{shownSize.width * image->scale() / contentsScale,
                          shownSize.height * image->scale() / contentsScale};
    const View* view = model.view();
    const ContentMode mode = view != nullptr ? view->contentMode() : ContentMode::ScaleToFill;
    context_.drawImage(*image, placeContent(size, shown.bounds(), mode));
}

void LayerRenderer::drawText(const Layer& model) {
    const auto* label = dynamic_cast<const Label*>(model.view());
    if (label == nullptr) return;
    const base::Point savedPosition = context_.textPosition();
    for (const PlacedLine& placed : layOutLabel(*label)) {
        // Text lays out with y up; flip around the baseline.
        context_.save();
        context_.translate(placed.baselineOrigin.x, placed.baselineOrigin.y);
        context_.scale(1, -1);
        context_.setTextPosition({0, 0});
        placed.line->draw(context_);
        context_.restore();
    }
    context_.setTextPosition(savedPosition);
}

void LayerRenderer::drawBorder(const Layer& model, const Layer& shown) {
    const double width = shown.borderWidth();
    const base::Color color = resolved(model, shown.borderColor());
    if (!(width > 0) || !paints(color)) return;
    // The border lies inside the bounds: the shape minus the shape inset by the width, whose
    // corners are the outer radius less the width.
    const base::Rect b = shown.bounds().standardized();
    cairo_save(cr_);
    cairo_new_path(cr_);
    appendPath(cr_, shapeOf(shown));
    const base::Rect inner = b.insetBy(width, width);
    if (!inner.isNull()) {
        appendPath(cr_, roundedRectPath(inner, std::max(0.0, shown.cornerRadius() - width),
                                        shown.cornerCurve()));
    }
    cairo_set_fill_rule(cr_, CAIRO_FILL_RULE_EVEN_ODD);
    setSource(cr_, color);
    cairo_fill(cr_);
    cairo_restore(cr_);
}

void LayerRenderer::applyMask(const Layer& mask) {
    // The mask layer lies in this layer's coordinates; its alpha keeps what it covers.
    cairo_push_group(cr_);
    drawPlaced(mask);
    cairo_pattern_t* pattern = cairo_pop_group(cr_);
    cairo_save(cr_);
    cairo_set_operator(cr_, CAIRO_OPERATOR_DEST_IN);
    cairo_set_source(cr_, pattern);
    cairo_paint(cr_);
    cairo_restore(cr_);
    cairo_pattern_destroy(pattern);
}

void LayerRenderer::drawWithShadow(const Layer& model, const Layer& shown) {
    cairo_matrix_t m;
    cairo_get_matrix(cr_, &m);
    const ShadowGeometry shadow = *shadowOf(model, shown, m);

    // Pass 1: the pixels that matter. The shadow shows inside the clip; it is cast from pixels
    // one offset back, and the blur reads `reach` beyond those.
    const base::Rect clip = pixelClip();
    base::Rect region = clip.unionWith(clip.offsetBy(-shadow.offset.x, -shadow.offset.y))
                            .insetBy(-shadow.reach, -shadow.reach);
    if (const auto extent = pixelExtent(model, shown)) region = region.intersection(*extent);
    region = wholePixels(region);
    if (region.isNull()) return;
    const int w = int(region.width()), h = int(region.height());
    cairo_matrix_t local = m;
    local.x0 -= region.minX();
    local.y0 -= region.minY();

    // Pass 2: the shadow's shape as alpha. With a shadow path that is the path, filled with the
    // non-zero rule (a ring made of an outline and its reverse casts an inner shadow); otherwise
    // it is the layer's own drawing, which is then also what gets painted over the shadow.
    CairoSurface alpha(cairo_image_surface_create(CAIRO_FORMAT_A8, w, h));
    if (!alpha.ok()) return drawBody(model, shown);
    std::unique_ptr<CairoSurface> body;
    {
        CairoContext a(alpha.surface);
        cairo_set_matrix(a.cr, &local);
        if (const auto& path = shown.shadowPath()) {
            appendPath(a.cr, *path);
            cairo_set_fill_rule(a.cr, CAIRO_FILL_RULE_WINDING);
            cairo_fill(a.cr);
        } else {
            body = std::make_unique<CairoSurface>(
                cairo_image_surface_create(CAIRO_FORMAT_ARGB32, w, h));
            if (!body->ok()) return drawBody(model, shown);
            std::unique_ptr<graphics::Context> bodyContext =
                graphics::Context::wrap(body->surface, 1.0);
            if (!bodyContext) return drawBody(model, shown);
            cairo_set_matrix(bodyContext->cairo(), &local);
            LayerRenderer nested(*bodyContext);
            nested.depth_ = depth_;
            nested.drawBody(model, shown);
            bodyContext.reset();  // flushes
            cairo_identity_matrix(a.cr);
            cairo_set_source_surface(a.cr, body->surface, 0, 0);
            cairo_paint(a.cr);
        }
    }
    cairo_surface_flush(alpha.surface);

    // Pass 3: blur, then lay the shadow colour through it, moved by the offset.
    gaussianBlurAlpha(cairo_image_surface_get_data(alpha.surface), w, h,
                      std::size_t(cairo_image_surface_get_stride(alpha.surface)), shadow.sigma);
    cairo_surface_mark_dirty(alpha.surface);
    cairo_save(cr_);
    cairo_identity_matrix(cr_);
    setSource(cr_, shadow.color);
    cairo_mask_surface(cr_, alpha.surface, region.minX() + shadow.offset.x,
                       region.minY() + shadow.offset.y);
    cairo_restore(cr_);

    // Pass 4: the layer itself over its shadow.
    if (!body) return drawBody(model, shown);
    cairo_save(cr_);
    cairo_identity_matrix(cr_);
    cairo_set_source_surface(cr_, body->surface, region.minX(), region.minY());
    cairo_paint(cr_);
    cairo_restore(cr_);
}

void LayerRenderer::drawBackdrop(const Layer& shown) {
    cairo_surface_t* target = cairo_get_group_target(cr_);
    if (cairo_surface_get_type(target) != CAIRO_SURFACE_TYPE_IMAGE ||
        cairo_image_surface_get_format(target) != CAIRO_FORMAT_ARGB32) {
        return;
    }
    cairo_matrix_t m;
    cairo_get_matrix(cr_, &m);
    const double scale = std::sqrt(std::abs(m.xx * m.yy - m.xy * m.yx));
    const double sigma = shown.backdropBlurRadius() * scale / 2;
    if (!(sigma > 0.1)) return;

    // Pass 1: the device pixels under the layer, and those the blur reads around them.
    double ox = 0, oy = 0;
    cairo_surface_get_device_offset(target, &ox, &oy);
    const int surfaceW = cairo_image_surface_get_width(target);
    const int surfaceH = cairo_image_surface_get_height(target);
    const base::Rect surface{-ox, -oy, double(surfaceW), double(surfaceH)};
    const base::Rect box =
        wholePixels(pixelBox(m, shown.bounds().standardized()).intersection(pixelClip()));
    if (box.isNull()) return;
    const double reach = 3 * sigma;
    const base::Rect region = wholePixels(box.insetBy(-reach, -reach).intersection(surface));
    if (region.isNull()) return;

    // Pass 2: a reduced copy, so that wide blurs cost a few pixels each.
    const double factor = std::max(1.0, std::floor(sigma / 3));
    const int w = std::max(1, int(std::ceil(region.width() / factor)));
    const int h = std::max(1, int(std::ceil(region.height() / factor)));
    CairoSurface small(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, w, h));
    if (!small.ok()) return;
    cairo_surface_flush(target);
    {
        CairoContext c(small.surface);
        cairo_scale(c.cr, 1 / factor, 1 / factor);
        cairo_set_source_surface(c.cr, target, -(region.minX() + ox), -(region.minY() + oy));
        cairo_pattern_set_filter(cairo_get_source(c.cr), CAIRO_FILTER_GOOD);
        cairo_set_operator(c.cr, CAIRO_OPERATOR_SOURCE);
        cairo_paint(c.cr);
    }
    cairo_surface_flush(small.surface);

    // Pass 3: blur each premultiplied channel as a plane.
    unsigned char* data = cairo_image_surface_get_data(small.surface);
    const std::size_t stride = std::size_t(cairo_image_surface_get_stride(small.surface));
    std::vector<std::uint8_t> plane(std::size_t(w) * std::size_t(h));
    for (int channel = 0; channel < 4; ++channel) {
        for (int y = 0; y < h; ++y) {
            for (int x = 0; x < w; ++x) {
                plane[std::size_t(y) * std::size_t(w) + std::size_t(x)] =
                    data[std::size_t(y) * stride + std::size_t(x) * 4 + std::size_t(channel)];
            }
        }
        gaussianBlurAlpha(plane.data(), w, h, std::size_t(w), sigma / factor);
        for (int y = 0; y < h; ++y) {
            for (int x = 0; x < w; ++x) {
                data[std::size_t(y) * stride + std::size_t(x) * 4 + std::size_t(channel)] =
                    plane[std::size_t(y) * std::size_t(w) + std::size_t(x)];
            }
        }
    }
    cairo_surface_mark_dirty(small.surface);

    // Pass 4: the blurred pixels replace what lies under the layer's shape.
    cairo_save(cr_);
    cairo_new_path(cr_);
    appendPath(cr_, shapeOf(shown));
    cairo_identity_matrix(cr_);
    cairo_clip(cr_);
    cairo_translate(cr_, region.minX(), region.minY());
    cairo_scale(cr_, factor, factor);
    cairo_set_source_surface(cr_, small.surface, 0, 0);
    cairo_pattern_set_filter(cairo_get_source(cr_), CAIRO_FILTER_BILINEAR);
    cairo_pattern_set_extend(cairo_get_source(cr_), CAIRO_EXTEND_PAD);
    cairo_set_operator(cr_, CAIRO_OPERATOR_SOURCE);
    cairo_paint(cr_);
    cairo_restore(cr_);
}

}  // namespace ui::detail
