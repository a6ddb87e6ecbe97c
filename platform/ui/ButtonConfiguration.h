#pragma once

#include <optional>
#include <string>

#include "platform/base/Color.h"
#include "platform/graphics/Image.h"
#include "platform/text/Font.h"

namespace ui {

// Insets that follow the reading direction (left-to-right here).
struct DirectionalEdgeInsets {
    double top = 0;
    double leading = 0;
    double bottom = 0;
    double trailing = 0;
    friend bool operator==(const DirectionalEdgeInsets&, const DirectionalEdgeInsets&) = default;
};

enum class ButtonImagePlacement { Leading, Trailing, Top, Bottom };

// How a button shows its content ("UIButtonConfiguration"). A value: change a copy and give it
// back to the button.
struct ButtonConfiguration {
    // No background; content in the foreground colour (the tint unless set); insets that suit a
    // text button.
    static ButtonConfiguration plainButtonConfiguration();
    // A capsule filled with the base background colour (the tint unless set), white content.
    static ButtonConfiguration filledButtonConfiguration();

    std::string title;
    // Stands for the title's text attributes: nullopt is the 17-point system font.
    std::optional<text::FontRef> titleFont;
    graphics::ImageRef image;
    ButtonImagePlacement imagePlacement = ButtonImagePlacement::Leading;
    double imagePadding = 0;
    DirectionalEdgeInsets contentInsets;
    std::optional<base::Color> baseForegroundColor;
    std::optional<base::Color> baseBackgroundColor;
    // The background's colour; nullopt gives the style's (clear for plain).
    std::optional<base::Color> backgroundColor;
    double cornerRadius = 0;
    bool filled = false;
};

}  // namespace ui
