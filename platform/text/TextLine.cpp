#include "platform/text/TextLine.h"

#include <hb.h>
#include <unicode/ubidi.h>

#include <algorithm>
#include <vector>

#include "platform/base/Utf8.h"

namespace text {

namespace {

struct Style {
    std::shared_ptr<const Font> font;
    base::Color color;
};

Style styleOf(const Attributes& attributes) {
    auto get = [&](std::string_view name) -> const AttributeValue* {
        auto it = attributes.find(name);
        return it == attributes.end() ? nullptr : &it->second;
    };
    Style style;
    for (std::string_view name : {kLayoutFontAttribute, kFontAttribute}) {
        if (const AttributeValue* v = get(name)) {
            auto* font = std::get_if<std::shared_ptr<const Font>>(v);
            if (font && *font) {
                style.font = *font;
                break;
            }
        }
    }
    if (!style.font) style.font = Font::systemFont(12);
    style.color = base::Color::black();
    for (std::string_view name : {kLayoutForegroundColorAttribute, kForegroundColorAttribute}) {
        if (const AttributeValue* v = get(name)) {
            if (auto* color = std::get_if<base::Color>(v)) {
                style.color = *color;
                break;
            }
        }
    }
    return style;
}

// Characters that belong to the one before them and must stay in its font: combining marks,
// joiners, variation selectors.
bool clingsToPrevious(char32_t cp) {
    if (cp == 0x200C || cp == 0x200D) return true;
    if ((cp >= 0xFE00 && cp <= 0xFE0F) || (cp >= 0xE0100 && cp <= 0xE01EF)) return true;
    switch (hb_unicode_general_category(hb_unicode_funcs_get_default(), cp)) {
        case HB_UNICODE_GENERAL_CATEGORY_NON_SPACING_MARK:
        case HB_UNICODE_GENERAL_CATEGORY_SPACING_MARK:
        case HB_UNICODE_GENERAL_CATEGORY_ENCLOSING_MARK:
            return true;
        default:
            return false;
    }
}

bool isControl(char32_t cp) {
    return cp < 0x20 || (cp >= 0x7F && cp < 0xA0);
}

bool isSpace(char32_t cp) {
    return hb_unicode_general_category(hb_unicode_funcs_get_default(), cp) ==
           HB_UNICODE_GENERAL_CATEGORY_SPACE_SEPARATOR;
}

struct Segment {
    std::size_t start;
    std::size_t length;
    std::shared_ptr<const Font> font;
    base::Color color;
    UBiDiLevel level = 0;  // odd: right to left
};

// The bidirectional embedding level of every byte of `text` (the paragraph's direction taken
// from its first strong character), or an empty vector when the whole text runs left to right,
// which is the common case and needs no reordering.
std::vector<UBiDiLevel> bidiLevels(const std::string& text) {
    // Pass 1: UTF-16 for ICU, remembering where each UTF-16 unit starts in the bytes.
    std::vector<UChar> units;
    std::vector<std::size_t> unitOfByte(text.size(), 0);
    bool anyNonAscii = false;
    for (std::size_t i = 0; i < text.size();) {
        std::size_t n = 1;
        char32_t cp = base::decodeUtf8(text, i, &n);
        anyNonAscii = anyNonAscii || cp >= 0x80;
        for (std::size_t k = 0; k < n; ++k) unitOfByte[i + k] = units.size();
        if (cp >= 0x10000) {
            cp -= 0x10000;
            units.push_back(UChar(0xD800 + (cp >> 10)));
            units.push_back(UChar(0xDC00 + (cp & 0x3FF)));
        } else {
            units.push_back(UChar(cp));
        }
        i += n;
    }
    // Only characters beyond ASCII can run right to left.
    if (!anyNonAscii) return {};

    // Pass 2: the levels, mapped back to the bytes.
    UErrorCode status = U_ZERO_ERROR;
    UBiDi* bidi = ubidi_openSized(int32_t(units.size()), 0, &status);
    if (U_FAILURE(status)) return {};
    ubidi_setPara(bidi, units.data(), int32_t(units.size()), UBIDI_DEFAULT_LTR, nullptr, &status);
    std::vector<UBiDiLevel> levels;
    if (U_SUCCESS(status) && ubidi_getDirection(bidi) != UBIDI_LTR) {
        const UBiDiLevel* unitLevels = ubidi_getLevels(bidi, &status);
        if (U_SUCCESS(status) && unitLevels) {
            levels.resize(text.size());
            for (std::size_t i = 0; i < text.size(); ++i) levels[i] = unitLevels[unitOfByte[i]];
        }
    }
    ubidi_close(bidi);
    return levels;
}

// The order in which to place `segments` from left to right.
std::vector<std::size_t> visualOrder(const std::vector<Segment>& segments) {
    std::vector<std::size_t> order(segments.size());
    for (std::size_t i = 0; i < order.size(); ++i) order[i] = i;
    if (segments.empty()) return order;
    std::vector<UBiDiLevel> levels;
    for (const Segment& segment : segments) levels.push_back(segment.level);
    std::vector<int32_t> map(segments.size());
    ubidi_reorderVisual(levels.data(), int32_t(levels.size()), map.data());
    for (std::size_t i = 0; i < order.size(); ++i) order[i] = std::size_t(map[i]);
    return order;
}

}  // namespace

std::shared_ptr<const TextLine> TextLine::create(const AttributedString& string) {
    auto line = std::make_shared<TextLine>();
    const std::string& text = string.string();

    // Pass 1: split every attribute run into segments of one font and one direction, choosing a
    // fallback font for each character the run's font lacks.
    const std::vector<UBiDiLevel> levels = bidiLevels(text);
    std::vector<Segment> segments;
    for (const AttributedString::Run& run : string.runs()) {
        const Style style = styleOf(run.attributes);
        if (!style.font) continue;  // no fonts installed at all: nothing can be shown
        std::shared_ptr<const Font> previous;
        for (std::size_t i = run.range.location; i < run.range.end();) {
            std::size_t n = 1;
            const char32_t cp = base::decodeUtf8(text, i, &n);
            std::shared_ptr<const Font> font = style.font;
            if (!style.font->hasGlyph(cp)) {
                if (previous && (clingsToPrevious(cp) || isSpace(cp) || isControl(cp))) {
                    font = previous;
                } else if (!isControl(cp)) {
                    if (auto fallback = style.font->fallbackFont(cp)) font = fallback;
                }
            }
            previous = font;
            const UBiDiLevel level = levels.empty() ? 0 : levels[i];
            if (!segments.empty() && segments.back().start + segments.back().length == i &&
                segments.back().font == font && segments.back().color == style.color &&
                segments.back().level == level) {
                segments.back().length += n;
            } else {
                segments.push_back({i, n, font, style.color, level});
            }
            i += n;
        }
    }

    // Pass 2: shape each segment in its direction with the whole text as context, and place the
    // segments from left to right in the bidirectional algorithm's visual order.
    hb_buffer_t* buffer = hb_buffer_create();
    double penX = 0;
    for (const std::size_t index : visualOrder(segments)) {
        const Segment& segment = segments[index];
        hb_buffer_clear_contents(buffer);
        hb_buffer_add_utf8(buffer, text.data(), int(text.size()), unsigned(segment.start),
                           int(segment.length));
        if (!levels.empty()) {
            hb_buffer_set_direction(buffer,
                                    segment.level % 2 ? HB_DIRECTION_RTL : HB_DIRECTION_LTR);
        }
        hb_buffer_guess_segment_properties(buffer);
        hb_shape(segment.font->hbFont(), buffer, nullptr, 0);

        unsigned count = 0;
        const hb_glyph_info_t* infos = hb_buffer_get_glyph_infos(buffer, &count);
        const hb_glyph_position_t* positions = hb_buffer_get_glyph_positions(buffer, &count);
        GlyphRun run;
        run.font = segment.font;
        run.color = segment.color;
        run.range = {segment.start, segment.length};
        const double unit = 1.0 / Font::kUnitsPerPoint;
        const double runStart = penX;
        for (unsigned g = 0; g < count; ++g) {
            std::size_t n = 1;
            // Control characters (a stray newline) take no room and leave no ink.
            if (isControl(base::decodeUtf8(text, infos[g].cluster, &n))) continue;
            run.glyphs.push_back(infos[g].codepoint);
            run.positions.push_back(
                {penX + positions[g].x_offset * unit, positions[g].y_offset * unit});
            penX += positions[g].x_advance * unit;
        }
        run.width = penX - runStart;
        line->runs_.push_back(std::move(run));
    }
    hb_buffer_destroy(buffer);

    // Pass 3: metrics over the fonts used, and the ink box of every outline.
    for (const GlyphRun& run : line->runs_) {
        line->bounds_.ascent = std::max(line->bounds_.ascent, run.font->ascent());
        line->bounds_.descent = std::max(line->bounds_.descent, run.font->descent());
        line->bounds_.leading = std::max(line->bounds_.leading, run.font->leading());
        for (std::size_t g = 0; g < run.glyphs.size(); ++g) {
            const base::Rect box = run.font->glyphPath(run.glyphs[g]).bounds();
            if (box.isNull()) continue;
            line->ink_ = line->ink_.unionWith(box.offsetBy(run.positions[g].x, run.positions[g].y));
        }
    }
    line->bounds_.width = penX;
    return line;
}

void TextLine::draw(graphics::Context& context) const {
    const base::Point origin = context.textPosition();
    for (const GlyphRun& run : runs_) {
        graphics::Path outlines;
        for (std::size_t g = 0; g < run.glyphs.size(); ++g) {
            const graphics::Path& glyph = run.font->glyphPath(run.glyphs[g]);
            if (glyph.isEmpty()) continue;
            outlines.addPath(glyph,
                             base::AffineTransform::translation(origin.x + run.positions[g].x,
                                                                origin.y + run.positions[g].y));
        }
        if (!outlines.isEmpty()) context.fillPath(outlines, run.color);
    }
}

}  // namespace text
