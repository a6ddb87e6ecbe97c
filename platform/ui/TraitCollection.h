#pragma once

#include "platform/base/Color.h"

namespace ui {

enum class UserInterfaceStyle { Unspecified = 0, Light = 1, Dark = 2 };

enum class UserInterfaceIdiom { Unspecified = -1, Phone = 0, Pad = 1 };

// The environment a view is shown in: light or dark appearance, the kind of device and the
// display's scale. Views inherit it from their window's screen unless a view or window on the
// way up overrides the appearance.
struct TraitCollection {
    UserInterfaceStyle userInterfaceStyle = UserInterfaceStyle::Light;
    UserInterfaceIdiom userInterfaceIdiom = UserInterfaceIdiom::Phone;
    double displayScale = 3.0;

    bool isDark() const { return userInterfaceStyle == UserInterfaceStyle::Dark; }
    // The concrete appearance of a colour in this environment (dynamic colours pick light or
    // dark; plain colours are returned as they are).
    base::Color resolve(const base::Color& color) const { return color.resolved(isDark()); }
    // A copy with the style replaced, unless `style` is Unspecified.
    TraitCollection withStyle(UserInterfaceStyle style) const {
        TraitCollection t = *this;
        if (style != UserInterfaceStyle::Unspecified) t.userInterfaceStyle = style;
        return t;
    }

    friend bool operator==(const TraitCollection&, const TraitCollection&) = default;
};

}  // namespace ui
