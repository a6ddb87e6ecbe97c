// Font loading: the clock font and any --font file are read from disk as given.
#include <cstdint>
#include <cstdlib>
#include <span>
#include <string>

#include "platform/text/Font.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string reason;
    auto font = text::Font::fromData(std::span(data, size), 24, &reason);
    if (!font) {
        if (reason.empty()) std::abort();
        return 0;
    }
    // What the clock does with a font: its axes, an instance, and the digits' outlines.
    text::Variations variations;
    for (const text::VariationAxis& axis : font->variationAxes()) {
        variations[axis.tag] = axis.maximum;
    }
    auto instance = font->withVariations(variations, 48);
    for (const auto& f : {font, instance}) {
        if (!f) continue;
        (void)f->ascent();
        for (uint32_t glyph = 0; glyph < 16; ++glyph) (void)f->glyphPath(glyph).bounds();
        for (char32_t c : U"0123456789:") (void)f->hasGlyph(c);
    }
    return 0;
}
