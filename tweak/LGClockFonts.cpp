#include "tweak/LGClockFonts.h"

#include <algorithm>
#include <string>

#include "glass/LGAutomaticTintColor.h"
#include "platform/text/FontDescriptor.h"
#include "platform/text/FontWeight.h"
#include "support/LGSharedSupport.h"
#include "tweak/LGClockHost.h"
#include "tweak/LGClockPreferences.h"
#include "tweak/LGClockVariableFont.h"

namespace {

constexpr double kLegacyMinimumSize = 58;
constexpr double kFallbackSize = 84;

std::string legacyStyle() {
    return LGPrefsString(kLGClockLegacyFontStyleKey, kLGClockLegacyFontStyleDefault);
}

// The legacy clock's system font at `size`, in the rounded design for style "rounded".
text::FontRef legacySystemFont(double size, const std::string& style) {
    const double weight =
        LGPrefsDouble(kLGClockLegacyFontWeightKey, kLGClockLegacyFontWeightDefault);
    text::FontRef font = text::Font::systemFont(size, weight);
    if (style == "rounded" && font) {
        if (auto rounded = font->descriptor().withDesign(text::FontDesign::Rounded)) {
            if (text::FontRef roundedFont = text::Font::create(*rounded, size)) return roundedFont;
        }
    }
    return font;
}

}  // namespace

text::FontRef LGClockFallbackFont() {
    return text::Font::systemFont(kFallbackSize, text::FontWeight::Bold);
}

double LGClockVariableFontEmbolden() {
    if (!LGIsModernSystem()) return 0;
    if (!LGPrefsBool(kLGClockVariableFontEnabledKey, kLGClockVariableFontEnabledDefault)) return 0;
    const double weight =
        LGPrefsDouble(kLGClockVariableFontWeightKey, kLGClockVariableFontDefaultWeight);
    if (!(weight > 400)) return 0;
    return std::min(2.0 * (weight - 400) / 600, 2.0);
}

text::FontRef LGClockDisplayFont(const ui::Label* label, const ui::View* host) {
    text::FontRef base = label && label->font() ? label->font() : LGClockFallbackFont();
    const double baseSize = base ? base->pointSize() : kFallbackSize;
    const bool legacy = LGClockIsLegacyHost(host);
    const std::string style = legacy ? legacyStyle() : std::string();

    // Pass 1: the legacy styles drawn in the system font.
    if (legacy && style != "ios26") {
        const double boost =
            LGPrefsDouble(kLGClockLegacySizeBoostKey, kLGClockLegacySizeBoostDefault);
        return legacySystemFont(std::max(baseSize * boost, kLegacyMinimumSize), style);
    }
    // Pass 2: the variable font, for the legacy "ios26" style and any other host while it is on.
    if (legacy || LGPrefsBool(kLGClockVariableFontEnabledKey, kLGClockVariableFontEnabledDefault)) {
        const double scale =
            LGPrefsDouble(kLGClockVariableFontSizeScaleKey, kLGClockVariableFontDefaultSizeScale);
        const double size = std::max(baseSize * scale, 1.0);
        const double height =
            LGPrefsDouble(kLGClockVariableFontHeightKey, kLGClockVariableFontDefaultHeight);
        if (text::FontRef variable = LGClockVariableFont(size, height)) return variable;
        // Pass 3: without the variable font a legacy clock takes the system font at the size the
        // variable font would have had; any other clock keeps its label's font as it is.
        return legacy ? legacySystemFont(size, style) : base;
    }
    return base;
}

base::Color LGClockTintColor(const ui::View* view) {
    const std::string mode =
        LGPrefsString(kLGClockTintOverrideModeKey, kLGClockTintOverrideModeDefault);
    const double light = LGPrefsDouble(kLGClockLightTintAlphaKey, kLGClockLightTintAlphaDefault);
    const double dark = LGPrefsDouble(kLGClockDarkTintAlphaKey, kLGClockDarkTintAlphaDefault);
    if (mode == "dark") return base::Color::white(0, dark);
    if (mode == "light") return base::Color::white(1, light);
    return LGAutomaticTintColor(view, {}, light, dark);
}
