#include <cmath>
#include <functional>

#include "support/LGSharedSupport.h"
#include "tweak/LGClockFonts.h"
#include "tweak/LGClockGlassView.h"
#include "tweak/LGClockHost.h"
#include "tweak/LGClockNotifications.h"
#include "tweak/LGClockPreferences.h"
#include "tweak/LGClockTextGeometry.h"
#include "tweak/LGClockVariableFont.h"

namespace {

// The glyphs keep this much space above the nearest notification.
constexpr double kClearance = 10;
constexpr double kAxisFloor = 100;
constexpr int kSearchRounds = 8;

}  // namespace

double LGClockDynamicHeightAxis(const std::shared_ptr<ui::Label>& label,
                                const std::shared_ptr<ui::View>& host,
                                const std::shared_ptr<ui::View>& container,
                                const base::Rect& rect) {
    const double h =
        LGPrefsDouble(kLGClockVariableFontHeightKey, kLGClockVariableFontDefaultHeight);
    const bool modern = LGClockIsModernHost(host.get());
    const bool legacyVariable =
        LGClockIsLegacyHost(host.get()) &&
        LGPrefsString(kLGClockLegacyFontStyleKey, kLGClockLegacyFontStyleDefault) == "ios26";

    // Pass 1: whether the height axis applies at all.
    if (!label || label->text().empty() || !(modern || legacyVariable)) return h;
    if (modern &&
        !LGPrefsBool(kLGClockVariableFontEnabledKey, kLGClockVariableFontEnabledDefault)) {
        return h;
    }
    LGClockRegisterVariableFont();
    const auto range = LGClockVariableFontAxisRange(kLGClockAxisHeight);
    double lo = range ? std::max(range->minimum, kAxisFloor) : kAxisFloor;
    if (!(h > lo + 0.5)) return h;
    const double limit = LGClockNearestNotificationTop(host, container, rect);
    if (limit == kLGClockNoNotificationTop) return h;

    // Pass 2: where the glyphs end at a given height.
    const std::string& text = label->text();
    const text::FontRef font = label->font() ? label->font() : LGClockFallbackFont();
    const double size =
        std::max(font->pointSize() * LGPrefsDouble(kLGClockVariableFontSizeScaleKey,
                                                   kLGClockVariableFontDefaultSizeScale),
                 1.0);
    const double topInset = label->bounds().minY();
    const std::function<double(double)> bottom = [&](double v) {
        const text::FontRef variable = LGClockVariableFont(size, v);
        return modern ? LGClockGlyphBottom(text, font, variable, rect, topInset)
                      : LGClockLegacyGlyphBottom(text, font, variable, rect);
    };
    if (bottom(h) + kClearance <= limit) return h;

    // Pass 3: the tallest height that keeps the space, by bisection.
    double hi = h;
    for (int round = 0; round < kSearchRounds; ++round) {
        const double mid = std::floor((lo + hi) / 2);
        if (bottom(mid) + kClearance <= limit) {
            lo = mid;
        } else {
            hi = mid;
        }
    }
    return std::floor(lo);
}

base::Rect LGClockEvenRect(const base::Rect& rect) {
    if (rect.isNull() || rect.isInfinite()) return rect;
    auto even = [](double value) {
        return std::isfinite(value) ? 2 * std::round(value / 2) : value;
    };
    return {even(rect.origin.x), even(rect.origin.y), even(rect.size.width),
            even(rect.size.height)};
}
