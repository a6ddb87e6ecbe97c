#pragma once

#include "platform/base/Color.h"

// The system's named colours ("UIColor.systemBlue", "UIColor.labelColor", ...). Those that differ
// between light and dark appearance are dynamic colours.
namespace ui::colors {

base::Color systemBlue();
base::Color systemGreen();
base::Color systemRed();
base::Color systemGray();
base::Color label();
base::Color secondaryLabel();
base::Color tertiaryLabel();
base::Color quaternaryLabel();
base::Color systemBackground();
base::Color secondarySystemBackground();
base::Color systemGroupedBackground();
base::Color secondarySystemGroupedBackground();
base::Color systemFill();
base::Color secondarySystemFill();
base::Color tertiarySystemFill();
base::Color separator();

}  // namespace ui::colors
