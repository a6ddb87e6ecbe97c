#include "tweak/LGClockMask.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <utility>

#include "platform/graphics/ImageContext.h"
#include "platform/text/TextLine.h"
#include "platform/ui/Screen.h"
#include "support/LGSharedSupport.h"
#include "tweak/LGClockFonts.h"
#include "tweak/LGClockHost.h"
#include "tweak/LGClockPreferences.h"

namespace {

using Offset = std::pair<double, double>;
constexpr std::array<Offset, 5> kLegacyStrokes = {{{0, 0}, {-1, 0}, {1, 0}, {0, 1}, {0, -1}}};
constexpr std::array<Offset, 9> kVariableStrokes = {
    {{0, 0}, {-1, 0}, {1, 0}, {0, 1}, {0, -1}, {-0.7, -0.7}, {0.7, -0.7}, {-0.7, 0.7}, {0.7, 0.7}}};

const std::string kFont(text::kFontAttribute);
const std::string kColor(text::kForegroundColorAttribute);
const std::string kLayoutFont(text::kLayoutFontAttribute);
const std::string kLayoutColor(text::kLayoutForegroundColorAttribute);

// The text-layout font for a platform font: the same descriptor at its point size.
text::FontRef layoutFontFor(const text::FontRef& font) {
    if (!font) return nullptr;
    return text::Font::create(font->descriptor(), font->pointSize());
}

text::AttributedString plainMaskString(const LGClockDisplayState& state) {
    const text::FontRef font = state.font ? state.font : LGClockFallbackFont();
    text::FontRef layout = state.layoutFont ? state.layoutFont : layoutFontFor(font);
    if (!layout) layout = font;
    text::Attributes attributes;
    if (layout) attributes[kLayoutFont] = layout;
    attributes[kLayoutColor] = base::Color::white(1);
    return text::AttributedString(state.text, attributes);
}

text::AttributedString styledMaskString(const LGClockDisplayState& state) {
    text::AttributedString result = *state.attributedText;
    const text::TextRange all{0, result.length()};
    result.enumerateAttribute(
        kFont, all, [&](const text::AttributeValue* value, text::TextRange range) {
            text::FontRef font;
            if (value) {
                if (const auto* runFont = std::get_if<std::shared_ptr<const text::Font>>(value))
                    font = *runFont;
            }
            if (!font) font = state.font ? state.font : LGClockFallbackFont();
            result.removeAttribute(kFont, range);
            if (text::FontRef layout = layoutFontFor(font))
                result.addAttribute(kLayoutFont, layout, range);
        });
    result.removeAttribute(kColor, all);
    result.removeAttribute(kLayoutColor, all);
    result.addAttribute(kLayoutColor, base::Color::white(1), all);
    return result;
}

}  // namespace

text::AttributedString LGClockMaskAttributedString(const LGClockDisplayState& state) {
    const bool variable =
        LGPrefsBool(kLGClockVariableFontEnabledKey, kLGClockVariableFontEnabledDefault) ||
        LGPrefsString(kLGClockLegacyFontStyleKey, kLGClockLegacyFontStyleDefault) == "ios26";
    if (variable && !state.text.empty() && (state.layoutFont || state.font)) {
        return plainMaskString(state);
    }
    if (state.attributedText && !state.attributedText->empty()) return styledMaskString(state);
    return plainMaskString(state);
}

graphics::ImageRef LGClockMaskImage(const LGClockDisplayState& state, const base::Rect& rect,
                                    const ui::View* host) {
    if (rect.isEmpty() || state.text.empty() || !state.font) return nullptr;
    double scale = ui::Screen::main()->scale();
    if (!(scale > 0)) scale = 1;
    auto image = graphics::ImageContext::begin(rect.size, false, scale);
    if (!image) return nullptr;
    graphics::Context& context = image->context();
    const double W = rect.width();
    const double H = rect.height();
    // Text lines draw with y up: flip so that y grows upward from the bottom edge.
    context.translate(0, H);
    context.scale(1, -1);

    auto line = text::TextLine::create(LGClockMaskAttributedString(state));
    if (!line) return nullptr;
    const text::TypographicBounds bounds = line->typographicBounds();
    double x = 0;
    if (state.alignment == 1) {
        x = std::floor((W - bounds.width) / 2);
    } else if (state.alignment == 2) {
        x = std::floor(W - bounds.width);
    }

    auto drawAt = [&](double px, double py) {
        context.setTextPosition({px, py});
        line->draw(context);
    };
    if (LGClockIsLegacyHost(host)) {
        const double y = std::floor(H - bounds.ascent);
        const double e =
            std::max(LGPrefsDouble(kLGClockLegacyEmboldenKey, kLGClockLegacyEmboldenDefault), 0.0);
        for (const auto& [dx, dy] : kLegacyStrokes) drawAt(x + dx * e, y + dy * e);
    } else {
        const double y = std::floor(H - std::max(state.topInset, 0.0) - bounds.ascent);
        const double e = LGClockVariableFontEmbolden();
        if (e > 0) {
            for (const auto& [dx, dy] : kVariableStrokes) drawAt(x + dx * e, y + dy * e);
        } else {
            drawAt(x, y);
        }
    }
    return image->image();
}
