#include "platform/text/Font.h"

#include <hb-ot.h>
#include <hb.h>

#include <algorithm>
#include <cmath>

#include "platform/text/FontRegistry.h"
#include "platform/text/detail/FontFace.h"
#include "platform/text/detail/SystemFonts.h"

namespace text {

namespace {

constexpr double kDefaultSize = 12;
constexpr double kMaxSize = 16384;

double normalSize(double size) {
    if (!std::isfinite(size) || size <= 0) return kDefaultSize;
    return std::min(size, kMaxSize);
}

// ---- Glyph outlines into paths, in HarfBuzz units (y up) --------------------------------------

struct OutlineSink {
    graphics::Path* path;
    double unit;  // points per HarfBuzz unit
};

void onMoveTo(hb_draw_funcs_t*, void* data, hb_draw_state_t*, float x, float y, void*) {
    auto* s = static_cast<OutlineSink*>(data);
    s->path->moveTo({x * s->unit, y * s->unit});
}

void onLineTo(hb_draw_funcs_t*, void* data, hb_draw_state_t*, float x, float y, void*) {
    auto* s = static_cast<OutlineSink*>(data);
    s->path->lineTo({x * s->unit, y * s->unit});
}

void onQuadTo(hb_draw_funcs_t*, void* data, hb_draw_state_t*, float cx, float cy, float x, float y,
              void*) {
    auto* s = static_cast<OutlineSink*>(data);
    s->path->quadTo({cx * s->unit, cy * s->unit}, {x * s->unit, y * s->unit});
}

void onCubicTo(hb_draw_funcs_t*, void* data, hb_draw_state_t*, float c1x, float c1y, float c2x,
               float c2y, float x, float y, void*) {
    auto* s = static_cast<OutlineSink*>(data);
    s->path->curveTo({c1x * s->unit, c1y * s->unit}, {c2x * s->unit, c2y * s->unit},
                     {x * s->unit, y * s->unit});
}

void onClose(hb_draw_funcs_t*, void* data, hb_draw_state_t*, void*) {
    static_cast<OutlineSink*>(data)->path->close();
}

hb_draw_funcs_t* outlineFuncs() {
    static hb_draw_funcs_t* funcs = [] {
        hb_draw_funcs_t* f = hb_draw_funcs_create();
        hb_draw_funcs_set_move_to_func(f, onMoveTo, nullptr, nullptr);
        hb_draw_funcs_set_line_to_func(f, onLineTo, nullptr, nullptr);
        hb_draw_funcs_set_quadratic_to_func(f, onQuadTo, nullptr, nullptr);
        hb_draw_funcs_set_cubic_to_func(f, onCubicTo, nullptr, nullptr);
        hb_draw_funcs_set_close_path_func(f, onClose, nullptr, nullptr);
        hb_draw_funcs_make_immutable(f);
        return f;
    }();
    return funcs;
}

}  // namespace

Font::Font(Private, std::shared_ptr<const detail::FontFace> face, double size,
           Variations variations, FontDesign design)
    : face_(std::move(face)),
      size_(size),
      variations_(std::move(variations)),
      design_(design),
      hb_(hb_font_create(face_->hbFace())) {
    const int scale = int(std::lround(size_ * kUnitsPerPoint));
    hb_font_set_scale(hb_, scale, scale);
    hb_font_set_ptem(hb_, float(size_));
    std::vector<hb_variation_t> values;
    for (const auto& [tag, value] : variations_) values.push_back({tag, float(value)});
    if (!values.empty()) hb_font_set_variations(hb_, values.data(), unsigned(values.size()));
    hb_font_make_immutable(hb_);

    const double unit = 1.0 / kUnitsPerPoint;
    hb_font_extents_t extents{};
    hb_font_get_h_extents(hb_, &extents);
    ascent_ = extents.ascender * unit;
    descent_ = -extents.descender * unit;
    leading_ = std::max(0.0, extents.line_gap * unit);
    hb_position_t position = 0;
    if (hb_ot_metrics_get_position(hb_, HB_OT_METRICS_TAG_CAP_HEIGHT, &position)) {
        capHeight_ = position * unit;
    }
    if (hb_ot_metrics_get_position(hb_, HB_OT_METRICS_TAG_X_HEIGHT, &position)) {
        xHeight_ = position * unit;
    }
}

Font::~Font() {
    hb_font_destroy(hb_);
}

std::shared_ptr<const Font> Font::make(std::shared_ptr<const detail::FontFace> face, double size,
                                       const Variations& requested, FontDesign design) {
    if (!face) return nullptr;
    // Every axis gets a value, so two fonts at the same place in the design space compare equal
    // however they were asked for.
    Variations values;
    for (const VariationAxis& axis : face->axes()) {
        auto it = requested.find(axis.tag);
        const double v =
            it != requested.end() && std::isfinite(it->second) ? it->second : axis.defaultValue;
        values[axis.tag] = std::clamp(v, axis.minimum, axis.maximum);
    }
    return std::make_shared<const Font>(Private{}, std::move(face), normalSize(size),
                                        std::move(values), design);
}

std::shared_ptr<const Font> Font::systemFont(double size, double weight) {
    return create(FontDescriptor::system(weight), size);
}

std::shared_ptr<const Font> Font::boldSystemFont(double size) {
    return systemFont(size, FontWeight::Bold);
}

std::shared_ptr<const Font> Font::create(const FontDescriptor& d, double size) {
    std::shared_ptr<const detail::FontFace> face = d.face_;
    if (!face) {
        if (d.design_ == FontDesign::Rounded) {
            face = detail::roundedFace(d.weight_.value_or(FontWeight::Regular));
        } else if (!d.postScriptName_.empty()) {
            face = detail::registeredFace(d.postScriptName_);
            if (!face) face = detail::installedFace(d.postScriptName_);
        } else {
            face = detail::systemFace();
        }
    }
    if (!face) return nullptr;
    Variations requested = d.variations_;
    if (d.weight_ && face->axis(kWeightAxis) && !requested.count(kWeightAxis)) {
        requested[kWeightAxis] = wghtForWeight(*d.weight_);
    }
    return make(std::move(face), size, requested, d.design_);
}

std::shared_ptr<const Font> Font::fromFile(const std::string& path, double size,
                                           std::string* reason) {
    return make(detail::FontFace::fromFile(path, 0, reason), size, {}, FontDesign::Default);
}

std::shared_ptr<const Font> Font::fromData(std::span<const uint8_t> bytes, double size,
                                           std::string* reason) {
    return make(detail::FontFace::fromData(bytes, 0, reason), size, {}, FontDesign::Default);
}

std::shared_ptr<const Font> Font::withSize(double size) const {
    return make(face_, size, variations_, design_);
}

std::shared_ptr<const Font> Font::withVariations(const Variations& values, double size) const {
    Variations merged = variations_;
    for (const auto& [tag, value] : values) {
        if (merged.count(tag)) merged[tag] = value;
    }
    return make(face_, size, merged, design_);
}

FontDescriptor Font::descriptor() const {
    FontDescriptor d;
    d.postScriptName_ = face_->postScriptName();
    d.weight_ = weight();
    d.design_ = design_;
    d.variations_ = variations_;
    d.face_ = face_;
    return d;
}

const std::string& Font::postScriptName() const {
    return face_->postScriptName();
}

const std::string& Font::familyName() const {
    return face_->familyName();
}

double Font::weight() const {
    if (auto it = variations_.find(kWeightAxis); it != variations_.end()) {
        return weightForWght(it->second);
    }
    return weightForWght(hb_style_get_value(hb_, HB_STYLE_TAG_WEIGHT));
}

std::vector<VariationAxis> Font::variationAxes() const {
    return face_->axes();
}

bool Font::hasGlyph(char32_t codepoint) const {
    hb_codepoint_t glyph = 0;
    return hb_font_get_nominal_glyph(hb_, codepoint, &glyph) && glyph != 0;
}

std::shared_ptr<const Font> Font::fallbackFont(char32_t codepoint) const {
    auto face = detail::fallbackFace(codepoint);
    if (!face) return nullptr;
    std::lock_guard lock(glyphMutex_);
    auto& font = fallbacks_[face.get()];
    if (!font) {
        Variations requested;
        if (face->axis(kWeightAxis)) requested[kWeightAxis] = wghtForWeight(weight());
        font = make(std::move(face), size_, requested, FontDesign::Default);
    }
    return font;
}

const graphics::Path& Font::glyphPath(uint32_t glyph) const {
    std::lock_guard lock(glyphMutex_);
    auto& slot = glyphPaths_[glyph];
    if (!slot) {
        slot = std::make_unique<graphics::Path>();
        OutlineSink sink{slot.get(), 1.0 / kUnitsPerPoint};
        hb_font_get_glyph_shape(hb_, glyph, outlineFuncs(), &sink);
    }
    // Paths are never removed or changed once made, so the reference outlives the lock.
    return *slot;
}

bool operator==(const Font& a, const Font& b) {
    return a.face_ == b.face_ && a.size_ == b.size_ && a.variations_ == b.variations_;
}

}  // namespace text
