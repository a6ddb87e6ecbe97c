#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "platform/base/Color.h"
#include "platform/base/Geometry.h"
#include "platform/graphics/Context.h"
#include "platform/text/AttributedString.h"
#include "platform/text/Font.h"

namespace text {

// Ascent and descent are distances above and below the baseline (both positive).
struct TypographicBounds {
    double ascent = 0;
    double descent = 0;
    double leading = 0;
    double width = 0;
};

// Glyphs of one font and colour, in visual order.
struct GlyphRun {
    std::shared_ptr<const Font> font;
    base::Color color;
    TextRange range;  // the bytes of the string these glyphs show
    std::vector<uint32_t> glyphs;
    std::vector<base::Point> positions;  // glyph origins from the line's origin, y up
    double width = 0;
};

// One line of shaped text, laid out left to right with no wrapping. Line coordinates have the
// origin on the baseline at the line's start and y growing upward.
//
// Fonts come from the layout font attribute, else the toolkit's, else the 12-point system font;
// colours likewise, else black. Characters the run's font cannot show are set in an installed
// font that can (per character, marks and joiners staying with their base). Text that runs right
// to left (Arabic, Hebrew) is laid out by the Unicode bidirectional algorithm: each directional
// run is shaped in its direction and the runs are placed in visual order, so `runs()` lists them
// from left to right.
class TextLine {
  public:
    static std::shared_ptr<const TextLine> create(const AttributedString& string);

    // Ascent, descent and leading are the largest over the fonts used; width is the advance.
    TypographicBounds typographicBounds() const { return bounds_; }
    double width() const { return bounds_.width; }
    // The tight box of the glyph outlines in line coordinates; the null rectangle when no glyph
    // leaves ink (empty text, spaces).
    base::Rect glyphPathBounds() const { return ink_; }
    const std::vector<GlyphRun>& runs() const { return runs_; }

    // Fills the glyphs with the line's origin at the context's text position. Glyph y grows
    // upward in user space: flip an unflipped context first or the text comes out upside down.
    void draw(graphics::Context& context) const;

  private:
    std::vector<GlyphRun> runs_;
    TypographicBounds bounds_;
    base::Rect ink_ = base::Rect::null();
};

}  // namespace text
