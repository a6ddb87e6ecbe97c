#include "platform/graphics/Context.h"

#include <cairo.h>

#include <algorithm>
#include <cassert>
#include <cmath>

namespace graphics {

namespace {

cairo_operator_t cairoOperator(BlendMode mode) {
    switch (mode) {
        case BlendMode::Normal:
            return CAIRO_OPERATOR_OVER;
        case BlendMode::Multiply:
            return CAIRO_OPERATOR_MULTIPLY;
        case BlendMode::Screen:
            return CAIRO_OPERATOR_SCREEN;
        case BlendMode::Overlay:
            return CAIRO_OPERATOR_OVERLAY;
        case BlendMode::Darken:
            return CAIRO_OPERATOR_DARKEN;
        case BlendMode::Lighten:
            return CAIRO_OPERATOR_LIGHTEN;
        case BlendMode::Clear:
            return CAIRO_OPERATOR_CLEAR;
        case BlendMode::Copy:
            return CAIRO_OPERATOR_SOURCE;
        case BlendMode::SourceIn:
            return CAIRO_OPERATOR_IN;
        case BlendMode::SourceOut:
            return CAIRO_OPERATOR_OUT;
        case BlendMode::SourceAtop:
            return CAIRO_OPERATOR_ATOP;
        case BlendMode::DestinationOver:
            return CAIRO_OPERATOR_DEST_OVER;
        case BlendMode::DestinationIn:
            return CAIRO_OPERATOR_DEST_IN;
        case BlendMode::DestinationOut:
            return CAIRO_OPERATOR_DEST_OUT;
        case BlendMode::DestinationAtop:
            return CAIRO_OPERATOR_DEST_ATOP;
        case BlendMode::Xor:
            return CAIRO_OPERATOR_XOR;
        case BlendMode::PlusLighter:
            return CAIRO_OPERATOR_ADD;
    }
    return CAIRO_OPERATOR_OVER;
}

bool finiteRect(const base::Rect& r) {
    return !r.isNull() && std::isfinite(r.origin.x) && std::isfinite(r.origin.y) &&
           std::isfinite(r.size.width) && std::isfinite(r.size.height);
}

void appendPath(cairo_t* cr, const Path& path) {
    for (const Path::Element& e : path.elements()) {
        switch (e.verb) {
            case Path::Verb::Move:
                cairo_move_to(cr, e.points[0].x, e.points[0].y);
                break;
            case Path::Verb::Line:
                cairo_line_to(cr, e.points[0].x, e.points[0].y);
                break;
            case Path::Verb::Cubic:
                cairo_curve_to(cr, e.points[0].x, e.points[0].y, e.points[1].x, e.points[1].y,
                               e.points[2].x, e.points[2].y);
                break;
            case Path::Verb::Close:
                cairo_close_path(cr);
                break;
        }
    }
}

// Maps stored pixel coordinates to the coordinates of the image as shown (same units).
cairo_matrix_t orientationMatrix(ImageOrientation o, double w, double h) {
    cairo_matrix_t m;
    switch (o) {
        case ImageOrientation::Up:
            cairo_matrix_init(&m, 1, 0, 0, 1, 0, 0);
            break;
        case ImageOrientation::Down:  // (x, y) → (w − x, h − y)
            cairo_matrix_init(&m, -1, 0, 0, -1, w, h);
            break;
        case ImageOrientation::Right:  // turned clockwise: (x, y) → (h − y, x)
            cairo_matrix_init(&m, 0, 1, -1, 0, h, 0);
            break;
        case ImageOrientation::Left:  // turned counter-clockwise: (x, y) → (y, w − x)
            cairo_matrix_init(&m, 0, -1, 1, 0, 0, w);
            break;
        case ImageOrientation::UpMirrored:  // (x, y) → (w − x, y)
            cairo_matrix_init(&m, -1, 0, 0, 1, w, 0);
            break;
        case ImageOrientation::DownMirrored:  // (x, y) → (x, h − y)
            cairo_matrix_init(&m, 1, 0, 0, -1, 0, h);
            break;
        case ImageOrientation::LeftMirrored:  // transpose: (x, y) → (y, x)
            cairo_matrix_init(&m, 0, 1, 1, 0, 0, 0);
            break;
        case ImageOrientation::RightMirrored:  // (x, y) → (h − y, w − x)
            cairo_matrix_init(&m, 0, -1, -1, 0, h, w);
            break;
    }
    return m;
}

}  // namespace

std::unique_ptr<Context> Context::wrap(cairo_surface_t* surface, double baseScale) {
    if (!surface || cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS) return nullptr;
    cairo_t* cr = cairo_create(surface);
    if (cairo_status(cr) != CAIRO_STATUS_SUCCESS) {
        cairo_destroy(cr);
        return nullptr;
    }
    cairo_scale(cr, baseScale, baseScale);
    return std::unique_ptr<Context>(new Context(cr, cairo_image_surface_get_width(surface),
                                                cairo_image_surface_get_height(surface)));
}

Context::Context(cairo_t* cr, int pixelWidth, int pixelHeight)
    : cr_(cr), pixelWidth_(pixelWidth), pixelHeight_(pixelHeight) {}

Context::~Context() {
    cairo_surface_flush(cairo_get_target(cr_));
    cairo_destroy(cr_);
}

void Context::save() {
    cairo_save(cr_);
    alpha_.push_back(alpha_.back());
}

void Context::restore() {
    if (alpha_.size() <= 1) return;
    cairo_restore(cr_);
    alpha_.pop_back();
}

void Context::translate(double tx, double ty) {
    if (std::isfinite(tx) && std::isfinite(ty)) cairo_translate(cr_, tx, ty);
}

void Context::scale(double sx, double sy) {
    // A zero scale would make the transform singular and put Cairo into an error state for good.
    if (!std::isfinite(sx) || !std::isfinite(sy) || sx == 0 || sy == 0) return;
    cairo_scale(cr_, sx, sy);
}

void Context::concat(const base::AffineTransform& t) {
    if (!t.isInvertible()) return;
    cairo_matrix_t m;
    cairo_matrix_init(&m, t.a, t.b, t.c, t.d, t.tx, t.ty);
    cairo_transform(cr_, &m);
}

base::AffineTransform Context::transform() const {
    cairo_matrix_t m;
    cairo_get_matrix(cr_, &m);
    return {m.xx, m.yx, m.xy, m.yy, m.x0, m.y0};
}

void Context::setAlpha(double alpha) {
    if (std::isnan(alpha)) return;
    alpha_.back() = std::clamp(alpha, 0.0, 1.0);
}

void Context::clipToRect(const base::Rect& rect) {
    if (!finiteRect(rect)) return;
    const base::Rect r = rect.standardized();
    cairo_new_path(cr_);
    cairo_rectangle(cr_, r.minX(), r.minY(), r.width(), r.height());
    cairo_clip(cr_);
}

void Context::clipToPath(const Path& path, FillRule rule) {
    cairo_new_path(cr_);
    appendPath(cr_, path);
    cairo_set_fill_rule(
        cr_, rule == FillRule::EvenOdd ? CAIRO_FILL_RULE_EVEN_ODD : CAIRO_FILL_RULE_WINDING);
    cairo_clip(cr_);
    cairo_set_fill_rule(cr_, CAIRO_FILL_RULE_WINDING);
}

void Context::fillCurrentPath(const base::Color& color, BlendMode mode) {
    if (!color.componentsReadable()) {
        cairo_new_path(cr_);
        return;
    }
    // Colours that depend on the appearance are resolved by the views before they draw; one
    // that reaches here unresolved shows its light face.
    const base::Color c = color.resolved(false);
    cairo_save(cr_);
    cairo_set_operator(cr_, cairoOperator(mode));
    cairo_set_source_rgba(cr_, c.red(), c.green(), c.blue(), c.alpha() * alpha());
    cairo_fill(cr_);
    cairo_restore(cr_);
}

void Context::clear(const base::Rect& rect) {
    if (!finiteRect(rect)) return;
    const base::Rect r = rect.standardized();
    cairo_save(cr_);
    cairo_set_operator(cr_, CAIRO_OPERATOR_CLEAR);
    cairo_new_path(cr_);
    cairo_rectangle(cr_, r.minX(), r.minY(), r.width(), r.height());
    cairo_fill(cr_);
    cairo_restore(cr_);
}

void Context::fillRect(const base::Rect& rect, const base::Color& color, BlendMode mode) {
    if (!finiteRect(rect)) return;
    const base::Rect r = rect.standardized();
    cairo_new_path(cr_);
    cairo_rectangle(cr_, r.minX(), r.minY(), r.width(), r.height());
    fillCurrentPath(color, mode);
}

void Context::fillRoundedRect(const base::Rect& rect, double cornerRadius, const base::Color& color,
                              BlendMode mode) {
    if (!finiteRect(rect)) return;
    Path p;
    p.addRoundedRect(rect, cornerRadius);
    fillPath(p, color, mode);
}

void Context::fillCapsule(const base::Rect& rect, const base::Color& color, BlendMode mode) {
    if (!finiteRect(rect)) return;
    const base::Rect r = rect.standardized();
    fillRoundedRect(r, std::min(r.width(), r.height()) / 2, color, mode);
}

void Context::fillEllipse(const base::Rect& rect, const base::Color& color, BlendMode mode) {
    if (!finiteRect(rect)) return;
    Path p;
    p.addEllipse(rect);
    fillPath(p, color, mode);
}

void Context::fillPath(const Path& path, const base::Color& color, BlendMode mode, FillRule rule) {
    cairo_new_path(cr_);
    appendPath(cr_, path);
    cairo_set_fill_rule(
        cr_, rule == FillRule::EvenOdd ? CAIRO_FILL_RULE_EVEN_ODD : CAIRO_FILL_RULE_WINDING);
    fillCurrentPath(color, mode);
    cairo_set_fill_rule(cr_, CAIRO_FILL_RULE_WINDING);
}

void Context::strokePath(const Path& path, double lineWidth, const base::Color& color,
                         BlendMode mode) {
    if (!std::isfinite(lineWidth) || lineWidth <= 0 || !color.componentsReadable()) return;
    const base::Color c = color.resolved(false);
    cairo_save(cr_);
    cairo_new_path(cr_);
    appendPath(cr_, path);
    cairo_set_line_width(cr_, lineWidth);
    cairo_set_operator(cr_, cairoOperator(mode));
    cairo_set_source_rgba(cr_, c.red(), c.green(), c.blue(), c.alpha() * alpha());
    cairo_stroke(cr_);
    cairo_restore(cr_);
}

void Context::drawImage(const Image& image, const base::Rect& rect, BlendMode mode) {
    if (!finiteRect(rect) || rect.isEmpty()) return;
    const base::Rect r = rect.standardized();
    const int w = image.pixelWidth();
    const int h = image.pixelHeight();
    // Cairo only reads the pixels while the source is set; the image stays immutable.
    cairo_surface_t* src = cairo_image_surface_create_for_data(
        const_cast<uint8_t*>(image.pixels()), CAIRO_FORMAT_ARGB32, w, h, int(image.bytesPerRow()));
    if (cairo_surface_status(src) != CAIRO_STATUS_SUCCESS) {
        cairo_surface_destroy(src);
        return;
    }

    // pattern → user: orient, scale the shown pixels onto the rectangle, move to its origin.
    const bool swaps = orientationSwapsAxes(image.orientation());
    const double shownW = swaps ? h : w;
    const double shownH = swaps ? w : h;
    cairo_matrix_t toUser = orientationMatrix(image.orientation(), w, h);
    cairo_matrix_t place;
    cairo_matrix_init(&place, r.width() / shownW, 0, 0, r.height() / shownH, r.minX(), r.minY());
    cairo_matrix_multiply(&toUser, &toUser, &place);
    cairo_matrix_invert(&toUser);

    cairo_pattern_t* pattern = cairo_pattern_create_for_surface(src);
    cairo_pattern_set_matrix(pattern, &toUser);
    // Edge pixels repeat outward so a scaled image keeps hard, opaque edges inside its rectangle.
    cairo_pattern_set_extend(pattern, CAIRO_EXTEND_PAD);
    cairo_pattern_set_filter(pattern, CAIRO_FILTER_GOOD);

    cairo_save(cr_);
    cairo_new_path(cr_);
    cairo_rectangle(cr_, r.minX(), r.minY(), r.width(), r.height());
    cairo_clip(cr_);
    cairo_set_operator(cr_, cairoOperator(mode));
    cairo_set_source(cr_, pattern);
    cairo_paint_with_alpha(cr_, alpha());
    cairo_restore(cr_);

    cairo_pattern_destroy(pattern);
    // The surface may be kept alive by Cairo's snapshot machinery; finishing it detaches the
    // image's pixels before the image can go away.
    cairo_surface_finish(src);
    cairo_surface_destroy(src);
}

}  // namespace graphics
