#pragma once

#include <string_view>

#include "platform/base/Color.h"

namespace ui {
class View;
}

// The tint that reads well over glass: white with `lightAlpha` in a light appearance, black with
// `darkAlpha` in a dark one. With a non-empty `styleKey`, the string preference under it decides
// ("light" when unset; "dark" or "light"); any other value, or no key, follows the view's traits,
// or the main screen's when there is no view. Main thread only.
base::Color LGAutomaticTintColor(const ui::View* view, std::string_view styleKey, double lightAlpha,
                                 double darkAlpha);
