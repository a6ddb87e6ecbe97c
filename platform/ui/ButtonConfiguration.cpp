#include "platform/ui/ButtonConfiguration.h"

namespace ui {

ButtonConfiguration ButtonConfiguration::plainButtonConfiguration() {
    ButtonConfiguration c;
    c.contentInsets = {7, 12, 7, 12};
    return c;
}

ButtonConfiguration ButtonConfiguration::filledButtonConfiguration() {
    ButtonConfiguration c = plainButtonConfiguration();
    c.filled = true;
    c.cornerRadius = 8;
    return c;
}

}  // namespace ui
