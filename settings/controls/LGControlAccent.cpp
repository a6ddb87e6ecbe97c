#include "settings/controls/LGControlAccent.h"

namespace {

constexpr double kVisibleAlpha = 0.01;
constexpr double kNearBlack = 0.12;

}  // namespace

bool LGIsUsableControlAccent(const std::optional<base::Color>& color, bool dark) {
    if (!color || color->isClear()) return false;
    if (!color->componentsReadable()) return true;
    const base::Color c = color->resolved(dark);
    const bool nearBlack = c.alpha() > kVisibleAlpha && c.red() < kNearBlack &&
                           c.green() < kNearBlack && c.blue() < kNearBlack;
    return !nearBlack;
}

base::Color LGFirstUsableControlAccent(std::initializer_list<std::optional<base::Color>> candidates,
                                       const base::Color& fallback, bool dark) {
    for (const auto& candidate : candidates) {
        if (LGIsUsableControlAccent(candidate, dark)) return candidate->resolved(dark);
    }
    return fallback.resolved(dark);
}
