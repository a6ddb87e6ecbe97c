#include "glass/LGAutomaticTintColor.h"

#include <string>

#include "platform/ui/Screen.h"
#include "platform/ui/View.h"
#include "support/LGSharedSupport.h"

base::Color LGAutomaticTintColor(const ui::View* view, std::string_view styleKey, double lightAlpha,
                                 double darkAlpha) {
    const std::string style = styleKey.empty() ? std::string() : LGPrefsString(styleKey, "light");
    if (style == "dark") return base::Color::white(0, darkAlpha);
    if (style == "light") return base::Color::white(1, lightAlpha);
    const ui::TraitCollection traits =
        view != nullptr ? view->traitCollection() : ui::Screen::main()->traitCollection();
    return traits.isDark() ? base::Color::white(0, darkAlpha) : base::Color::white(1, lightAlpha);
}
