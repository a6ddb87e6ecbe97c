#pragma once

#include <string>
#include <string_view>

#include "platform/base/Color.h"
#include "platform/ui/ButtonConfiguration.h"

namespace ui {
class Button;
}

// Entries of the Settings app's own user defaults (not the preference domain), synchronised
// after every change.
inline constexpr char kLGPrefsLastSurfaceKey[] = "LGPrefsLastSurface";
inline constexpr char kLGPrefsLanguageKey[] = "LGPrefsLanguage";
// Posted on the default centre, without an object, after every language change.
inline constexpr char kLGPrefsLanguageChangedNotification[] = "LGPrefsLanguageChangedNotification";

// The settings language: the stored entry, or "zh-Hans" when there is none or it is empty.
std::string LGPrefsCurrentLanguage();
// Stores a language other than "en"; "" or "en" remove the entry. Then posts the change.
void LGPrefsSetLanguage(std::string_view code);
// Remembers the surface last shown; an empty identifier removes the entry.
void LGPrefsRememberSurface(std::string_view identifier);
// Forgets the remembered surface when it is `identifier` (or for an empty identifier).
void LGPrefsForgetSurface(std::string_view identifier);

// The panels' background: white at alpha 0.76 in light mode, 0.07 in dark mode.
base::Color LGPanelBackgroundColor();

// Gives `button` a configuration with these content insets: its own (a plain one when it has
// none), with the button's normal title and image copied in where the configuration has none.
void LGSetButtonContentInsets(ui::Button& button, const ui::DirectionalEdgeInsets& insets);
