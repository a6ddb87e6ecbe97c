#include "tweak/LGClockTextGeometry.h"

#include <algorithm>
#include <cmath>

#include "platform/text/AttributedString.h"
#include "tweak/LGClockFonts.h"

namespace {

constexpr double kMargin = 18;
// The glass reaches below the line box by this share of its height, for descending strokes.
constexpr double kBelowShare = 0.18;

const text::FontRef& pick(const text::FontRef& font, const text::FontRef& layoutFont) {
    return layoutFont ? layoutFont : font;
}

// The ink's bottom edge in line coordinates (y up): the glyph outlines' minimum y, or the descent
// when the line leaves no ink.
double inkMinY(const text::TextLine& line) {
    const base::Rect ink = line.glyphPathBounds();
    if (ink.isNull() || ink.isEmpty()) return -line.typographicBounds().descent;
    return ink.minY();
}

}  // namespace

std::shared_ptr<const text::TextLine> LGClockLayoutLine(const std::string& text,
                                                        const text::FontRef& font) {
    if (!font) return nullptr;
    text::Attributes attributes;
    attributes[std::string(text::kLayoutFontAttribute)] = font;
    attributes[std::string(text::kLayoutForegroundColorAttribute)] = base::Color::white(1);
    return text::TextLine::create(text::AttributedString(text, attributes));
}

double LGClockTextWidth(const std::string& text, const text::FontRef& font,
                        const text::FontRef& layoutFont) {
    const text::FontRef& chosen = pick(font, layoutFont);
    if (text.empty() || !chosen) return 0;
    auto line = LGClockLayoutLine(text, chosen);
    return line ? std::ceil(line->width()) : 0;
}

base::Rect LGClockGlassFrame(const std::string& text, const text::FontRef& font,
                             const text::FontRef& layoutFont, int alignment,
                             const base::Rect& rect) {
    if (rect.isEmpty()) return rect;
    const text::FontRef& chosen = pick(font, layoutFont);
    const double lineHeight =
        chosen ? std::ceil(chosen->ascent() + chosen->descent() + chosen->leading()) : 0;
    const double h = rect.height();
    const double h1 = std::max(h, lineHeight);

    base::Rect frame = rect;
    frame.size.height =
        h + std::max(std::ceil(h1 - h) + std::ceil(h1 * kBelowShare) + kMargin, kMargin);
    const double needed = LGClockTextWidth(text, font, layoutFont) + kMargin +
                          std::ceil(4 * LGClockVariableFontEmbolden());
    const double width = std::max(rect.width(), needed);
    const double grown = width - rect.width();
    frame.size.width = width;
    if (alignment == 2) {
        frame.origin.x -= grown;
    } else if (alignment != 0 && alignment != 3 && alignment != 4) {
        frame.origin.x -= std::floor(grown / 2);
    }
    return frame;
}

base::Rect LGClockLegacyGlassFrame(const std::string& text, const text::FontRef& font,
                                   const text::FontRef& layoutFont, const base::Rect& rect) {
    if (rect.isEmpty()) return rect;
    base::Rect r = LGClockGlassFrame(text, font, layoutFont, 1, rect);
    const double width = std::max(r.width(), LGClockTextWidth(text, font, layoutFont) + kMargin);
    if (width > r.width()) {
        r.origin.x -= std::floor((width - r.width()) / 2);
        r.size.width = width;
    }
    return r;
}

double LGClockGlyphBottom(const std::string& text, const text::FontRef& font,
                          const text::FontRef& layoutFont, const base::Rect& rect,
                          double topInset) {
    const text::FontRef& chosen = pick(font, layoutFont);
    if (rect.isEmpty() || text.empty() || !chosen) return rect.maxY();
    const base::Rect r = LGClockGlassFrame(text, font, layoutFont, 1, rect);
    auto line = LGClockLayoutLine(text, chosen);
    if (!line) return rect.maxY();
    const double ascent = line->typographicBounds().ascent;
    const double baseline = std::floor(r.height() - std::max(topInset, 0.0) - ascent);
    return r.height() - (baseline + inkMinY(*line)) + r.minY();
}

double LGClockLegacyGlyphBottom(const std::string& text, const text::FontRef& font,
                                const text::FontRef& layoutFont, const base::Rect& rect) {
    const text::FontRef& chosen = pick(font, layoutFont);
    if (rect.isEmpty() || text.empty() || !chosen) return rect.maxY();
    const base::Rect r = LGClockLegacyGlassFrame(text, font, layoutFont, rect);
    auto line = LGClockLayoutLine(text, chosen);
    if (!line) return rect.maxY();
    const double baseline = std::floor(r.height() - line->typographicBounds().ascent);
    return r.height() - (baseline + inkMinY(*line)) + r.minY();
}
